# What the Debian package holds (scripts/package.sh installs it into a staging folder with DESTDIR and adds the
# package's own files). Paths are relative to the prefix, /usr for the package.
include(GNUInstallDirs)
set(CLINOVA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/clinova-importation)

install(TARGETS clinova-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET ClinovaImportation)
    install(TARGETS ClinovaImportation RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/clinova-importation.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/clinova-importation.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/ClinovaImportation.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/clinova-import.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md DESTINATION ${CLINOVA_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CLINOVA_DOC_DIR}/examples)
