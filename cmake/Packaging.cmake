# Installing the editor on Linux (executable, desktop entry, .ump file type, icons) and the
# Debian package made from that install, which also carries soundprofile-tool (src/tool).
include(GNUInstallDirs)

install(TARGETS soundprofile-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/soundprofile-editor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/soundprofile-editor.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# The sizes of the application icon that the hicolor theme has folders for.
foreach(size 16 24 32 48 64 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/MAINICON_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME soundprofile-editor.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME soundprofile-editor)
set(CPACK_PACKAGE_VENDOR "Marvek Engineering Germany")
set(CPACK_PACKAGE_CONTACT "Marvek Engineering Germany <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor and command-line tool for the sound profiles (.ump) of the Ulmaro real-time analyser")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The Qt libraries come from dpkg-shlibdeps; the platform plugins are loaded at run time, so no
# library dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
