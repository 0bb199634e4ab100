# The folder rule: one folder is one layer. Each folder may include only itself and the folders
# below it; a plain folder includes no Qt header and no Qt folder. Read at configure time by
# vm_check_layers() and again by every build (cmake -DVM_SOURCE_DIR=... -P CheckFolders.cmake),
# so a new include is checked without a new configuration.
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()

# folder    kind   may include
set(VM_FOLDERS
  "core     plain"
  "project  plain  core"
  "runtime  plain  core"
  "net      plain  core"
  "pagefile mixed  core runtime"
  "report   plain  core pagefile"
  "ui       qt     core runtime"
  "print    qt     core runtime pagefile ui"
  "preview  qt     core runtime pagefile print ui"
  "update   mixed  core runtime net ui"
  "cli      mixed  core project runtime pagefile report"
  "program  mixed  core project runtime net pagefile report ui print preview update cli"
  "app      mixed  core project runtime net pagefile report ui print preview update cli program"
)

function(vm_check_folders source_dir)
  set(names "")
  foreach(row IN LISTS VM_FOLDERS)
    string(REGEX REPLACE " +" ";" row "${row}")
    list(POP_FRONT row folder kind)
    list(APPEND names ${folder})
    set(kind_${folder} ${kind})
    set(uses_${folder} ${row})
  endforeach()

  set(problems "")
  foreach(folder IN LISTS names)
    if(NOT IS_DIRECTORY ${source_dir}/${folder})
      string(APPEND problems "\n  ${folder}/: the folder is missing")
      continue()
    endif()
    file(GLOB_RECURSE sources RELATIVE ${source_dir} ${source_dir}/${folder}/*.h
         ${source_dir}/${folder}/*.cpp)
    foreach(src IN LISTS sources)
      file(STRINGS ${source_dir}/${src} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
      foreach(line IN LISTS includes)
        # "x/...", "../x/..." and <x/...> all name the folder x.
        if(line MATCHES "#[ \t]*include[ \t]*[\"<](\\.\\./)*([a-z_]+)/")
          set(used ${CMAKE_MATCH_2})
          if(used IN_LIST names AND NOT used STREQUAL folder AND NOT used IN_LIST uses_${folder})
            if(kind_${folder} STREQUAL "plain" AND kind_${used} STREQUAL "qt")
              string(APPEND problems "\n  ${src}: the plain folder ${folder}/ includes the Qt folder ${used}/ (${line})")
            else()
              string(APPEND problems "\n  ${src}: ${folder}/ may not include ${used}/ (${line})")
            endif()
          endif()
        elseif(kind_${folder} STREQUAL "plain" AND line MATCHES "#[ \t]*include[ \t]*<Q")
          string(APPEND problems "\n  ${src}: a Qt header under the plain folder ${folder}/ (${line})")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(problems)
    message(FATAL_ERROR "Folder rule broken (cmake/CheckFolders.cmake):${problems}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  vm_check_folders(${VM_SOURCE_DIR})
  file(TOUCH ${VM_STAMP})
endif()
