# The medium as one archive for the release, with checksums, written to <build>/release/:
#   cmake --build --preset default --target release_archive   (Linux, .tar.gz)
#   cmake --build --preset windows --target release_archive   (Windows, .zip)
# Defined here rather than beside the medium: laying the medium out empties its own build folder.
if(WIN32)
  set(VELMORA_RELEASE_ARCHIVE Velmora_KZ-2.0.1-windows-x86.zip)
else()
  set(VELMORA_RELEASE_ARCHIVE Velmora_KZ-2.0.1-linux-x86_64.tar.gz)
endif()
set(release_dir ${CMAKE_BINARY_DIR}/release)
file(MAKE_DIRECTORY ${release_dir})
add_custom_target(release_archive
  COMMAND ${CMAKE_COMMAND} -D MEDIUM_DIR=${CMAKE_BINARY_DIR}/medium
          -D ARCHIVE=${VELMORA_RELEASE_ARCHIVE}
          -P ${PROJECT_SOURCE_DIR}/cmake/release_archive.cmake
  WORKING_DIRECTORY ${release_dir}
  COMMENT "Writing ${release_dir}/${VELMORA_RELEASE_ARCHIVE}"
  VERBATIM)
add_dependencies(release_archive medium)
