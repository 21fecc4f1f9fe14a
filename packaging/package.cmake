# Installation and the Debian package. An installed copy finds its data relative to its own
# executable (bin/../share/busmason), as util::installFolder looks for it, so the layout here
# and that rule belong together. Components: "cli" (busmason-cli), "data" (share/busmason),
# "gui" (busmason, its desktop entry and icon); the package holds them all.
include(GNUInstallDirs)

set(BUSMASON_DATA_DESTINATION "${CMAKE_INSTALL_DATADIR}/busmason")

# The bundled installation: translation table, sample EDS library, terminal descriptions,
# documents and the checker script (which keeps its executable bit).
install(DIRECTORY "${BUSMASON_INSTALL_DATA}/"
        DESTINATION "${BUSMASON_DATA_DESTINATION}"
        USE_SOURCE_PERMISSIONS
        COMPONENT data)

if(BUSMASON_BUILD_GUI AND TARGET busmason)
    install(FILES "${CMAKE_CURRENT_LIST_DIR}/busmason.desktop"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/applications"
            COMPONENT gui)
    install(FILES "${CMAKE_CURRENT_LIST_DIR}/busmason.svg"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
            COMPONENT gui)
endif()

set(CPACK_PACKAGE_NAME "busmason")
set(CPACK_PACKAGE_VENDOR "KOVA")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "CANopen network configuration for KOVA controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Busmason describes the CANopen network a KOVA controller runs: devices from EDS files, \
start-up writes, PLC variables placed into PDOs and I/O coupler terminals. It builds the \
controller's network and I/O map files and the PLC declarations, checks the network before it \
is sent, reads the controller files back and compares projects.")
set(CPACK_PACKAGE_CONTACT "Busmason developers <busmason@example.org>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
# The dependencies are the Debian packages of the libraries the programs link (dpkg-shlibdeps,
# from dpkg-dev). Qt loads its platform plugins (libqt6gui6, which libqt6widgets6 brings) and its
# SVG icon and image plugins (libqt6svg6) at run time, where dpkg-shlibdeps does not see them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(BUSMASON_BUILD_GUI AND TARGET busmason)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
endif()
include(CPack)
