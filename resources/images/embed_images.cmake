# Turns image files into a C++ source that holds their bytes, so the program carries its images
# without reading files at run time.
#
#   cmake -DOUTPUT=<file.cpp> -DIMAGES=<name>=<path>,<name>=<path>... -P embed_images.cmake
#
# For each image the source defines, in namespace vm::embedded_images,
#   extern const unsigned char <name>[];  extern const std::size_t <name>_size;
# The names must be C++ identifiers.

if(NOT OUTPUT OR NOT IMAGES)
  message(FATAL_ERROR "embed_images.cmake: OUTPUT and IMAGES are required")
endif()

string(REPLACE "," ";" entries "${IMAGES}")
set(body "")
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^([A-Za-z_][A-Za-z0-9_]*)=(.+)$")
    message(FATAL_ERROR "embed_images.cmake: bad entry '${entry}', expected name=path")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(path "${CMAKE_MATCH_2}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "embed_images.cmake: ${path} does not exist")
  endif()
  file(SIZE "${path}" size)
  file(READ "${path}" hex HEX)
  # Sixteen bytes a line.
  string(LENGTH "${hex}" hexLength)
  set(bytes "")
  set(at 0)
  while(at LESS hexLength)
    string(SUBSTRING "${hex}" ${at} 32 chunk)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," chunk "${chunk}")
    string(APPEND bytes "    ${chunk}\n")
    math(EXPR at "${at} + 32")
  endwhile()
  string(APPEND body
    "extern const unsigned char ${name}[];\n"
    "extern const std::size_t ${name}_size;\n"
    "const unsigned char ${name}[] = {\n${bytes}};\n"
    "const std::size_t ${name}_size = ${size};\n\n")
endforeach()

string(CONCAT text
  "// Generated from the files in resources/images by embed_images.cmake; do not edit.\n"
  "#include <cstddef>\n\nnamespace vm::embedded_images {\n\n" "${body}"
  "}  // namespace vm::embedded_images\n")

# Rewrite only when the content changes, so an unchanged image does not rebuild its users.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${text}")
