# The boot-time swap-file cleaner, swpclnr.exe: a real-mode MS-DOS program built from the same
# C++ core the unit tests run, with the system's g++ in -m16 mode (32-bit code with operand-size
# prefixes, for any 386 or later), a nasm start-up and a linker script that keeps it within one
# 64 KiB segment. Built by every preset: the tray program embeds it, the DOS test runs it.
find_program(BW_DOS_CXX NAMES g++ REQUIRED)
find_program(BW_NASM nasm REQUIRED)
find_program(BW_DOS_LD ld REQUIRED)

set(BW_SWPCLNR ${PROJECT_BINARY_DIR}/boot/swpclnr.exe CACHE INTERNAL "")
set(_dos_dir ${PROJECT_SOURCE_DIR}/tray/swapcleaner)
set(_dos_out ${PROJECT_BINARY_DIR}/boot/dos)
set(_dos_flags -m16 -march=i386 -Os -std=c++17 -ffreestanding -fno-exceptions -fno-rtti
    -fno-threadsafe-statics -fno-pie -fno-pic -fcf-protection=none -fno-stack-protector
    -fno-asynchronous-unwind-tables -fno-unwind-tables -mpreferred-stack-boundary=2
    -fomit-frame-pointer -ffunction-sections -fdata-sections -fno-delete-null-pointer-checks
    -Wall -Wextra -Wno-array-bounds -I${PROJECT_SOURCE_DIR})
# (-Wno-array-bounds: the program segment prefix is read at its fixed offsets from 0.)
set(_dos_objects)
foreach(source SwapCleaner DosMain Runtime)
  add_custom_command(
    OUTPUT ${_dos_out}/${source}.o
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_dos_out}
    COMMAND ${BW_DOS_CXX} ${_dos_flags} -c ${_dos_dir}/${source}.cpp -o ${_dos_out}/${source}.o
    DEPENDS ${_dos_dir}/${source}.cpp ${_dos_dir}/SwapCleaner.h ${_dos_dir}/DosServices.h
    COMMENT "Compiling ${source}.cpp for MS-DOS")
  list(APPEND _dos_objects ${_dos_out}/${source}.o)
endforeach()
add_custom_command(
  OUTPUT ${_dos_out}/start.o
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_dos_out}
  COMMAND ${BW_NASM} -f elf32 ${_dos_dir}/start.asm -o ${_dos_out}/start.o
  DEPENDS ${_dos_dir}/start.asm
  COMMENT "Assembling the MS-DOS start-up")
add_custom_command(
  OUTPUT ${BW_SWPCLNR}
  COMMAND ${BW_DOS_LD} -m elf_i386 -T ${_dos_dir}/link.ld --gc-sections -o ${BW_SWPCLNR}
          ${_dos_out}/start.o ${_dos_objects}
  DEPENDS ${_dos_out}/start.o ${_dos_objects} ${_dos_dir}/link.ld
  COMMENT "Linking swpclnr.exe")
add_custom_target(bw_swpclnr ALL DEPENDS ${BW_SWPCLNR})
