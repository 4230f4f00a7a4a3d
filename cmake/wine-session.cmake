# Every Windows executable that ctest runs goes through the Wine wrapper, and
# shares one Xvfb and one wineserver per test run (fixture wine_session).
# SCRIBECRYPT_WINDOWS_BUILD (win32 or win64) picks the Wine loader.
set(SCRIBECRYPT_WINE_DIR "${CMAKE_BINARY_DIR}/wine")
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_SOURCE_DIR}/tools/wine-run.sh;${SCRIBECRYPT_WINDOWS_BUILD};${SCRIBECRYPT_WINE_DIR}")

add_test(NAME wine_session_start
         COMMAND "${CMAKE_SOURCE_DIR}/tools/wine-session.sh" start "${SCRIBECRYPT_WINE_DIR}"
                 ${SCRIBECRYPT_WINDOWS_BUILD})
add_test(NAME wine_session_stop
         COMMAND "${CMAKE_SOURCE_DIR}/tools/wine-session.sh" stop "${SCRIBECRYPT_WINE_DIR}")
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session TIMEOUT 120)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
