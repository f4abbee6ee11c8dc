# 32-bit Windows with mingw-w64: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake
set(VANTREL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
