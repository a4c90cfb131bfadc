# Install layout and the Debian package (scripts/package-deb.sh).
#   <prefix>/bin/harbrook, harbrook-phone
#   <prefix>/share/harbrook/          the files the program reads beside itself
#                                     in the build tree (platform::ProgramFilesFolder)
#   <prefix>/share/applications, metainfo, icons/hicolor, man/man1, doc/harbrook
#   <prefix>/lib/systemd/user/harbrook.service
include(GNUInstallDirs)
set(HARBROOK_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/harbrook)
set(linux_res ${CMAKE_SOURCE_DIR}/res/linux)
set(out ${CMAKE_BINARY_DIR}/desktop)
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/harbrook)

install(TARGETS harbrook harbrook-phone RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET harbrook-window)
  install(TARGETS harbrook-window RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Whatever the build puts beside the program: the phone picture, the language
# libraries, harbrook.ini. Each is optional so that a tree without one still
# installs; the folder itself always exists, since it is what tells an
# installed program from one in a build tree.
install(DIRECTORY DESTINATION ${HARBROOK_SHARE_DIR})
install(FILES $<TARGET_FILE_DIR:harbrook>/mobile.jpg $<TARGET_FILE_DIR:harbrook>/harbrook.ini
        DESTINATION ${HARBROOK_SHARE_DIR} OPTIONAL)
install(DIRECTORY "$<TARGET_FILE_DIR:harbrook>/harbrook locales"
        DESTINATION ${HARBROOK_SHARE_DIR} OPTIONAL)

# The icon: the SVG as it stands, and PNG sizes rendered from it.
find_program(RSVG_CONVERT rsvg-convert)
set(icon_svg ${CMAKE_SOURCE_DIR}/res/art/harbrook.svg)
set(generated)
if(RSVG_CONVERT)
  foreach(size 16 32 48 64 128 256)
    set(png ${out}/icons/${size}/harbrook.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/icons/${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
      DEPENDS ${icon_svg} VERBATIM)
    list(APPEND generated ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(STATUS "rsvg-convert not found: the install has the SVG icon only")
endif()
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages and the Debian changelog, compressed as Debian wants them
# (gzip -n: no name or time stamp inside, so the output is reproducible).
find_program(GZIP gzip REQUIRED)
# The man pages name the project's version.
foreach(page harbrook.1 harbrook-phone.1 harbrook-window.1)
  configure_file(${linux_res}/${page} ${out}/source/${page} @ONLY)
endforeach()
configure_file(${linux_res}/changelog ${out}/source/changelog COPYONLY)
foreach(page harbrook.1 harbrook-phone.1 harbrook-window.1 changelog)
  set(gz ${out}/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${out}/source/${page} ${out}/${page}
    COMMAND ${GZIP} -9nf ${out}/${page}
    DEPENDS ${out}/source/${page} VERBATIM)
  list(APPEND generated ${gz})
endforeach()
add_custom_target(harbrook_desktop_files ALL DEPENDS ${generated})
install(FILES ${out}/harbrook.1.gz ${out}/harbrook-phone.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET harbrook-window)
  # The window program's page is harbrook's.
  install(FILES ${out}/harbrook-window.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${out}/changelog.gz DESTINATION ${doc_dir}
        RENAME changelog.Debian.gz)
install(FILES ${linux_res}/copyright DESTINATION ${doc_dir})

install(FILES ${linux_res}/harbrook.desktop ${linux_res}/harbrook-send.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_res}/lab.orvanta.Harbrook.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The user service runs the installed program by its full path.
set(HARBROOK_INSTALLED_EXE ${CMAKE_INSTALL_FULL_BINDIR}/harbrook)
configure_file(${linux_res}/harbrook.service.in ${out}/harbrook.service @ONLY)
install(FILES ${out}/harbrook.service DESTINATION lib/systemd/user)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME harbrook)
set(CPACK_PACKAGE_VENDOR "Orvanta Lab")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Harbrook developers <harbrook@orvanta-lab.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "back up a phone to this PC over the local network
Harbrook is the PC half of a phone-to-PC backup tool. The phone app scans
the pairing QR code that Harbrook shows; from then on the phone and the PC
talk over TCP on the local network. Harbrook receives the phone's photos,
videos, documents and audio into a folder tree per phone and category, and
sends files picked on the PC to the phone.
.
The package also holds harbrook-phone, a stand-in for the phone app for
testing a PC without a phone, and a systemd user service for machines
without a desktop.")
# Depends from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
