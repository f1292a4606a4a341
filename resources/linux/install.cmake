# The program's files on Linux: beside build/quillmere in the build folder, and
# where Linux programs live once installed (GNUInstallDirs), with the menu
# entry, metainfo, icons, manual page and Debian package (cpack --preset deb).
# The program finds its data from its own path, so an install anywhere works.
set(linux_resources ${PROJECT_SOURCE_DIR}/resources/linux)
set(linux_files ${CMAKE_BINARY_DIR}/linux)
set(QUILLMERE_PACKAGE_MAINTAINER "Quillmere developers <developers@quillmere.com>"
  CACHE STRING "Who answers for the Debian package: a name and an address")

# Its data: the texts for a Linux desktop, the tray images and the symbolic
# icon that panels recolour, under the names the program reads.
set(data_files
  ${linux_resources}/Localizable.strings
  ${PROJECT_SOURCE_DIR}/resources/MenuBarIcon.png
  ${PROJECT_SOURCE_DIR}/resources/MenuBarIcon@2x.png)
foreach(file ${data_files})
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${CMAKE_BINARY_DIR}/${name} COPYONLY)
endforeach()
configure_file(${linux_resources}/quillmere-symbolic.svg ${CMAKE_BINARY_DIR}/MenuBarIcon-symbolic.svg COPYONLY)

# The application icon at the sizes the icon theme expects, from its SVG.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_sizes 16 24 32 48 64 128 256)
set(icon_pngs)
foreach(size ${icon_sizes})
  set(png ${linux_files}/icons/${size}/quillmere.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${linux_files}/icons/${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${linux_resources}/quillmere.svg
    DEPENDS ${linux_resources}/quillmere.svg VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()

# The manual page and the Debian changelog, compressed without a time stamp.
configure_file(${linux_resources}/quillmere.1.in ${linux_files}/quillmere.1 @ONLY)
configure_file(${linux_resources}/changelog.in ${linux_files}/changelog @ONLY)
configure_file(${linux_resources}/com.quillmere.Quillmere.metainfo.xml.in
  ${linux_files}/com.quillmere.Quillmere.metainfo.xml @ONLY)
foreach(name quillmere.1 changelog)
  add_custom_command(OUTPUT ${linux_files}/${name}.gz
    COMMAND gzip -9 --no-name --force --keep ${linux_files}/${name}
    DEPENDS ${linux_files}/${name} VERBATIM)
endforeach()
add_custom_target(quillmere_linux_files ALL DEPENDS ${icon_pngs} ${linux_files}/quillmere.1.gz
  ${linux_files}/changelog.gz)

install(TARGETS quillmere RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${data_files} DESTINATION ${QUILLMERE_INSTALL_DATADIR})
install(FILES ${linux_resources}/quillmere-symbolic.svg DESTINATION ${QUILLMERE_INSTALL_DATADIR}
  RENAME MenuBarIcon-symbolic.svg)
set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${linux_resources}/quillmere.svg DESTINATION ${icons}/scalable/apps)
install(FILES ${linux_resources}/quillmere-symbolic.svg DESTINATION ${icons}/symbolic/apps)
foreach(size ${icon_sizes})
  install(FILES ${linux_files}/icons/${size}/quillmere.png DESTINATION ${icons}/${size}x${size}/apps)
endforeach()
install(FILES ${linux_resources}/com.quillmere.Quillmere.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_files}/com.quillmere.Quillmere.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${linux_files}/quillmere.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${linux_resources}/copyright ${linux_files}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillmere)

# The Debian package: quillmere_VERSION_ARCH.deb, its run-time dependencies
# read from the executable by dpkg-shlibdeps, the executable stripped.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLMERE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's accessibility bus, which link detection asks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS at-spi2-core)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "scroll any window with the middle mouse button
Quillmere gives every application on an X11 desktop autoscrolling: press the
middle mouse button and move the pointer, and the window under it scrolls that
way, faster the further you go. A click without moving keeps it scrolling
until the next click or Escape. Links in browsers, Shift-middle-clicks and the
applications you exclude keep their ordinary middle click. It lives in the
panel's tray.")
include(CPack)
