# The update check and the installer download: above the form layer and the socket layer.
# Included once by the build; the guard lets a test folder include it when the build does not.
if(VISTAMETRA_GUI AND NOT TARGET vm_update)
  vm_qt_library(vm_update
    ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
    ${CMAKE_CURRENT_LIST_DIR}/update_download.cpp
    ${CMAKE_CURRENT_LIST_DIR}/update_installer.cpp
  )
  target_link_libraries(vm_update PUBLIC vm_net vm_ui vm_core Qt6::Widgets)
endif()
