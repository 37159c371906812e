# add_application_jar(<output jar>): Velmora_KZ.jar built from medium/java with the
# build machine's JDK, or a placeholder that says why when there is none.
function(add_application_jar jar)
  find_package(Java COMPONENTS Development)
  file(GLOB_RECURSE java_sources ${PROJECT_SOURCE_DIR}/medium/java/*.java)
  if(Java_Development_FOUND AND java_sources)
    set(classes ${CMAKE_CURRENT_BINARY_DIR}/classes)
    set(release_option)
    if(Java_VERSION VERSION_GREATER_EQUAL 9)
      # Class files an old Java 8 runtime on the target machine can still load.
      set(release_option --release 8)
    endif()
    add_custom_command(
      OUTPUT ${jar}
      COMMAND ${CMAKE_COMMAND} -E rm -rf ${classes}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${classes}
      COMMAND ${Java_JAVAC_EXECUTABLE} ${release_option} -encoding UTF-8 -Xlint:all -d ${classes}
              ${java_sources}
      COMMAND ${Java_JAR_EXECUTABLE} cfe ${jar} velmora.Main -C ${classes} .
      DEPENDS ${java_sources}
      COMMENT "Building Velmora_KZ.jar"
      VERBATIM)
  else()
    message(WARNING "No Java development kit found: the medium gets a placeholder "
                    "Velmora_KZ.jar that holds only a note and does not run.")
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/placeholder)
    file(WRITE ${placeholder}/META-INF/MANIFEST.MF "Manifest-Version: 1.0\n")
    file(WRITE ${placeholder}/PLACEHOLDER-NO-JDK.txt
         "Placeholder for Velmora_KZ.jar: no Java development kit was found when this medium "
         "was built, so the application itself is missing.\n")
    add_custom_command(
      OUTPUT ${jar}
      COMMAND ${CMAKE_COMMAND} -E tar cf ${jar} --format=zip META-INF PLACEHOLDER-NO-JDK.txt
      WORKING_DIRECTORY ${placeholder}
      COMMENT "Writing a placeholder Velmora_KZ.jar"
      VERBATIM)
  endif()
endfunction()
