# The X11 backend's services that show things to the user or read other
# applications' accessibility: the status item through AppIndicator, alerts and
# the declarative views' windows through GTK 3, and accessibility through AT-SPI.
pkg_check_modules(X11_GTK REQUIRED IMPORTED_TARGET GLOBAL gtk+-3.0 gdk-x11-3.0 ayatana-appindicator3-0.1 atspi-2 x11)

file(GLOB x11_gtk_sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/gtk_*.cpp
  ${CMAKE_CURRENT_LIST_DIR}/atspi_*.cpp)
add_library(quillmere_x11_gtk STATIC ${x11_gtk_sources})
target_link_libraries(quillmere_x11_gtk PUBLIC quillmere_cairo PkgConfig::X11_GTK)
quillmere_warnings(quillmere_x11_gtk)
