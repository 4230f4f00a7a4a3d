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
