# Cross toolchain for the Windows deliverables (i686), from Debian's mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BW_MINGW_PREFIX i686-w64-mingw32)

find_program(CMAKE_C_COMPILER ${BW_MINGW_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER ${BW_MINGW_PREFIX}-g++)
find_program(CMAKE_RC_COMPILER ${BW_MINGW_PREFIX}-windres)
if(NOT CMAKE_CXX_COMPILER OR NOT CMAKE_RC_COMPILER)
  message(FATAL_ERROR "${BW_MINGW_PREFIX} compiler or windres not found: run scripts/setup")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${BW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The programs run on machines (and Wine prefixes) without the mingw runtime DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
