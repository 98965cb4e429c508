# 32-bit x86 build on a 64-bit Debian host (make device-check): the compiler's multilib side
# (g++-multilib) with the i386 packages of liblog, libbase and GoogleTest from Debian's multiarch
# directories, so size_t and long are as narrow as in a device's 32-bit processes. File sizes stay
# 64-bit, as bionic's always are.
set(CMAKE_C_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64")
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
