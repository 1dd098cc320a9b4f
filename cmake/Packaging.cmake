# Installing the editor on Linux (executable, desktop entry, .ump file type, icons, AppStream
# metadata, manual pages, bash completion) and the Debian package made from that install, which
# also carries soundprofile-tool (src/tool).
include(GNUInstallDirs)

# Files installed always read 644 and folders 755, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS soundprofile-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/soundprofile-editor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/soundprofile-editor.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/io.github.marvek.soundprofile_editor.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The sizes of the application icon that the hicolor theme has folders for.
foreach(size 16 24 32 48 64 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/MAINICON_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME soundprofile-editor.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/completion/soundprofile-tool
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages and the changelog go compressed, without a time stamp in the gzip header, so
# that the same sources give the same package.
find_program(SPE_GZIP gzip REQUIRED)
set(spe_compressed)
function(spe_compress source target)
  set(output ${CMAKE_BINARY_DIR}/packaging/${target})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${SPE_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
  set(spe_compressed ${spe_compressed} ${output} PARENT_SCOPE)
endfunction()
foreach(page soundprofile-editor soundprofile-tool)
  spe_compress(${PROJECT_SOURCE_DIR}/man/${page}.1 ${page}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
spe_compress(${PROJECT_SOURCE_DIR}/packaging/changelog changelog.gz)
add_custom_target(spe_packaging_files ALL DEPENDS ${spe_compressed})
set(spe_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/soundprofile-editor)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${spe_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME soundprofile-editor)
set(CPACK_PACKAGE_VENDOR "Marvek Engineering Germany")
set(CPACK_PACKAGE_CONTACT "Marvek Engineering Germany <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and tool for Ulmaro sound profiles (.ump)")
# The lines under the summary (which CPack puts first).
set(CPACK_PACKAGE_DESCRIPTION "A sound profile is a named frequency response, points of a frequency in hertz
and a gain in decibels, which the Ulmaro real-time analyser loads from .ump
files. The editor opens and saves them, imports measurements and text files in
German or US number notation, edits the points in a table, draws the response
over a logarithmic frequency axis and exports it as text, CSV, FRD or
GraphicEQ. soundprofile-tool does the same work from the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/marvek/soundprofile-editor")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt libraries come from dpkg-shlibdeps; the platform plugins are loaded at run time, so no
# library dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# qt6-translations-l10n: Qt's own words (Yes, No, the file dialog) in the German interface.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "shared-mime-info, desktop-file-utils, hicolor-icon-theme, qt6-translations-l10n")
include(CPack)
