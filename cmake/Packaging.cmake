# `cpack -G DEB` in a build folder makes a Debian package of what `cmake --install` installs.
# The shared libraries the program links are turned into dependencies by dpkg-shlibdeps; libmpv
# is opened at run time, so no computed list can see it and it is named here. Qt's Wayland
# platform plugin is loaded by Qt at run time too: with it the program runs natively in a Wayland
# session (Qt picks X11 elsewhere).
set(CPACK_PACKAGE_NAME "vantoro")
set(CPACK_PACKAGE_VENDOR "The Vantoro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "media player, playlist maker, slideshow viewer and clip manager")
# The long description, in lines of at most 80 characters (Debian's rule; dpkg shows it as it is).
set(CPACK_PACKAGE_DESCRIPTION
    "Vantoro sorts audio, video and picture files into a clip list, writes an ASX\n\
playlist and plays it in its own player window; pictures show one after another\n\
as a slideshow. Playlists of other players load too: ASX, M3U, PLS, XSPF and\n\
WPL. Clips marked while a playlist plays can be moved to the Trash, copied,\n\
moved or added to a playlist.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Vantoro developers <developers@vantoro.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.vantoro.org/")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_STRIP_FILES ON)
include(CPack)

# What Debian asks of every package beside the program: the copyright in the machine-readable
# format, a changelog, a manual page; the last two compressed with gzip -9n (no name or time in
# the header, so that the same source gives the same package).
if(TARGET vantoro)
  include(GNUInstallDirs)
  find_program(GZIP gzip REQUIRED)
  set(vantoro_docs)
  foreach(doc vantoro.1 changelog)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${doc}.gz
      COMMAND sh -c "${GZIP} -9n < \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/data/${doc}
              ${PROJECT_BINARY_DIR}/${doc}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/data/${doc} VERBATIM)
    list(APPEND vantoro_docs ${PROJECT_BINARY_DIR}/${doc}.gz)
  endforeach()
  add_custom_target(vantoro_docs ALL DEPENDS ${vantoro_docs})
  install(FILES ${PROJECT_BINARY_DIR}/vantoro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantoro)
endif()
