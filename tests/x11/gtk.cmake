# The X11 backend's GTK and AT-SPI services, each tested by itself on a
# desktop the tests start for themselves: Xvfb, a session bus with the
# accessibility bus behind it, and a tray host where one is needed.
find_package(PkgConfig REQUIRED)
pkg_check_modules(X11_TEST REQUIRED IMPORTED_TARGET x11 xtst)

# A GTK client with a link button, a link inside a label and plain text.
add_executable(quillmere_x11_link_client x11/atspi_link_client.cpp)
target_link_libraries(quillmere_x11_link_client PRIVATE PkgConfig::X11_GTK)
quillmere_warnings(quillmere_x11_link_client)

add_executable(quillmere_x11_gtk_tests
  x11/atspi_accessibility_test.cpp
  x11/gtk_alerts_test.cpp
  x11/gtk_desktop.cpp
  x11/gtk_program_test.cpp
  x11/gtk_status_bar_test.cpp
  x11/gtk_tray_host.cpp
  x11/gtk_view_probe.cpp
  x11/gtk_view_window_test.cpp)
target_include_directories(quillmere_x11_gtk_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillmere_x11_gtk_tests PRIVATE quillmere_x11_gtk quillmere_tools PkgConfig::X11_TEST
  GTest::gtest GTest::gtest_main)
target_compile_definitions(quillmere_x11_gtk_tests PRIVATE
  QM_RESOURCES="${PROJECT_SOURCE_DIR}/resources"
  QM_LINK_CLIENT="$<TARGET_FILE:quillmere_x11_link_client>")
add_dependencies(quillmere_x11_gtk_tests quillmere_x11_link_client)
quillmere_warnings(quillmere_x11_gtk_tests)
# The libraries' own caches, which live as long as the process, are named
# there; the libraries have no frame pointers, so naming them needs full unwinding.
gtest_discover_tests(quillmere_x11_gtk_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp"
  ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::fast_unwind_on_malloc=0")
