# The window "Visibilidade dos Assentos". Included by report/CMakeLists.txt (Qt builds only).
vm_qt_library(vm_visibility_window ${CMAKE_CURRENT_LIST_DIR}/visibility_window.cpp)
target_link_libraries(vm_visibility_window PUBLIC vm_analysis_pages vm_dxf_drawing vm_report_qt vm_report_images
                                                  vm_startup vm_ui Qt6::Widgets)
