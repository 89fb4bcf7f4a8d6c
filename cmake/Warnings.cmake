# Warnings for every target of the project; they become errors when CI=true.
set(VANTORO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Woverloaded-virtual -Wnon-virtual-dtor -Wformat=2)
if("$ENV{CI}" STREQUAL "true")
  list(APPEND VANTORO_WARNINGS -Werror)
endif()

function(vantoro_warnings target)
  target_compile_options(${target} PRIVATE ${VANTORO_WARNINGS})
endfunction()

# vantoro_library(name SOURCES ... LIBS ...): one static library per folder.
function(vantoro_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  vantoro_warnings(${name})
endfunction()
