# What `cmake --install` puts under the prefix, and the Debian package made
# from it (cpack -G DEB):
#   bin/ironvale-x11, bin/ironvale (launcher), bin/ironvale-server
#   share/ironvale/assets/               the generated asset tree
#   share/applications/ironvale.desktop
#   share/icons/hicolor/<N>x<N>/apps/    icons painted by assetgen
#   share/man/man6/                      ironvale.6, ironvale-server.6
#   lib/systemd/system/ironvale-server.service, with its settings in
#   /etc/default/ironvale-server (<prefix>/etc/default/ outside /usr)
# Linux only: the Windows build ships its folder as it is.
if(WIN32)
  return()
endif()
include(GNUInstallDirs)
set(IRONVALE_DIST ${CMAKE_SOURCE_DIR}/dist)

if(TARGET assetgen)
  set(icon_outputs)
  foreach(size 16 24 32 48 64 128 256)
    list(APPEND icon_outputs ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/ironvale.png)
  endforeach()
  add_custom_command(
    OUTPUT ${icon_outputs}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:assetgen> --icons ${CMAKE_SOURCE_DIR}/assets ${CMAKE_BINARY_DIR}/icons
    DEPENDS assetgen ${CMAKE_SOURCE_DIR}/assets/params/textures.txt
    COMMENT "Painting the program icons in ${CMAKE_BINARY_DIR}/icons"
    VERBATIM)
  add_custom_target(icons ALL DEPENDS ${icon_outputs})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(DIRECTORY ${IRONVALE_ASSET_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ironvale/assets)
endif()

if(TARGET ironvale-x11)
  install(TARGETS ironvale-x11 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(PROGRAMS ${IRONVALE_DIST}/ironvale.sh DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME ironvale)
  install(FILES ${IRONVALE_DIST}/ironvale.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${IRONVALE_DIST}/ironvale.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()

if(TARGET ironvale-server)
  install(TARGETS ironvale-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${IRONVALE_DIST}/ironvale-server.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  # The unit names the server by its full path, so it is written at install
  # time, when the prefix (cmake --install --prefix, or the package's /usr)
  # is known.
  install(CODE "
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    if(prefix STREQUAL \"/usr\")
      set(IRONVALE_ENV_FILE /etc/default/ironvale-server)
    else()
      set(IRONVALE_ENV_FILE \"\${prefix}/etc/default/ironvale-server\")
    endif()
    set(IRONVALE_BINDIR \"\${prefix}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${IRONVALE_DIST}/ironvale-server.service.in\"
                   \"${CMAKE_BINARY_DIR}/dist/ironvale-server.service\" @ONLY)
    file(INSTALL \"${CMAKE_BINARY_DIR}/dist/ironvale-server.service\"
         DESTINATION \"\${prefix}/lib/systemd/system\")
    get_filename_component(env_dir \"\${IRONVALE_ENV_FILE}\" DIRECTORY)
    file(INSTALL \"${IRONVALE_DIST}/ironvale-server.default\" DESTINATION \"\${env_dir}\"
         RENAME ironvale-server)
  ")
endif()

# Debian package: runtime dependencies from dpkg-shlibdeps, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ironvale)
set(CPACK_PACKAGE_VENDOR "Ironvale developers")
set(CPACK_PACKAGE_CONTACT "Ironvale developers <ironvale@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time 3D first-person shooter")
set(CPACK_PACKAGE_DESCRIPTION "One walled level, a machine gun and a spread gun, four bots in single-player, or up to twelve players through the relay server ironvale-server, which also comes as a systemd service.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
file(WRITE ${CMAKE_BINARY_DIR}/dist/conffiles "/etc/default/ironvale-server\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/dist/conffiles)
include(CPack)
