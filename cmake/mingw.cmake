# Cross-compiling for Windows with the posix-thread mingw-w64 compilers of the target
# triplet that the including toolchain file (mingw-i686.cmake, mingw-x86_64.cmake) names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${EOS_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EOS_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${EOS_MINGW_TRIPLET}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)
set(CMAKE_FIND_ROOT_PATH /usr/${EOS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
