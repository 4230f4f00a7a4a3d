# Builds the few Mbed TLS modules the product uses, from Debian's source
# package unpacked by tools/setup.sh, against the project's own configuration.
set(SCRIBECRYPT_MBEDTLS_DIR "${CMAKE_SOURCE_DIR}/build/deps/mbedtls"
    CACHE PATH "Unpacked Mbed TLS 2.28 source tree")

set(_mbedtls_version_h "${SCRIBECRYPT_MBEDTLS_DIR}/include/mbedtls/version.h")
if(NOT EXISTS "${_mbedtls_version_h}")
  message(FATAL_ERROR "Mbed TLS source not found in ${SCRIBECRYPT_MBEDTLS_DIR}; run tools/setup.sh")
endif()
file(STRINGS "${_mbedtls_version_h}" _mbedtls_version_line
     REGEX "^#define MBEDTLS_VERSION_STRING +\"")
string(REGEX REPLACE ".*\"([0-9.]+)\".*" "\\1" _mbedtls_version "${_mbedtls_version_line}")
if(NOT _mbedtls_version MATCHES "^2\\.28\\.")
  message(FATAL_ERROR "Mbed TLS ${_mbedtls_version} found, but 2.28.x is required")
endif()

add_library(mbedtls_subset STATIC
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/aes.c"
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/camellia.c"
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/sha512.c"
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/sha256.c"
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/md5.c"
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/platform_util.c"
  "${SCRIBECRYPT_MBEDTLS_DIR}/library/platform.c")
target_include_directories(mbedtls_subset SYSTEM PUBLIC
  "${SCRIBECRYPT_MBEDTLS_DIR}/include" "${CMAKE_SOURCE_DIR}/crypto/config")
target_compile_definitions(mbedtls_subset PUBLIC MBEDTLS_CONFIG_FILE="scribecrypt_mbedtls_config.h")
# Third-party code: keep its warnings out of ours.
target_compile_options(mbedtls_subset PRIVATE -w)
