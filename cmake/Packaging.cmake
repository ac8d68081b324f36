# What `cmake --install` puts where, and the Debian package cpack makes of it:
#   cmake -S . -B build-package -DCMAKE_INSTALL_PREFIX=/usr ... && cpack -G DEB
include(GNUInstallDirs)

set(TAVREK_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
set(TAVREK_ICON_SIZES 16 24 32 48 64 128 256)

install(TARGETS tavrek-watch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The capture helper: root's alone until the package's postinst gives it to
# the group tavrek with the capabilities it needs.
install(TARGETS tavrek-capture RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tavrek
        PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
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
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${TAVREK_RESOURCES}/debian/postinst ${TAVREK_RESOURCES}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "samba")
set(CPACK_GENERATOR DEB)
include(CPack)
