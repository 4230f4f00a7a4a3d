# Shared part of the MinGW-w64 cross toolchains: Debian's posix-thread
# compilers for the target triple in SCRIBECRYPT_MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${SCRIBECRYPT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SCRIBECRYPT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SCRIBECRYPT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SCRIBECRYPT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Resource scripts are UTF-8; menus, dialogs and strings are stored as UTF-16.
set(CMAKE_RC_FLAGS_INIT "-c 65001")
