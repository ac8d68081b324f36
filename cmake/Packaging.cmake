# What `cmake --install` puts where, and the Debian package cpack makes of it:
#   cmake -S . -B build-package -DCMAKE_INSTALL_PREFIX=/usr ... && cpack -G DEB
include(GNUInstallDirs)

set(TAVREK_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
set(TAVREK_ICON_SIZES 16 24 32 48 64 128 256)

install(TARGETS tavrek-watch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavrek)
  install(TARGETS tavrek RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${TAVREK_RESOURCES}/desktop/com.quorvane.Tavrek.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TAVREK_RESOURCES}/mime/tavrek.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${TAVREK_RESOURCES}/metainfo/com.quorvane.Tavrek.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TAVREK_RESOURCES}/icons/tavrek.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS TAVREK_ICON_SIZES)
  install(FILES ${TAVREK_RESOURCES}/icons/png/${size}/tavrek.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_PACKAGE_NAME tavrek)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <tavrek@quorvane.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live monitor of file changes in watched folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrek shows, live and with millisecond time stamps, every change the file system\nreports below watched folders. tavrek-watch is the same watcher for the console.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "samba")
set(CPACK_GENERATOR DEB)
include(CPack)
