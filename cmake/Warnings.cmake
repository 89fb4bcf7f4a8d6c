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

# vantoro_include_fragments(): tests/, bench/ and fuzz/ hold one folder per library folder, with
# one or more *.cmake fragments (one per area) in it; this includes those of the folders being
# built (VANTORO_DIRS) that stand below the calling CMakeLists.txt. Inside a fragment, name
# sources with ${CMAKE_CURRENT_LIST_DIR}/File.cpp. A macro, so that the fragments run in the
# caller's scope.
macro(vantoro_include_fragments)
  foreach(dir ${VANTORO_DIRS})
    file(GLOB fragments CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cmake)
    foreach(fragment ${fragments})
      include(${fragment})
    endforeach()
  endforeach()
endmacro()
