find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(velmora_setup_window STATIC
  setup_window.cpp
  control_builder.cpp
  drive_list.cpp
  folder_list.cpp
  busy_window.cpp)
set_target_properties(velmora_setup_window PROPERTIES AUTOMOC ON)
target_link_libraries(velmora_setup_window PUBLIC velmora_setup_logic velmora_platform_qt Qt6::Widgets)

add_executable(Setup WIN32 main.cpp)
target_link_libraries(Setup PRIVATE velmora_setup_window velmora_resources)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup SUFFIX ".exe")
