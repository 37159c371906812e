# cmake -D MEDIUM_DIR=... -D FILE_LIST=... -D DATA_DIR=... -D JAR=... -D APPLICATION=...
#       -D LAUNCHER=... -D SETUP=... [-D UNINSTALL=...] [-D RUNTIME_DIR=...]
#       -P lay_out_medium.cmake
# Leaves exactly the installation files of FILE_LIST in MEDIUM_DIR, whatever a run of Setup.exe
# there added; only what changed is copied. The four built files come from the named paths, the
# others from DATA_DIR. The uninstaller, when given, lies beside them. A bundled runtime folder
# RUNTIME_DIR is mirrored into MEDIUM_DIR under its own name. Installation.files then lists every
# file Setup copies, with its size and XXH3-128 (xxhsum -H2, Debian's xxhash), for Setup to check
# the medium against as it copies.
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

set(kept ${names} Installation.files)
if(DEFINED RUNTIME_DIR)
  get_filename_component(runtime_name ${RUNTIME_DIR} NAME)
  list(APPEND kept ${runtime_name})
endif()

file(MAKE_DIRECTORY ${MEDIUM_DIR})
file(GLOB present RELATIVE ${MEDIUM_DIR} ${MEDIUM_DIR}/*)
foreach(name IN LISTS present)
  if(NOT name IN_LIST kept)
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

if(DEFINED RUNTIME_DIR)
  set(runtime_copy ${MEDIUM_DIR}/${runtime_name})
  file(GLOB_RECURSE wanted RELATIVE ${RUNTIME_DIR} ${RUNTIME_DIR}/*)
  file(GLOB_RECURSE present RELATIVE ${runtime_copy} LIST_DIRECTORIES true ${runtime_copy}/*)
  foreach(name IN LISTS present)
    if(NOT name IN_LIST wanted AND NOT IS_DIRECTORY ${runtime_copy}/${name})
      file(REMOVE ${runtime_copy}/${name})
    endif()
  endforeach()
  foreach(name IN LISTS wanted)
    get_filename_component(folder ${runtime_copy}/${name} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(COPY_FILE ${RUNTIME_DIR}/${name} ${runtime_copy}/${name} ONLY_IF_DIFFERENT)
    file(CHMOD ${runtime_copy}/${name} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endforeach()
endif()

# The list: the names relative to the medium, "/" between folders, CR LF lines.
set(listed ${names})
list(REMOVE_ITEM listed Setup.exe)
list(APPEND listed Setup.exe)
if(DEFINED RUNTIME_DIR)
  foreach(name IN LISTS wanted)
    list(APPEND listed ${runtime_name}/${name})
  endforeach()
endif()
find_program(XXHSUM xxhsum REQUIRED)
set(list_text "Velmora_KZ 2.0.1 installation files 1\r\n")
foreach(name IN LISTS listed)
  file(SIZE ${MEDIUM_DIR}/${name} size)
  execute_process(COMMAND ${XXHSUM} -H2 ${name} WORKING_DIRECTORY ${MEDIUM_DIR}
                  OUTPUT_VARIABLE printed COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCH "^[0-9a-f]+" hash "${printed}")
  string(REPLACE "%" "%25" escaped "${name}")
  string(APPEND list_text "file ${size} ${hash} ${escaped}\r\n")
endforeach()
file(WRITE ${MEDIUM_DIR}/Installation.files.new "${list_text}")
file(COPY_FILE ${MEDIUM_DIR}/Installation.files.new ${MEDIUM_DIR}/Installation.files
     ONLY_IF_DIFFERENT)
file(REMOVE ${MEDIUM_DIR}/Installation.files.new)
file(CHMOD ${MEDIUM_DIR}/Installation.files FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ
     WORLD_READ)
