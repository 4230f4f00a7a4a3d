# Cross build for 32-bit Windows (PE32): the program we ship.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SCRIBECRYPT_MINGW_TRIPLE i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
