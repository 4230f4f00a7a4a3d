# A shipped program leaves its debug information in <program>.debug beside
# it, which the program names (.gnu_debuglink) so that a debugger finds it.
# The build prints the shipped size. objcopy and strip rewrite the header's
# time stamp with the current time unless SOURCE_DATE_EPOCH says otherwise;
# zero is what the linker writes, so the program's bytes do not depend on
# when it was built.
include_guard(GLOBAL)

function(scribecrypt_ship_stripped target)
  set(unstamped "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=0)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${unstamped} "${CMAKE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${target}>" "$<TARGET_FILE:${target}>.debug"
    COMMAND ${unstamped} "${CMAKE_STRIP}" --strip-all "$<TARGET_FILE:${target}>"
    COMMAND ${unstamped} "${CMAKE_OBJCOPY}" "--add-gnu-debuglink=$<TARGET_FILE:${target}>.debug" "$<TARGET_FILE:${target}>"
    COMMAND stat -c "%n: %s bytes" "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()

# A program with the editor's window: its resource script, its address space
# and its stripped shape.
#   scribecrypt_add_editor_program(target source... LIBS library...)
# Wine's rich edit control uses about 130 bytes of address space per
# character of text, so a 16 MiB note does not fit into the 2 GiB of a 32-bit
# process: an allocation fails and the control crashes on it. Marked large
# address aware, the 32-bit program gets 4 GiB on a 64-bit system; a 64-bit
# program is large address aware by default.
function(scribecrypt_add_editor_program target)
  cmake_parse_arguments(PARSE_ARGV 1 program "" "" "LIBS")
  add_executable(${target} WIN32 ${program_UNPARSED_ARGUMENTS} "${CMAKE_SOURCE_DIR}/ui/scribecrypt.rc")
  target_link_libraries(${target} PRIVATE ${program_LIBS})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--large-address-aware)
  endif()
  scribecrypt_warnings(${target})
  scribecrypt_ship_stripped(${target})
endfunction()
