# The X11 backend, the X server's part of the Linux desktop (grabs, events,
# posting, the second pointer, windows, screens), and the program built on it
# with the desktop services, GTK and AT-SPI: build/quillmere. Its data, and its
# installation, are resources/linux/install.cmake's. Included from
# src/CMakeLists.txt on Linux.
pkg_check_modules(X11_BACKEND REQUIRED IMPORTED_TARGET x11 xi xtst xfixes xext xrandr xres cairo-xlib glib-2.0
  gio-2.0 gtk+-3.0)

file(GLOB x11_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/x11_*.cpp)
add_library(quillmere_x11 STATIC ${x11_sources})
target_link_libraries(quillmere_x11 PUBLIC quillmere_program quillmere_linux quillmere_gtk quillmere_atspi quillmere_cairo
  PkgConfig::X11_BACKEND)
target_compile_definitions(quillmere_x11 PRIVATE G_LOG_DOMAIN="Quillmere")
quillmere_warnings(quillmere_x11)

add_executable(quillmere ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(quillmere PRIVATE quillmere_x11)
set_target_properties(quillmere PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Its relocations read-only once loaded, as Debian's programs have them.
target_link_options(quillmere PRIVATE LINKER:-z,relro,-z,now)
quillmere_warnings(quillmere)

