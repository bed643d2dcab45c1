# 64-bit ARM devices with Debian's cross compiler:
#   apt-get install g++-aarch64-linux-gnu
# Use with -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64.cmake, normally
# together with -DJOBVIEW_STATIC=ON -DJOBVIEW_TESTS=OFF.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(JOBVIEW_DEBIAN_ARCH arm64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
