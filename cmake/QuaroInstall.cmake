# Install layout and the Debian package.
#
# The programs, skin/ and DefaultData/ go together into <prefix>/lib/quaro/, since each program
# finds its data beside its own executable (through /proc/self/exe, so a link to it works);
# <prefix>/bin holds links to them. The desktop files, icons, metadata, manual pages and the
# udev rule go where the desktop, udev and man look for them.

include(GNUInstallDirs)

set(QUARO_INSTALL_APPDIR "lib/quaro")
set(QUARO_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Where the udev rule is installed, relative to the prefix or absolute")
# /etc/xdg/autostart for the prefix /usr (GNUInstallDirs maps its configuration folder to /etc).
set(QUARO_AUTOSTART_DIR "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart")
set(QUARO_PACKAGE_MAINTAINER "quaro developers <maintainers@quaro.invalid>" CACHE STRING
    "Maintainer field of the Debian package")

set(quaro_programs quaroctl quaro-devsim)
if(TARGET quaro)
  list(PREPEND quaro_programs quaro)
endif()
install(TARGETS ${quaro_programs} RUNTIME DESTINATION "${QUARO_INSTALL_APPDIR}")
# Started by the application from beside itself, never by a user: no link in bin/, no manual page.
install(TARGETS quaro-fetch RUNTIME DESTINATION "${QUARO_INSTALL_APPDIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/skin" "${PROJECT_SOURCE_DIR}/DefaultData"
        DESTINATION "${QUARO_INSTALL_APPDIR}")
# Our audio library, in the SDK folder the headset page loads it from.
if(TARGET osConfLib)
  install(TARGETS osConfLib LIBRARY DESTINATION "${QUARO_INSTALL_APPDIR}/SDK")
endif()
# Optional vendor libraries (the audio library's SDK folder) ship beside the programs when the
# tree has them.
if(EXISTS "${PROJECT_SOURCE_DIR}/SDK")
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/SDK" DESTINATION "${QUARO_INSTALL_APPDIR}")
endif()

# Relative links, so the tree works wherever it is unpacked.
foreach(program IN LISTS quaro_programs)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(REMOVE \"\${bin}/${program}\")
    file(CREATE_LINK \"../${QUARO_INSTALL_APPDIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
    message(STATUS \"Linking: \${bin}/${program}\")")
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/packaging/udev/70-quaro.rules"
        DESTINATION "${QUARO_UDEV_RULES_DIR}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/man/quaro.1"
              "${PROJECT_SOURCE_DIR}/packaging/man/quaroctl.1"
              "${PROJECT_SOURCE_DIR}/packaging/man/quaro-devsim.1"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

if(TARGET quaro)
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/desktop/org.quaro.Quaro.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/desktop/org.quaro.Quaro-autostart.desktop"
          DESTINATION "${QUARO_AUTOSTART_DIR}" RENAME "org.quaro.Quaro.desktop")
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/metainfo/org.quaro.Quaro.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  install(FILES "${PROJECT_SOURCE_DIR}/skin/common/logo.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
          RENAME "org.quaro.Quaro.svg")
  install(DIRECTORY "${CMAKE_BINARY_DIR}/icons/hicolor"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
endif()

# The Debian package: `scripts/package` builds it.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "quaro")
set(CPACK_PACKAGE_VENDOR "quaro developers")
set(CPACK_PACKAGE_CONTACT "${QUARO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "settings tool for gaming keyboards, mice, mouse pads and headsets")
set(CPACK_PACKAGE_DESCRIPTION
    "quaro configures the lights, keys, macros, pointer and sound of USB gaming devices on the \
Linux desktop and keeps them as named profiles. quaroctl lists the devices, reads what they hold \
and selects profiles from the command line, and a udev rule lets the user at the seat reach the \
devices without root.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "quaro")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins rather than linked, so the library scan cannot see them: the X11 platform,
# the skin's SVG pictures, and a face for the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
# A user's change to the autostart entry in /etc survives an upgrade.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/debian/postinst"
    "${PROJECT_SOURCE_DIR}/packaging/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
