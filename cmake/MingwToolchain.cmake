# Cross-compiling for Windows with Debian's mingw-w64 compilers. Included by
# toolchain-mingw64.cmake and toolchain-mingw32.cmake, which set
# VANTREL_MINGW_TRIPLE (x86_64-w64-mingw32 or i686-w64-mingw32).
#
# The -posix compilers use the winpthreads thread model: std::thread and
# std::mutex exist there and not in the -win32 ones of GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)

if(VANTREL_MINGW_TRIPLE MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_TRIPLE})
# A Qt built for the target (tools/build-qt-windows.sh) lives in a prefix of
# its own, which the find commands must search as a root too.
if(VANTREL_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VANTREL_WINDOWS_QT})
  list(APPEND CMAKE_PREFIX_PATH ${VANTREL_WINDOWS_QT})
endif()
# So is OpenSSL built for the target (tools/build-openssl-windows.sh), which
# FindOpenSSL looks for in OPENSSL_ROOT_DIR.
if(OPENSSL_ROOT_DIR)
  list(APPEND CMAKE_FIND_ROOT_PATH ${OPENSSL_ROOT_DIR})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without Qt: one self-contained .exe, no libstdc++/libgcc/winpthread DLLs to
# copy beside it. With Qt, the C++ runtime is the one Qt uses, its DLLs: on
# 32-bit Windows a module with its own static unwinder registers its frames
# with the DLL's once that is loaded, and then no exception can be caught.
if(NOT VANTREL_WINDOWS_QT)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
  set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()
