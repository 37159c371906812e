# cmake -D MEDIUM_DIR=... -D ARCHIVE=<name>.tar.gz|<name>.zip -P release_archive.cmake
# Run in the folder that receives the archive. Writes ARCHIVE, holding the medium in one folder
# <name> with a SHA256SUMS file inside for every file of the medium, and SHA256SUMS beside it for
# the archive itself; `sha256sum -c SHA256SUMS` checks either.
cmake_minimum_required(VERSION 3.25)

if(ARCHIVE MATCHES "^(.+)\\.tar\\.gz$")
  set(format FORMAT gnutar COMPRESSION GZip COMPRESSION_LEVEL 9)
elseif(ARCHIVE MATCHES "^(.+)\\.zip$")
  set(format FORMAT zip)
else()
  message(FATAL_ERROR "ARCHIVE must end in .tar.gz or .zip: ${ARCHIVE}")
endif()
set(top ${CMAKE_MATCH_1})
# Archived with the paths given, which are relative to the current folder.
set(here ${CMAKE_CURRENT_BINARY_DIR})

function(write_checksums folder)
  set(lines "")
  foreach(name IN LISTS ARGN)
    file(SHA256 ${folder}/${name} hash)
    string(APPEND lines "${hash}  ${name}\n")
  endforeach()
  file(WRITE ${folder}/SHA256SUMS "${lines}")
endfunction()

file(REMOVE_RECURSE ${here}/${top} ${here}/${ARCHIVE} ${here}/SHA256SUMS)
file(COPY ${MEDIUM_DIR}/ DESTINATION ${here}/${top})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${here}/${top} ${here}/${top}/*)
list(SORT files)
write_checksums(${here}/${top} ${files})

file(ARCHIVE_CREATE OUTPUT ${here}/${ARCHIVE} PATHS ${top} ${format})
file(REMOVE_RECURSE ${here}/${top})
write_checksums(${here} ${ARCHIVE})
