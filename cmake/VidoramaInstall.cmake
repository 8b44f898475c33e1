# What `cmake --install` puts where: the two programs in bin/, the components
# in the library folder's vidorama/, and what a desktop needs to offer the
# program for Flash movies (the entry and the icon in the hicolor theme).
# Debian's shared MIME database already knows application/vnd.adobe.flash.movie
# (with application/x-shockwave-flash as its alias), so no MIME package of our
# own is installed.

set(VIDORAMA_INSTALL_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/vidorama)

# Installed binaries find the wave-out library relative to themselves, so the
# tree works wherever it is installed or unpacked.
set_target_properties(vidorama PROPERTIES INSTALL_RPATH "$ORIGIN/${VIDORAMA_MODULE_DIR_FROM_BIN}")
set_target_properties(vidorama_flash_module vidorama_encoder_module vidorama_waveout
    PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS vidorama vidorama-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vidorama_flash_module vidorama_encoder_module vidorama_waveout
    LIBRARY DESTINATION ${VIDORAMA_INSTALL_MODULE_DIR})

install(FILES res/vidorama.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
    install(FILES res/icons/vidorama-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME vidorama.png)
endforeach()
install(FILES res/icons/vidorama.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian keeps each package's licence as share/doc/<package>/copyright.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vidorama RENAME copyright)
