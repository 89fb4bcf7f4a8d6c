# `cpack -G DEB` in a build folder makes a Debian package of what `cmake --install` installs.
# The shared libraries the program links are turned into dependencies by dpkg-shlibdeps; libmpv
# is opened at run time, so no computed list can see it and it is named here. Qt's Wayland
# platform plugin is loaded by Qt at run time too: with it the program runs natively in a Wayland
# session (Qt picks X11 elsewhere).
set(CPACK_PACKAGE_NAME "vantoro")
set(CPACK_PACKAGE_VENDOR "The Vantoro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "media player, playlist maker, slideshow viewer and clip manager")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantoro sorts audio, video and picture files into a clip list, writes an ASX playlist and\n\
plays it in its own player window. Saved ASX and M3U playlists can be loaded, edited and\n\
deleted; clips marked while a playlist plays can be moved to the Trash, copied, moved or\n\
added to a playlist.")
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
