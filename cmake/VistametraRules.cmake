# Layer rules of the build.
#
# vm_pure_library(name SOURCES...)  a library of plain C++: it may link only other pure
#                                   libraries; Qt headers are not on its include path.
# vm_qt_library(name SOURCES...)    a library that may use Qt.
# vm_check_layers()                 fails the configuration when a pure library links Qt,
#                                   directly or through another library, or when a folder
#                                   breaks the folder rule (cmake/CheckFolders.cmake), which
#                                   every build checks again.

include(${CMAKE_CURRENT_LIST_DIR}/CheckFolders.cmake)

set_property(GLOBAL PROPERTY VM_PURE_LIBRARIES "")

function(vm_pure_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY VM_PURE_LIBRARIES ${name})
endfunction()

function(vm_qt_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()

function(_vm_collect_links target out)
  set(seen "")
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    if(t IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${t})
    if(TARGET ${t})
      get_target_property(libs ${t} LINK_LIBRARIES)
      get_target_property(ilibs ${t} INTERFACE_LINK_LIBRARIES)
      foreach(l IN LISTS libs ilibs)
        if(l AND NOT l MATCHES "-NOTFOUND$")
          list(APPEND todo ${l})
        endif()
      endforeach()
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(vm_check_layers)
  get_property(pure GLOBAL PROPERTY VM_PURE_LIBRARIES)
  foreach(lib IN LISTS pure)
    _vm_collect_links(${lib} deps)
    foreach(d IN LISTS deps)
      if(d MATCHES "^Qt[0-9]*::" OR d MATCHES "Qt[0-9]")
        message(FATAL_ERROR "Layer rule broken: the plain C++ library '${lib}' links '${d}'")
      endif()
    endforeach()
  endforeach()

  vm_check_folders(${PROJECT_SOURCE_DIR})
  set(globs "")
  foreach(row IN LISTS VM_FOLDERS)
    string(REGEX MATCH "^[a-z_]+" folder "${row}")
    list(APPEND globs ${PROJECT_SOURCE_DIR}/${folder}/*.h ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  endforeach()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${globs})
  set(stamp ${CMAKE_BINARY_DIR}/vm_folder_rule.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DVM_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DVM_STAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckFolders.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckFolders.cmake
    COMMENT "Checking the folder rule"
    VERBATIM)
  add_custom_target(vm_folder_rule ALL DEPENDS ${stamp})
endfunction()

# vm_add_areas([EXCEPT folders...])  adds every sub-folder of the current folder; a sub-folder
#                                   without a CMakeLists.txt stops the configuration instead of
#                                   silently dropping out of the build.
function(vm_add_areas)
  cmake_parse_arguments(A "" "" "EXCEPT" ${ARGN})
  file(GLOB areas LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT areas)
  foreach(area IN LISTS areas)
    if(NOT IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${area} OR area IN_LIST A_EXCEPT)
      continue()
    endif()
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/CMakeLists.txt)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${area} has no CMakeLists.txt")
    endif()
    add_subdirectory(${area})
  endforeach()
endfunction()

# vm_test(area SOURCES... [LIBS libs...] [GUI])  one test executable per area, registered with CTest.
function(vm_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} vm_test_main)
  target_compile_definitions(${name} PRIVATE VM_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
                                             VM_BUILD_DIR="${CMAKE_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()
