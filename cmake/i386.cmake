# 32-bit build for the callers the settings library serves in 32-bit processes.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")

# Kernels without 32-bit support cannot start these programs directly: run tests
# (and build-time tools) through user-mode emulation when it is installed.
find_program(ZEL_QEMU_I386 qemu-i386)
if(ZEL_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEL_QEMU_I386})
endif()
