# Cross build for 64-bit Office: MinGW-w64, posix thread model (std::mutex, std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TELVORA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TELVORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELVORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TELVORA_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TELVORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Cross-built test programs run under Wine; there is no 32-bit Wine, so only this target runs.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
