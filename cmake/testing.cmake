# One GoogleTest executable per test file: scribecrypt_add_test(<name> SOURCES ... LIBS ...).
# Windows test executables run under Wine through CMAKE_CROSSCOMPILING_EMULATOR
# and share the run's Xvfb and wineserver (the wine_session fixture).
include_guard(GLOBAL)

if(WIN32)
  # GoogleTest from Debian's source, built with the cross compiler; its
  # warnings stay out of ours.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  set(SCRIBECRYPT_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(SCRIBECRYPT_GTEST_MAIN GTest::gtest_main)
endif()

function(scribecrypt_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${SCRIBECRYPT_GTEST_MAIN})
  scribecrypt_warnings(${name})
  if(WIN32)
    # Console subsystem so GoogleTest's output reaches ctest.
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ${ARG_PROPERTIES})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session)
  endif()
endfunction()
