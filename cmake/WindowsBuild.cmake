# What the Windows deliverables need beyond the portable build: resource scripts (windres, which
# the toolchain file found), the Windows-only folders, and DLLs whose exports a .def file names.
# Included by the top-level CMakeLists.txt for WIN32 builds only.

# windres reads the same "...Res.h" headers as the C++ code, named from the repository root as
# include_directories gives it.
enable_language(RC)

# bw_windows_dll(NAME DEF file.def SOURCES ...): a DLL called NAME.dll (no "lib" prefix) that
# exports exactly what its .def file lists, under those names undecorated, whatever calling
# convention the functions have.
function(bw_windows_dll name)
  cmake_parse_arguments(ARG "" "DEF" "SOURCES" ${ARGN})
  if(NOT ARG_DEF)
    message(FATAL_ERROR "bw_windows_dll(${name}): a DEF file is required")
  endif()
  add_library(${name} SHARED ${ARG_SOURCES} ${ARG_DEF})
  set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # i686 decorates __stdcall names ("Name@0"); the .def name binds to it without a warning.
    target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
endfunction()

# The Windows-only folders, each joining the build once it has a CMakeLists.txt: the window
# framework (ui/), the window bindings beside the portable code they bind (*/win32/) and the
# shell DLLs (shell/).
function(bw_add_windows_folders)
  foreach(folder ui engine/win32 zap/win32 settings/win32 viewer/win32 tray/win32
                 shell/contextmenu shell/unload shell/filezap)
    if(EXISTS ${PROJECT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      add_subdirectory(${PROJECT_SOURCE_DIR}/${folder} ${PROJECT_BINARY_DIR}/${folder})
    endif()
  endforeach()
endfunction()

# The programs' pictures (icons, bitmaps, animations) are drawn at build time by art/make-art.py
# into build/<preset>/art; an .rc names them by file name and finds them there.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(BW_ART_DIR ${PROJECT_BINARY_DIR}/art)
set(BW_ART_FILES blankwright.ico viewer.ico menu.bmp splash4.bmp splash8.bmp cleaning.avi
    zapping.avi closeprograms.ico warning.ico shutdown.ico hourglass.ico program.ico check.ico
    nocheck.ico document.ico slack.ico startup.ico shredder.ico bin.ico folder.ico printer.ico
    zapfile.ico zapfolder.ico)
list(TRANSFORM BW_ART_FILES PREPEND ${BW_ART_DIR}/ OUTPUT_VARIABLE BW_ART_OUTPUTS)
add_custom_command(
  OUTPUT ${BW_ART_OUTPUTS}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/art/make-art.py ${BW_ART_DIR}
  DEPENDS ${PROJECT_SOURCE_DIR}/art/make-art.py
  COMMENT "Drawing the programs' pictures")
add_custom_target(bw_art DEPENDS ${BW_ART_OUTPUTS})

# bw_use_art(TARGET RC_FILE): the target's resource script may name the pictures.
function(bw_use_art target rc)
  add_dependencies(${target} bw_art)
  target_include_directories(${target} PRIVATE ${BW_ART_DIR})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${BW_ART_OUTPUTS}")
endfunction()

# bw_version_resource(TARGET DESCRIPTION FILE_NAME [ICON_FILE]): the file version resource of a
# program or DLL, with the product's one version number; the icon, when given, is the program's.
function(bw_version_resource target description file_name)
  set(BW_FILE_DESCRIPTION "${description}")
  set(BW_FILE_NAME "${file_name}")
  set(BW_ICON_LINE "")
  set(BW_FILE_TYPE VFT_APP)
  if(file_name MATCHES "\\.dll$")
    set(BW_FILE_TYPE VFT_DLL)
  endif()
  if(ARGC GREATER 3)
    set(BW_ICON_LINE "1 ICON \"${ARGV3}\"")
  endif()
  set(rc ${PROJECT_BINARY_DIR}/version/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if(ARGC GREATER 3)
    bw_use_art(${target} ${rc})
  endif()
endfunction()
