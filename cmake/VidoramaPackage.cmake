# The Debian package, made from the install rules by `cpack -G DEB` in a build
# folder. Its dependencies are read from the binaries by dpkg-shlibdeps (Qt,
# FFmpeg, fontconfig and the rest); what the binaries load by name at run time
# is added by hand: the fonts that stand in for the device fonts movies ask
# for (Arial, Times New Roman, Courier New) and the one the start-up picture
# is drawn with.

set(VIDORAMA_PACKAGE_CONTACT "Vidorama maintainers <maintainers@users.noreply.c-seed-e41e3f85.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vidorama)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VIDORAMA_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Flash movie player and converter to video files")
set(CPACK_PACKAGE_DESCRIPTION [[
Vidorama plays Flash movies (SWF) with its own player and turns them into
video files (AVI, MPEG-1, MPEG-2, WMV, RealMedia and more) with their sound.
It comes as a desktop program (vidorama) and a command-line converter
(vidorama-convert).]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop program needs the X11 platform plugin, which Debian ships
# apart from the Qt libraries and only recommends.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-urw-base35, fonts-dejavu-core, fonts-liberation2")
include(CPack)
