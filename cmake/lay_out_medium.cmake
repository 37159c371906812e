# cmake -D MEDIUM_DIR=... -D DATA_DIR=... -D JAR=... -D APPLICATION=... -D LAUNCHER=...
#       -D SETUP=... -P lay_out_medium.cmake
# Leaves exactly the fifteen installation files in MEDIUM_DIR, whatever a run of Setup.exe there
# added; only what changed is copied.
cmake_minimum_required(VERSION 3.25)

set(data_files javalogo.gif buttona.gif buttonx.gif execute.gif help5.gif make.gif question.gif
               questionmark.gif help.html Velmora_KZ.ico readme.txt)
set(sources ${JAR})
set(names Velmora_KZ.jar)
foreach(name IN LISTS data_files)
  list(APPEND sources ${DATA_DIR}/${name})
  list(APPEND names ${name})
endforeach()
list(APPEND sources ${APPLICATION} ${LAUNCHER} ${SETUP})
set(programs Velmora_KZ.exe Velmora_KZ.2.0.1.exe Setup.exe)
list(APPEND names ${programs})

file(MAKE_DIRECTORY ${MEDIUM_DIR})
file(GLOB present RELATIVE ${MEDIUM_DIR} ${MEDIUM_DIR}/*)
foreach(name IN LISTS present)
  if(NOT name IN_LIST names)
    file(REMOVE_RECURSE ${MEDIUM_DIR}/${name})
  endif()
endforeach()

foreach(source name IN ZIP_LISTS sources names)
  file(COPY_FILE ${source} ${MEDIUM_DIR}/${name} ONLY_IF_DIFFERENT)
  if(name IN_LIST programs)
    file(CHMOD ${MEDIUM_DIR}/${name} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD ${MEDIUM_DIR}/${name} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
