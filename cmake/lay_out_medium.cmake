# cmake -D MEDIUM_DIR=... -D FILE_LIST=... -D DATA_DIR=... -D JAR=... -D APPLICATION=...
#       -D LAUNCHER=... -D SETUP=... [-D UNINSTALL=...] -P lay_out_medium.cmake
# Leaves exactly the installation files of FILE_LIST in MEDIUM_DIR, whatever a run of Setup.exe
# there added; only what changed is copied. The four built files come from the named paths, the
# others from DATA_DIR. The uninstaller, when given, lies beside them.
cmake_minimum_required(VERSION 3.25)

file(STRINGS ${FILE_LIST} quoted REGEX "^\"[^\"]+\",$")
list(TRANSFORM quoted REPLACE "^\"([^\"]+)\",$" "\\1" OUTPUT_VARIABLE names)

set(built_Velmora_KZ.jar ${JAR})
set(built_Velmora_KZ.exe ${APPLICATION})
set(built_Velmora_KZ.2.0.1.exe ${LAUNCHER})
set(built_Setup.exe ${SETUP})
if(DEFINED UNINSTALL)
  list(APPEND names Uninstall.exe)
  set(built_Uninstall.exe ${UNINSTALL})
endif()

file(MAKE_DIRECTORY ${MEDIUM_DIR})
file(GLOB present RELATIVE ${MEDIUM_DIR} ${MEDIUM_DIR}/*)
foreach(name IN LISTS present)
  if(NOT name IN_LIST names)
    file(REMOVE_RECURSE ${MEDIUM_DIR}/${name})
  endif()
endforeach()

foreach(name IN LISTS names)
  if(DEFINED built_${name})
    set(source ${built_${name}})
  else()
    set(source ${DATA_DIR}/${name})
  endif()
  file(COPY_FILE ${source} ${MEDIUM_DIR}/${name} ONLY_IF_DIFFERENT)
  if(name MATCHES "\\.exe$")
    file(CHMOD ${MEDIUM_DIR}/${name} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD ${MEDIUM_DIR}/${name} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
