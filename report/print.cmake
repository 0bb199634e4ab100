# The print job, the printers and the report run. Included by report/CMakeLists.txt after the page
# libraries (vm_report_qt, vm_report_pages, vm_report_images); Qt only.
if(VISTAMETRA_GUI)
  # Printers, the printer choice dialog and printing page files as one spooler document.
  vm_qt_library(vm_print
    ${CMAKE_CURRENT_LIST_DIR}/print_job.cpp
    ${CMAKE_CURRENT_LIST_DIR}/printers.cpp)
  target_link_libraries(vm_print PUBLIC vm_report_qt vm_ui Qt6::PrintSupport Qt6::Widgets)

  # ReportCalculo: the job set-up, the pages into page files, the preview.
  vm_qt_library(vm_report_calculo ${CMAKE_CURRENT_LIST_DIR}/report_calculo.cpp)
  target_link_libraries(vm_report_calculo PUBLIC vm_print vm_preview vm_report_pages
                                                 vm_report_images vm_startup)
endif()
