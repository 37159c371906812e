# One target carries the settings every other target shares.
add_library(velmora_common INTERFACE)
target_compile_features(velmora_common INTERFACE cxx_std_20)
target_include_directories(velmora_common INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(velmora_common INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(velmora_common INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS)

# The Windows programs start on Windows XP SP3 and later: the headers then declare nothing newer,
# so calling a newer function is an error here, not an import that XP's loader refuses. Newer ones
# are looked up when the program runs (platform/windows/system_function.h).
if(WIN32)
  target_compile_definitions(velmora_common INTERFACE _WIN32_WINNT=0x0501 WINVER=0x0501)
endif()

# The folder beside Setup.exe on the Linux medium, and in the application folder, that holds the
# window toolkit for desktops without one (cmake/bundle_qt_runtime.cmake).
set(VELMORA_RUNTIME_FOLDER qt-runtime)
target_compile_definitions(velmora_common INTERFACE
  VELMORA_RUNTIME_FOLDER="${VELMORA_RUNTIME_FOLDER}")

if(VELMORA_SANITIZE)
  target_compile_options(velmora_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(velmora_common INTERFACE -fsanitize=address,undefined)
endif()

# Fuzz builds instrument every library, so that coverage guides libFuzzer through the real code.
if(VELMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VELMORA_FUZZ needs clang (libFuzzer): configure with CXX=clang++")
  endif()
  target_compile_options(velmora_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(velmora_common INTERFACE -fsanitize=address,undefined)
endif()

# The launcher's window module is a shared object built from the same static libraries.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
