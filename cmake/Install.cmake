# Installation: the program folder lib/velmir/ holds the program, velmir-cli,
# the kit libraries, the plug-ins and the help pages, since the program reads
# them from its own folder; bin/ holds launchers that start them there. The
# desktop entry, the icon and the AppStream metainfo go where desktops look.
include(GNUInstallDirs)

set(VELMIR_PROGRAM_FOLDER lib/velmir)
set(VELMIR_KIT_TARGETS imgcom3 imgscan3 imgetc3 imgfile3 imgdsp3 imgcut3 imgtiff3)

# Everything is found beside the program by its own folder, not by RPATH.
install(TARGETS velmir velmir-cli RUNTIME DESTINATION ${VELMIR_PROGRAM_FOLDER})
install(TARGETS ${VELMIR_KIT_TARGETS} ${VELMIR_SHIPPED_PLUGINS}
  LIBRARY DESTINATION ${VELMIR_PROGRAM_FOLDER})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${VELMIR_PROGRAM_FOLDER}/help)

foreach(PROGRAM velmir velmir-cli)
  set(PROGRAM_FOLDER_FROM_BIN ../${VELMIR_PROGRAM_FOLDER})
  configure_file(${PROJECT_SOURCE_DIR}/desktop/launcher.sh.in
    ${CMAKE_BINARY_DIR}/launchers/${PROGRAM} @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/launchers/${PROGRAM} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/desktop/jp.kzr.velmir.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/jp.kzr.velmir.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/velmir.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# cpack -G DEB: a package for /usr whose library dependencies come from
# dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME velmir)
set(CPACK_PACKAGE_VENDOR "Kzr")
set(CPACK_PACKAGE_CONTACT "VELMIR maintainers <maintainers@velmir.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo retouching program with a Japanese user interface")
set(CPACK_PACKAGE_DESCRIPTION
  "VELMIR opens JPEG, BMP, TIFF, PNG, GIF and WebP pictures and retouches them with tone and colour adjustments, filters and effects, and browses folders of photos as thumbnails.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
