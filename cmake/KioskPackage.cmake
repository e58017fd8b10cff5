# The Debian packages (scripts/package.sh builds them with `cpack -G DEB`):
#   kiosk       the kiosk, its systemd unit, the sample App.ini, the user "kiosk" (in dialout)
#               and the application folder /var/lib/kiosk, for a station's kiosk PC;
#   kiosk-demo  the demo station server stationd and the ID card reader simulator (libtermb.so
#               and lay-card), for trials and demos, never on a station's kiosk PC.
# Built with CMAKE_INSTALL_PREFIX=/usr, which the unit's and the files' paths assume.
set(kiosk_debian ${PROJECT_SOURCE_DIR}/deploy/debian)

install(FILES ${PROJECT_SOURCE_DIR}/deploy/kiosk.service DESTINATION lib/systemd/system COMPONENT kiosk)
install(FILES ${kiosk_debian}/kiosk.sysusers DESTINATION lib/sysusers.d RENAME kiosk.conf COMPONENT kiosk)
install(FILES ${kiosk_debian}/kiosk.tmpfiles DESTINATION lib/tmpfiles.d RENAME kiosk.conf COMPONENT kiosk)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/App.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/kiosk COMPONENT kiosk)

# Each package's copyright and changelog (compressed as Debian wants it, without a time stamp).
foreach(component kiosk demo)
  set(package kiosk)
  if(component STREQUAL "demo")
    set(package kiosk-demo)
  endif()
  set(changelog ${CMAKE_BINARY_DIR}/package-doc/${package}/changelog.gz)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package-doc/${package})
  configure_file(${kiosk_debian}/changelog.in ${CMAKE_BINARY_DIR}/package-doc/${package}/changelog @ONLY)
  execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/package-doc/${package}/changelog)
  install(FILES ${kiosk_debian}/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kiosk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Bus station kiosk developers <kiosk@busstation.example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL kiosk demo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link are found by dpkg-shlibdeps; the rest is named below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

set(CPACK_DEBIAN_KIOSK_PACKAGE_NAME kiosk)
# CPack indents every line after the first; "." separates paragraphs.
set(CPACK_COMPONENT_KIOSK_DESCRIPTION "self-service ticket check and settlement kiosk of a bus station
The kiosk of a long-distance bus station: drivers log in with their plate
and ID number or their ID card, passengers' tickets are checked against the
station's application server as they are scanned, and the departure
settlement slip is printed from the server's print template.
.
Runs full screen under the Wayland kiosk compositor cage on tty1 as the
user kiosk (kiosk.service); the application folder is /var/lib/kiosk.")
# cage cannot start without Xwayland; Qt draws on Wayland through qt6-wayland; the screens
# and slips need the CJK fonts; the slips go through CUPS; the user and the folder come from
# systemd-sysusers and systemd-tmpfiles.
set(CPACK_DEBIAN_KIOSK_PACKAGE_DEPENDS "cage, xwayland, qt6-wayland, fonts-noto-cjk, cups, cups-client, systemd")
set(CPACK_DEBIAN_KIOSK_PACKAGE_CONTROL_EXTRA "${kiosk_debian}/postinst;${kiosk_debian}/postrm")

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME kiosk-demo)
set(CPACK_DEBIAN_DEMO_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_DEMO_DESCRIPTION "demo station server and ID card reader simulator for the kiosk
stationd, a station application server with demo data on SQLite, answers
the kiosk's requests the way a station's server does; libtermb.so simulates
the ID card reader's SDK (lay-card lays a card on it). For trials and
demonstrations of the kiosk, not for a station's kiosk PC.")

include(CPack)
