# The add-on, the update and its version, from package/product.txt (key=value lines), as
# TARVIK_PRODUCT_<KEY> variables and the generated header package/product_info.h (#defines that
# the program's resource script and the package step's check both read).
set(product_file ${PROJECT_SOURCE_DIR}/package/product.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${product_file})
file(STRINGS ${product_file} product_lines REGEX "^[a-z]+=")
foreach(line IN LISTS product_lines)
  string(REGEX MATCH "^([a-z]+)=(.*)$" matched "${line}")
  string(TOUPPER "${CMAKE_MATCH_1}" key)
  set(value "${CMAKE_MATCH_2}")
  if(value MATCHES "[\"\\\\]")
    message(FATAL_ERROR "package/product.txt: ${key} holds a quote or a backslash")
  endif()
  set(TARVIK_PRODUCT_${key} "${value}")
endforeach()
foreach(key COMPANY PRODUCT DESCRIPTION VERSION)
  if(NOT DEFINED TARVIK_PRODUCT_${key})
    message(FATAL_ERROR "package/product.txt has no line for ${key}")
  endif()
endforeach()
if(NOT TARVIK_PRODUCT_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "package/product.txt: the version must be four numbers, e.g. 2.1.0.2")
endif()
set(TARVIK_PRODUCT_VERSION_NUMBERS
    "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},${CMAKE_MATCH_4}")
configure_file(${PROJECT_SOURCE_DIR}/package/product_info.h.in
               ${PROJECT_BINARY_DIR}/generated/package/product_info.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)
