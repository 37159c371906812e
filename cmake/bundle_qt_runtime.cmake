# cmake -D RUNTIME_DIR=... -D PROGRAMS=a;b -D PLUGIN_ROOT=... -D PLUGINS=platforms/x.so;...
#       -D PATCHELF=... -D PYTHON=... -P bundle_qt_runtime.cmake
# Lays out in RUNTIME_DIR the window toolkit that PROGRAMS and PLUGINS need, from their own
# dependency lists, so that they start on a desktop without Qt: every library they need that a
# desktop does not already have, and the plugins under their own subfolders. Each library finds
# the others beside itself, and each plugin finds them one folder up, through a relative run path.
#
# Left out, because every desktop that shows windows has them and they must be the system's own:
#  - the C and C++ runtime (glibc, libstdc++, libgcc_s): one per process, and the drivers and
#    plugins the system loads into a process need the system's;
#  - what talks to the system's display server and graphics drivers: the X11 and xcb core
#    libraries (not the xcb utility and extension libraries), the Wayland client libraries,
#    xkbcommon and the OpenGL/EGL dispatch libraries;
#  - the font stack (fontconfig, freetype), which reads the system's font configuration;
#  - what every desktop session itself already loads: GLib, D-Bus, zlib, libpng and HarfBuzz.
# A library reached only through one of these is left out with it.
#
# The oldest systems the medium is for have glibc 2.34 and the C++ runtime of GCC 11
# (GLIBCXX_3.4.29). Debian's Qt asks for newer versions of three functions only, whose older
# versions those systems still have: hypot and hypotf (GLIBC_2.35) and
# std::condition_variable::wait (GLIBCXX_3.4.30). Their versions are cleared, so that the loader
# binds them to the version the system has, and the need of the newer version is dropped
# (lower_version_needs.py). Any other symbol of a newer version stops the bundling.
cmake_minimum_required(VERSION 3.25)

set(versions_older_systems_lack GLIBC_2.35 GLIBC_2.36 GLIBCXX_3.4.30 GLIBCXX_3.4.31)
set(symbols_older_systems_have hypot hypotf _ZNSt18condition_variable4waitERSt11unique_lockISt5mutexE)

function(lower_version_needs file)
  execute_process(
    COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/lower_version_needs.py ${PATCHELF} ${file}
            --versions ${versions_older_systems_lack} --symbols ${symbols_older_systems_have}
    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(desktop_libraries
  "^(ld-linux.*|libc|libm|libdl|libpthread|librt|libresolv|libutil)\\.so"
  "^(libstdc\\+\\+|libgcc_s)\\.so"
  "^lib(X11|X11-xcb|xcb|ICE|SM|Xau|Xdmcp)\\.so"
  "^lib(wayland-client|wayland-cursor|wayland-egl|xkbcommon)\\.so"
  "^lib(GL|EGL|GLX|OpenGL|GLdispatch)\\.so"
  "^lib(fontconfig|freetype)\\.so"
  "^lib(glib-2\\.0|gthread-2\\.0|gobject-2\\.0|dbus-1|z|png16|harfbuzz)\\.so")

set(plugin_files)
foreach(plugin IN LISTS PLUGINS)
  if(NOT EXISTS ${PLUGIN_ROOT}/${plugin})
    message(FATAL_ERROR "The window toolkit's plugin ${PLUGIN_ROOT}/${plugin} is not installed")
  endif()
  list(APPEND plugin_files ${PLUGIN_ROOT}/${plugin})
endforeach()

file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${PROGRAMS}
  MODULES ${plugin_files}
  RESOLVED_DEPENDENCIES_VAR libraries
  UNRESOLVED_DEPENDENCIES_VAR unresolved
  PRE_EXCLUDE_REGEXES ${desktop_libraries})
if(unresolved)
  message(FATAL_ERROR "Libraries the programs need were not found: ${unresolved}")
endif()

file(REMOVE_RECURSE ${RUNTIME_DIR})
file(MAKE_DIRECTORY ${RUNTIME_DIR})
# Each under the name the programs ask for; the copy holds the file the name leads to.
foreach(library IN LISTS libraries)
  get_filename_component(name ${library} NAME)
  file(COPY_FILE ${library} ${RUNTIME_DIR}/${name})
  execute_process(COMMAND ${PATCHELF} --set-rpath $ORIGIN ${RUNTIME_DIR}/${name}
                  COMMAND_ERROR_IS_FATAL ANY)
  lower_version_needs(${RUNTIME_DIR}/${name})
endforeach()
foreach(plugin IN LISTS PLUGINS)
  get_filename_component(folder ${plugin} DIRECTORY)
  file(MAKE_DIRECTORY ${RUNTIME_DIR}/${folder})
  file(COPY_FILE ${PLUGIN_ROOT}/${plugin} ${RUNTIME_DIR}/${plugin})
  execute_process(COMMAND ${PATCHELF} --set-rpath $ORIGIN/.. ${RUNTIME_DIR}/${plugin}
                  COMMAND_ERROR_IS_FATAL ANY)
  lower_version_needs(${RUNTIME_DIR}/${plugin})
endforeach()

file(GLOB_RECURSE files LIST_DIRECTORIES false ${RUNTIME_DIR}/*)
file(CHMOD ${files} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
