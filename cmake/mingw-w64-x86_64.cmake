# Cross-building for 64-bit Windows from Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix: the
# posix thread model, for std::thread and std::mutex). The tests run under Wine.
# Used by scripts/windows.sh: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANDEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVANDEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANDEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVANDEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANDEL_MINGW_PREFIX})
# Qt for Windows (scripts/qt-windows.sh) lies outside the compiler's own root: its packages are
# found only when its prefix is a root too.
if(ORVANDEL_WINDOWS_QT)
    list(APPEND CMAKE_FIND_ROOT_PATH ${ORVANDEL_WINDOWS_QT})
    list(APPEND CMAKE_PREFIX_PATH ${ORVANDEL_WINDOWS_QT})
endif()
# So does libcurl for Windows (scripts/curl-windows.sh), static, with the compiler's own zlib.
if(ORVANDEL_WINDOWS_CURL)
    list(APPEND CMAKE_FIND_ROOT_PATH ${ORVANDEL_WINDOWS_CURL})
    list(APPEND CMAKE_PREFIX_PATH ${ORVANDEL_WINDOWS_CURL})
    set(ZLIB_LIBRARY /usr/${ORVANDEL_MINGW_PREFIX}/lib/libz.a CACHE FILEPATH "zlib, static")
    set(ZLIB_INCLUDE_DIR /usr/${ORVANDEL_MINGW_PREFIX}/include CACHE PATH "zlib's headers")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time libraries are linked in, so that a program runs under Wine (and on
# Windows) without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Built programs, test discovery included, run under Wine.
find_program(ORVANDEL_WINE NAMES wine wine64)
if(ORVANDEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ORVANDEL_WINE})
endif()
