# The services that show things to the user, in GTK 3: the status item through
# AppIndicator or in an XEmbed tray, with a GTK menu, alerts, and the declarative
# views' windows. GDK's X11 backend names the active window and the tray.
pkg_check_modules(GTK REQUIRED IMPORTED_TARGET GLOBAL gtk+-3.0 gdk-x11-3.0 ayatana-appindicator3-0.1 x11)

file(GLOB gtk_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_library(quillmere_gtk STATIC ${gtk_sources})
target_link_libraries(quillmere_gtk PUBLIC quillmere_cairo PkgConfig::GTK)
quillmere_warnings(quillmere_gtk)
