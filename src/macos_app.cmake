# Quillmere.app: the program over the real frameworks, as an agent application
# (no Dock icon) with its strings table and status-bar image.
enable_language(OBJCXX)

file(GLOB macos_sources CONFIGURE_DEPENDS platform/macos/*.mm)
set(resources ${PROJECT_SOURCE_DIR}/resources)
set(bundle_resources
  ${resources}/en.lproj/Localizable.strings
  ${resources}/MenuBarIcon.png
  ${resources}/MenuBarIcon@2x.png)

add_executable(Quillmere MACOSX_BUNDLE ${macos_sources} ${bundle_resources})
target_compile_options(Quillmere PRIVATE -fobjc-arc -fblocks)
target_link_libraries(Quillmere PRIVATE quillmere_program
  "-framework AppKit" "-framework Foundation" "-framework CoreFoundation" "-framework CoreGraphics"
  "-framework ApplicationServices" "-framework CoreVideo")
# The executable loads only the libraries it binds to, as the cross-check's
# does; ServiceManagement stays all the same, since SMAppService is looked up
# by name.
target_link_options(Quillmere PRIVATE "LINKER:-dead_strip,-dead_strip_dylibs"
  "LINKER:-needed_framework,ServiceManagement")
quillmere_warnings(Quillmere)
set_source_files_properties(${resources}/en.lproj/Localizable.strings PROPERTIES
  MACOSX_PACKAGE_LOCATION Resources/en.lproj)
set_source_files_properties(${resources}/MenuBarIcon.png ${resources}/MenuBarIcon@2x.png PROPERTIES
  MACOSX_PACKAGE_LOCATION Resources)

# The updater starts only with a feed to look at; without one the bundle names none.
set(QUILLMERE_UPDATE_FEED_URL "" CACHE STRING "The updater's feed (appcast) URL; empty for none")
include(${resources}/info_plist.cmake)
quillmere_info_plist(${CMAKE_CURRENT_BINARY_DIR}/Info.plist ${PROJECT_VERSION} ${CMAKE_OSX_DEPLOYMENT_TARGET}
  "${QUILLMERE_UPDATE_FEED_URL}")
set_target_properties(Quillmere PROPERTIES
  OUTPUT_NAME Quillmere
  MACOSX_BUNDLE_INFO_PLIST ${CMAKE_CURRENT_BINARY_DIR}/Info.plist
  MACOSX_BUNDLE_GUI_IDENTIFIER com.quillmere.Quillmere)
