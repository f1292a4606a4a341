# Writes the bundle's Info.plist from Info.plist.in, with the version and the
# oldest macOS that the top-level CMakeLists.txt sets, and the updater's feed
# only when there is one. The macOS build includes this file; the cross-check
# runs it as a script:
#   cmake -D OUTPUT=PATH [-D FEED_URL=URL] -P resources/info_plist.cmake

function(quillmere_info_plist output version minimum feed)
  set(QUILLMERE_VERSION ${version})
  set(QUILLMERE_MINIMUM_MACOS ${minimum})
  set(QUILLMERE_FEED_ENTRY "")
  if(NOT feed STREQUAL "")
    # The build configures the file once more, so "$", "@" and ";" could not pass through unharmed.
    if(NOT feed MATCHES "^https://[A-Za-z0-9._~:/?#!&'()*+,=%-]+$")
      message(FATAL_ERROR "The updater's feed must be an https:// URL without spaces, \"$\", \"@\" or \";\": ${feed}")
    endif()
    string(REPLACE "&" "&amp;" feed "${feed}")
    set(QUILLMERE_FEED_ENTRY "\t<key>SUFeedURL</key>\n\t<string>${feed}</string>\n")
  endif()
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/Info.plist.in ${output} @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  if(NOT OUTPUT)
    message(FATAL_ERROR "info_plist.cmake: give -D OUTPUT=PATH")
  endif()
  file(READ ${CMAKE_CURRENT_LIST_DIR}/../CMakeLists.txt top)
  string(REGEX MATCH "project\\(Quillmere VERSION ([0-9.]+)" found "${top}")
  set(version ${CMAKE_MATCH_1})
  string(REGEX MATCH "set\\(CMAKE_OSX_DEPLOYMENT_TARGET ([0-9.]+)" found "${top}")
  set(minimum ${CMAKE_MATCH_1})
  if(NOT version OR NOT minimum)
    message(FATAL_ERROR "info_plist.cmake: CMakeLists.txt names no project VERSION or CMAKE_OSX_DEPLOYMENT_TARGET")
  endif()
  quillmere_info_plist(${OUTPUT} ${version} ${minimum} "${FEED_URL}")
endif()
