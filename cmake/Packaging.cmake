# `make package`: a Debian package installing under /usr, where xscreensaver, the desktop
# menus and the MIME database look. Libraries the binaries link come from dpkg-shlibdeps;
# the ones loaded at run time are listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidepool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tidepool developers <tidepool@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "slideshow screensaver player")
set(CPACK_PACKAGE_DESCRIPTION "Plays slideshow savers: pictures with transitions, rippling water,\n moving objects, snow, rain, music and sounds. Works as an xscreensaver hack.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL2 and SDL2_mixer are opened at run time for music and sounds; the Wayland platform
# plugin lets the same program run under a Wayland compositor.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0, libsdl2-mixer-2.0-0, qt6-wayland")
# MIDI music needs a General MIDI sound font; tidepool-pack opens the WebP, TIFF and HEIF
# libraries at run time to convert those pictures.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm | timgm6mb-soundfont, libwebp7, libtiff6, libheif1")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
