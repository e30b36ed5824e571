# 32-bit x86 Linux: the libraries, the module and their tests at the word
# size of the module the host loads, on Debian's multilib GCC.
#   cmake -S . -B build-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake
# On a machine that cannot execute 32-bit code, give
# -DBONEPLAY_I386_EMULATOR=qemu-i386 and CTest runs the tests under it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# Doubles computed in SSE2 registers, as the other builds do: the x87 unit's
# 80-bit intermediates would change results in the last bits.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-m32")
endforeach()
set(BONEPLAY_LIBS_ONLY ON)
set(BONEPLAY_I386_EMULATOR "" CACHE STRING "Runs the 32-bit test programs where the machine cannot (qemu-i386)")
if(BONEPLAY_I386_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BONEPLAY_I386_EMULATOR})
endif()
