# A shipped program leaves its debug information in <program>.debug beside
# it, which the program names (.gnu_debuglink) so that a debugger finds it.
# The build prints the shipped size.
include_guard(GLOBAL)

function(scribecrypt_ship_stripped target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${target}>" "$<TARGET_FILE:${target}>.debug"
    COMMAND "${CMAKE_STRIP}" --strip-all "$<TARGET_FILE:${target}>"
    COMMAND "${CMAKE_OBJCOPY}" "--add-gnu-debuglink=$<TARGET_FILE:${target}>.debug" "$<TARGET_FILE:${target}>"
    COMMAND stat -c "%n: %s bytes" "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()
