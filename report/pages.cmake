# The report's pages and sightline drawings: plain C++ on the abstract canvas. Included by
# report/CMakeLists.txt after vm_report_canvas and vm_report_emf.
vm_pure_library(vm_report_pages
  ${CMAKE_CURRENT_LIST_DIR}/report_style.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_drawings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_pages.cpp)
target_link_libraries(vm_report_pages PUBLIC vm_report_canvas vm_core)

# The two images of the drawings, compiled in from resources/images for the builds without Qt
# resources; RegisterReportImages puts them into a NamedImageSource.
set(_vm_report_images ${PROJECT_SOURCE_DIR}/resources/images)
set(_vm_report_images_cpp ${CMAKE_CURRENT_BINARY_DIR}/report_images_data.cpp)
add_custom_command(
  OUTPUT ${_vm_report_images_cpp}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${_vm_report_images_cpp}
          "-DIMAGES=assento=${_vm_report_images}/assento.pbm,fila=${_vm_report_images}/fila.pbm"
          -P ${_vm_report_images}/embed_images.cmake
  DEPENDS ${_vm_report_images}/assento.pbm ${_vm_report_images}/fila.pbm
          ${_vm_report_images}/embed_images.cmake
  COMMENT "Embedding the report images"
  VERBATIM)
vm_pure_library(vm_report_images
  ${CMAKE_CURRENT_LIST_DIR}/report_images.cpp
  ${_vm_report_images_cpp})
target_link_libraries(vm_report_images PUBLIC vm_report_emf vm_report_pages)

# The seat-by-seat sightline analysis of vistametra-report --analysis, on the drawings' geometry.
vm_pure_library(vm_sightline_analysis
  ${CMAKE_CURRENT_LIST_DIR}/sightline_analysis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sightline_analysis_output.cpp)
target_link_libraries(vm_sightline_analysis PUBLIC vm_report_pages vm_core
                                                   nlohmann_json::nlohmann_json)

# The analysis on paper: the pages after the report's and the window "Visibilidade dos Assentos".
vm_pure_library(vm_analysis_pages ${CMAKE_CURRENT_LIST_DIR}/analysis_pages.cpp)
target_link_libraries(vm_analysis_pages PUBLIC vm_sightline_analysis vm_report_pages vm_report_emf)

# The section and the plan as a DXF drawing for CAD.
vm_pure_library(vm_dxf_drawing ${CMAKE_CURRENT_LIST_DIR}/dxf_drawing.cpp)
target_link_libraries(vm_dxf_drawing PUBLIC vm_sightline_analysis vm_report_pages vm_core)
