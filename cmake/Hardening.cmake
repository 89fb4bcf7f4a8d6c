# Debian's hardening for optimised builds: the compile and link flags dpkg-buildflags gives with
# every hardening feature on (stack protector, _FORTIFY_SOURCE, format-string errors, RELRO and
# BIND_NOW; PIE is the compiler's default here). The build type keeps its own -O and -g, and the
# source path is left in the debug information so that the compiler cache is shared between
# checkouts. Off for sanitizer builds, where _FORTIFY_SOURCE would hide the faults they look for.
set(vantoro_hardening_default OFF)
if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$" AND
   NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(vantoro_hardening_default ON)
endif()
option(VANTORO_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)"
       ${vantoro_hardening_default})

if(VANTORO_HARDENING)
  find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  set(vantoro_buildflags_env
      "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
      "DEB_CFLAGS_MAINT_STRIP=-g -O2" "DEB_CXXFLAGS_MAINT_STRIP=-g -O2")
  foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env ${vantoro_buildflags_env} ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(vantoro_hardening_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  add_compile_options(${vantoro_hardening_CPPFLAGS})
  foreach(flag ${vantoro_hardening_CFLAGS})
    add_compile_options("$<$<COMPILE_LANGUAGE:C>:${flag}>")
  endforeach()
  foreach(flag ${vantoro_hardening_CXXFLAGS})
    add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${flag}>")
  endforeach()
  add_link_options(${vantoro_hardening_LDFLAGS})
  message(STATUS "Hardening flags: ${vantoro_hardening_CPPFLAGS} ${vantoro_hardening_CXXFLAGS} "
                 "${vantoro_hardening_LDFLAGS}")
endif()
