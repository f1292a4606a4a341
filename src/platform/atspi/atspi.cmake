# Other applications' accessibility through AT-SPI: the element under the
# pointer, its role and its links. It holds GLib objects as the GTK services do,
# and finds the window under a point through GDK's X11 backend.
pkg_check_modules(ATSPI REQUIRED IMPORTED_TARGET atspi-2 gdk-x11-3.0 x11)

file(GLOB atspi_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_library(quillmere_atspi STATIC ${atspi_sources})
target_link_libraries(quillmere_atspi PUBLIC quillmere_gtk PkgConfig::ATSPI)
quillmere_warnings(quillmere_atspi)
