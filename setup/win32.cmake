# The installer as a native Win32 program.
add_library(velmora_setup_win32_window STATIC win32_window.cpp)
target_link_libraries(velmora_setup_win32_window
  PUBLIC velmora_setup_logic velmora_platform_win32_gui ole32 oleaut32 uuid)

add_executable(Setup WIN32 win32_main.cpp)
target_link_libraries(Setup PRIVATE velmora_setup_win32_window)
velmora_add_win32_resources(Setup setup.rc
  resources/program.ico resources/step1.gif resources/step2.gif resources/step3.gif)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup SUFFIX ".exe")
