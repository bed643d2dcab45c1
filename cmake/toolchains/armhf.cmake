# 32-bit ARM devices (hard-float ABI) with Debian's cross compiler:
#   apt-get install g++-arm-linux-gnueabihf
# Use with -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake, normally
# together with -DJOBVIEW_STATIC=ON -DJOBVIEW_TESTS=OFF.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(JOBVIEW_DEBIAN_ARCH armhf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)

set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# How tests and tools run a binary of this architecture on the build machine.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
