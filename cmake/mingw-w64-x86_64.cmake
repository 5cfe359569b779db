# Cross-compiling for Windows x86-64 with Debian's mingw-w64 (POSIX threads
# variant): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
# Programs built with it run here under Wine (cmake/wine-run is the
# emulator CTest uses). The C and C++ runtimes are linked statically, so a
# built DLL or program needs nothing but Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARNOCK_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VARNOCK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNOCK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNOCK_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VARNOCK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC keeps the Windows stack 16-byte aligned but spills AVX and AVX-512
# registers with aligned moves that assume 32 or 64 bytes; the assembler
# option turns those moves into unaligned ones (same speed on aligned data).
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs run under Wine for tests and build steps, in a Wine prefix inside
# the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR env VARNOCK_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    ${CMAKE_CURRENT_LIST_DIR}/wine-run)
