# The print preview. Included by report/CMakeLists.txt (Qt builds only) after the print job.

# The preview's arithmetic: plain C++.
vm_pure_library(vm_preview_geometry ${CMAKE_CURRENT_LIST_DIR}/preview_geometry.cpp)

# The tool-button bitmaps and the magnifier cursor (resources/preview, drawn by draw_bitmaps.sh)
# as Qt resources under ":/preview/".
set(_vm_preview_art ${PROJECT_SOURCE_DIR}/resources/preview)
add_library(vm_preview_bitmaps OBJECT)
qt_add_resources(vm_preview_bitmaps "preview_bitmaps" PREFIX "/preview" BASE ${_vm_preview_art}
  FILES
    ${_vm_preview_art}/hp_top.png
    ${_vm_preview_art}/hp_back.png
    ${_vm_preview_art}/hp_next.png
    ${_vm_preview_art}/hp_end.png
    ${_vm_preview_art}/hp_thumbnail.png
    ${_vm_preview_art}/hp_gopage.png
    ${_vm_preview_art}/hp_zoom.png
    ${_vm_preview_art}/hp_print.png
    ${_vm_preview_art}/hp_save.png
    ${_vm_preview_art}/hp_close.png
    ${_vm_preview_art}/hp_glass.png)
target_link_libraries(vm_preview_bitmaps PUBLIC Qt6::Core)

# The preview windows on the form layer: page view, thumbnails, print and go-to-page dialogs.
vm_qt_library(vm_preview
  ${CMAKE_CURRENT_LIST_DIR}/preview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_page_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preview_thumbnails.cpp)
target_link_libraries(vm_preview PUBLIC vm_preview_geometry vm_print vm_report_qt vm_ui
                                        vm_dxf_drawing vm_startup
                                        vm_preview_bitmaps Qt6::Widgets)
