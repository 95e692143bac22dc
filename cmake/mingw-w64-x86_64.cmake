# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads model: winpthreads gives
# the pthreads and std::thread the tree uses). The libraries come from DEMO_WINDOWS_PREFIX, which
# scripts/cross-deps.sh fills; Windows' own OpenGL, GLU and winmm come with the compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# Try-compiles read this file again in a project of their own: the prefix must reach them.
if(NOT DEMO_WINDOWS_PREFIX)
  set(DEMO_WINDOWS_PREFIX $ENV{DEMO_WINDOWS_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEMO_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${DEMO_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the prefix's .pc files and never the build machine's own.
if(DEMO_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR}
      "${DEMO_WINDOWS_PREFIX}/lib/pkgconfig:/usr/${MINGW_TRIPLE}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# Static C and C++ runtimes, winpthreads and zlib: the executables import system DLLs only, so the
# zip needs no DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# M_PI and its kin, which glibc's <cmath> gives without asking.
set(CMAKE_CXX_FLAGS_INIT "-D_USE_MATH_DEFINES")

# Tests and test discovery run the executables under Wine, in a prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh
    ${CMAKE_BINARY_DIR}/wine)
