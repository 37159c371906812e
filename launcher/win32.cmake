# The launcher as a native Win32 program.
add_executable(launcher WIN32 win32_window.cpp)
target_link_libraries(launcher PRIVATE velmora_launcher_logic velmora_platform_win32_gui)
velmora_add_win32_resources(launcher launcher.rc resources/program.ico)
set_target_properties(launcher PROPERTIES OUTPUT_NAME "Velmora_KZ.2.0.1" SUFFIX ".exe")
