# Cross build for 64-bit Windows (PE32+): the same program for 64-bit-only
# hosts and notes larger than a 32-bit process can hold.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SCRIBECRYPT_MINGW_TRIPLE x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
