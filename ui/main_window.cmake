# The main window, above the form layer.
vm_qt_library(vm_main_window main_window.cpp)
target_link_libraries(vm_main_window PUBLIC vm_ui vm_startup vm_project)
