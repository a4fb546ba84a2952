# Cross build for 32-bit Office: MinGW-w64, posix thread model. Built and inspected, never run:
# a 32-bit program under wine64 "passes" silently with exit code 0.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TELVORA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TELVORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELVORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TELVORA_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TELVORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(TELVORA_NO_TEST_RUN ON)
