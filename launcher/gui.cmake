find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(velmora_launcher_window STATIC launcher_window.cpp)
target_link_libraries(velmora_launcher_window PUBLIC velmora_launcher_logic velmora_platform_qt Qt6::Widgets)

add_executable(launcher WIN32 main.cpp)
target_link_libraries(launcher PRIVATE velmora_launcher_window velmora_resources)
set_target_properties(launcher PROPERTIES OUTPUT_NAME "Velmora_KZ.2.0.1" SUFFIX ".exe")
