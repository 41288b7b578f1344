# Cross-compiles for Windows x86-64 with MinGW-w64 from a Debian host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

# The posix thread model: the win32 one has no std::mutex or std::thread.
set(_quendaris_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_quendaris_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_quendaris_mingw}-g++-posix)
set(CMAKE_AR ${_quendaris_mingw}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${_quendaris_mingw}-gcc-ranlib-posix CACHE FILEPATH "Archive indexer")
set(CMAKE_RC_COMPILER ${_quendaris_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_quendaris_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime, so modules and programs import only system DLLs.
set(_quendaris_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_quendaris_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_quendaris_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_quendaris_static_runtime}")

# Test programs and tools built here run under wine.
find_program(QUENDARIS_WINE wine)
if(QUENDARIS_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${QUENDARIS_WINE}")
endif()

# Adjustments the VST3 SDK needs under MinGW, applied right after its own project() call.
set(CMAKE_PROJECT_vstsdk_INCLUDE "${CMAKE_CURRENT_LIST_DIR}/../windows/VstSdkMinGW.cmake")
