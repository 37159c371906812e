# add_stripped_copy(TARGET OUTPUT_VARIABLE)
# The medium carries a program without its debug information: the copy is written to
# <build>/stripped/, and the debug information to <build>/debug/<name>.debug, which the copy names
# by its debug link so that a debugger finds it there. The target itself keeps everything, for the
# tests and the debugger.
function(add_stripped_copy target output_variable)
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "objcopy is needed to strip the programs on the medium")
  endif()
  get_target_property(name ${target} OUTPUT_NAME)
  get_target_property(suffix ${target} SUFFIX)
  set(file_name ${name}${suffix})
  set(stripped ${CMAKE_BINARY_DIR}/stripped/${file_name})
  set(debug ${CMAKE_BINARY_DIR}/debug/${file_name}.debug)
  add_custom_command(
    OUTPUT ${stripped} ${debug}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/stripped ${CMAKE_BINARY_DIR}/debug
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug}
            $<TARGET_FILE:${target}> ${stripped}
    DEPENDS ${target}
    COMMENT "Stripping ${file_name} for the medium"
    VERBATIM)
  set(${output_variable} ${stripped} PARENT_SCOPE)
endfunction()
