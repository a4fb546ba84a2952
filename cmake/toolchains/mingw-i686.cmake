# Cross build for 32-bit Office: MinGW-w64, posix thread model (std::mutex, std::thread).
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
# Cross-built test programs run under Wine as 32-bit programs, through the WoW64 of a wine64 prefix
# (32-bit Wine, wine32:i386, installed; without it they report themselves skipped).
set(TELVORA_WINE_BITS 32)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh)
# 32-bit MinGW unwinds exceptions by DWARF tables. GCC 12 splits a function's rarely run blocks
# (where a throw usually sits) into a cold part, and in some link layouts the unwinder then ends
# the program at a throw a caller two frames up would have caught: a run-time error the add-in
# reports would close Word instead. Keep every function's blocks together.
set(CMAKE_C_FLAGS_INIT "-fno-reorder-blocks-and-partition")
set(CMAKE_CXX_FLAGS_INIT "-fno-reorder-blocks-and-partition")
