/* Mbed TLS configuration: only the block ciphers, the CBC mode and the
 * digests that the document format uses. */
#ifndef SCRIBECRYPT_MBEDTLS_CONFIG_H
#define SCRIBECRYPT_MBEDTLS_CONFIG_H

#define MBEDTLS_AES_C
#define MBEDTLS_CAMELLIA_C
#define MBEDTLS_CIPHER_MODE_CBC
#define MBEDTLS_SHA512_C
#define MBEDTLS_SHA256_C
#define MBEDTLS_MD5_C

/* Required by the library when it is built for Windows; kept for the native
 * build too, so both compile the same code. */
#define MBEDTLS_PLATFORM_C

#include "mbedtls/check_config.h"

#endif
