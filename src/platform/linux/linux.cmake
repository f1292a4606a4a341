# The desktop services any Linux backend shares, none of them tied to a display
# server: GLib's main loop as the run loop, main queue and application, waking
# from sleep through logind, the JSON defaults file, XDG autostart, the strings
# table among its data, the log on standard error and the command line.
pkg_check_modules(LINUX_DESKTOP REQUIRED IMPORTED_TARGET glib-2.0 gio-2.0)

file(GLOB linux_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_library(quillmere_linux STATIC ${linux_sources})
target_link_libraries(quillmere_linux PUBLIC quillmere_platform quillmere_json quillmere_strings_table
  PkgConfig::LINUX_DESKTOP)
quillmere_warnings(quillmere_linux)

# Installed, the program's data lies at this path from its executable.
include(GNUInstallDirs)
set(QUILLMERE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/quillmere)
file(RELATIVE_PATH data_from_executable ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/quillmere)
target_compile_definitions(quillmere_linux PRIVATE QUILLMERE_DATA_FROM_EXECUTABLE="${data_from_executable}"
  QUILLMERE_VERSION="${PROJECT_VERSION}")
