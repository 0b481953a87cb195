# A 32-bit x86 Linux build on a 64-bit Debian host (g++-multilib and the
# :i386 libraries), for timing the cipher as Corvex.exe compiles it: i686,
# and no PIE, since a PE image is not position-independent code either.
set(CMAKE_C_FLAGS_INIT "-m32 -march=i686 -fno-pie")
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=i686 -fno-pie")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -no-pie")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_LIBRARY_PATH /usr/lib/i386-linux-gnu)
set(CMAKE_PREFIX_PATH /usr/lib/i386-linux-gnu/cmake)
