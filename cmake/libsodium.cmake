# Builds libsodium from Debian's source package, unpacked by tools/setup.sh,
# as one static library for every build.
#
# Its own configure script is not run: it would run once per target, and a
# probe that fails there turns an optimised path off without a word. Instead
# every source of the library is compiled here,
# with the definitions its configure sets for these targets (x86 only,
# MinGW or glibc) and the instruction-set flags its Makefile gives each
# optimised file. The linker keeps only what the product calls. sodium_init()
# then picks the fastest variant the processor has at run time.
set(SCRIBECRYPT_LIBSODIUM_DIR "${CMAKE_SOURCE_DIR}/build/deps/libsodium"
    CACHE PATH "Unpacked libsodium 1.0.18 source tree")

set(_sodium_src "${SCRIBECRYPT_LIBSODIUM_DIR}/src/libsodium")
set(_sodium_version_in "${_sodium_src}/include/sodium/version.h.in")
if(NOT EXISTS "${_sodium_version_in}")
  message(FATAL_ERROR "libsodium source not found in ${SCRIBECRYPT_LIBSODIUM_DIR}; run tools/setup.sh")
endif()
file(STRINGS "${SCRIBECRYPT_LIBSODIUM_DIR}/configure.ac" _sodium_init_line REGEX "^AC_INIT\\(\\[libsodium\\]")
string(REGEX REPLACE ".*\\[libsodium\\],\\[([0-9.]+)\\].*" "\\1" _sodium_version "${_sodium_init_line}")
if(NOT _sodium_version STREQUAL "1.0.18")
  message(FATAL_ERROR "libsodium ${_sodium_version} found, but 1.0.18 is required")
endif()

# The one header configure generates, beside the header it includes.
set(VERSION "${_sodium_version}")
set(SODIUM_LIBRARY_VERSION_MAJOR 10)
set(SODIUM_LIBRARY_VERSION_MINOR 3)
set(SODIUM_LIBRARY_MINIMAL_DEF "")
set(_sodium_generated "${CMAKE_BINARY_DIR}/libsodium/include")
configure_file("${_sodium_version_in}" "${_sodium_generated}/sodium/version.h" @ONLY)
configure_file("${_sodium_src}/include/sodium/export.h" "${_sodium_generated}/sodium/export.h" COPYONLY)

file(GLOB_RECURSE _sodium_sources CONFIGURE_DEPENDS "${_sodium_src}/*.c")
add_library(sodium_static STATIC ${_sodium_sources})
target_include_directories(sodium_static SYSTEM PUBLIC "${_sodium_src}/include" "${_sodium_generated}")
target_include_directories(sodium_static PRIVATE "${_sodium_src}/include/sodium" "${_sodium_generated}/sodium")
target_compile_definitions(sodium_static PUBLIC SODIUM_STATIC)
target_compile_definitions(sodium_static PRIVATE
  CONFIGURED=1 NATIVE_LITTLE_ENDIAN=1 CPU_UNALIGNED_ACCESS=1 HAVE_C_VARARRAYS=1 HAVE_ALLOCA=1
  HAVE_INLINE_ASM=1 HAVE_CPUID=1 HAVE_ATOMIC_OPS=1
  HAVE_MMINTRIN_H=1 HAVE_EMMINTRIN_H=1 HAVE_PMMINTRIN_H=1 HAVE_TMMINTRIN_H=1 HAVE_SMMINTRIN_H=1
  HAVE_AVXINTRIN_H=1 HAVE_AVX2INTRIN_H=1 HAVE_AVX512FINTRIN_H=1 HAVE_WMMINTRIN_H=1 HAVE_RDRAND=1)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  target_compile_definitions(sodium_static PRIVATE HAVE_TI_MODE=1)
endif()
if(NOT WIN32)
  # glibc; on Windows the library takes its _WIN32 paths (VirtualLock,
  # RtlGenRandom, critical sections) instead.
  target_compile_definitions(sodium_static PRIVATE
    HAVE_PTHREAD=1 HAVE_WEAK_SYMBOLS=1 HAVE_SYS_MMAN_H=1 HAVE_SYS_RANDOM_H=1 HAVE_GETRANDOM=1
    HAVE_GETENTROPY=1 HAVE_MMAP=1 HAVE_MLOCK=1 HAVE_MADVISE=1 HAVE_MPROTECT=1
    HAVE_POSIX_MEMALIGN=1 HAVE_GETPID=1 HAVE_NANOSLEEP=1 HAVE_EXPLICIT_BZERO=1)
endif()
# Whether the system saves the AVX registers is read with XGETBV; configure
# enables its encoded form only with the x86-64 assembly files, which are not
# needed here, so the run-time detection alone gets it. Without it AVX2 and
# AVX-512 are never selected.
set_source_files_properties("${_sodium_src}/sodium/runtime.c" PROPERTIES COMPILE_DEFINITIONS HAVE_AVX_ASM=1)

# The instruction sets each optimised file is compiled for, as the library's
# own Makefile gives them.
set(_sse2 -msse2)
set(_ssse3 ${_sse2} -mssse3)
set(_sse41 ${_ssse3} -msse4.1)
set(_avx2 ${_sse41} -mavx -mavx2)
set(_avx512f ${_avx2} -mavx512f)
set(_aesni ${_ssse3} -maes -mpclmul)
set(_rdrand -mrdrnd)
foreach(_entry
    "sse2:crypto_onetimeauth/poly1305/sse2/poly1305_sse2.c"
    "sse2:crypto_pwhash/scryptsalsa208sha256/sse/pwhash_scryptsalsa208sha256_sse.c"
    "sse2:crypto_stream/salsa20/xmm6int/salsa20_xmm6int-sse2.c"
    "ssse3:crypto_generichash/blake2b/ref/blake2b-compress-ssse3.c"
    "ssse3:crypto_pwhash/argon2/argon2-fill-block-ssse3.c"
    "ssse3:crypto_stream/chacha20/dolbeau/chacha20_dolbeau-ssse3.c"
    "sse41:crypto_generichash/blake2b/ref/blake2b-compress-sse41.c"
    "avx2:crypto_generichash/blake2b/ref/blake2b-compress-avx2.c"
    "avx2:crypto_pwhash/argon2/argon2-fill-block-avx2.c"
    "avx2:crypto_stream/chacha20/dolbeau/chacha20_dolbeau-avx2.c"
    "avx2:crypto_stream/salsa20/xmm6int/salsa20_xmm6int-avx2.c"
    "avx512f:crypto_pwhash/argon2/argon2-fill-block-avx512f.c"
    "aesni:crypto_aead/aes256gcm/aesni/aead_aes256gcm_aesni.c"
    "rdrand:randombytes/internal/randombytes_internal_random.c")
  string(REPLACE ":" ";" _entry "${_entry}")
  list(GET _entry 0 _set)
  list(GET _entry 1 _file)
  if(NOT EXISTS "${_sodium_src}/${_file}")
    message(FATAL_ERROR "libsodium source ${_file} is missing")
  endif()
  set(_flags ${_${_set}})
  if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # 32-bit Windows keeps only 4-byte stack alignment; SIMD spills need 16.
    list(APPEND _flags -mstackrealign)
  endif()
  set_source_files_properties("${_sodium_src}/${_file}" PROPERTIES COMPILE_OPTIONS "${_flags}")
endforeach()
# The Argon2 core's own header, for a derivation with every Argon2 input.
set(SCRIBECRYPT_SODIUM_ARGON2_DIR "${_sodium_src}/crypto_pwhash/argon2")
# Third-party code: keep its warnings out of ours.
target_compile_options(sodium_static PRIVATE -w)
