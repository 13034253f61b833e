# What `cmake --install` puts where, and the packages CPack makes of it.
set(CPACK_PACKAGE_NAME prcfix)
set(CPACK_PACKAGE_VENDOR "The prcfix developers")
set(CPACK_PACKAGE_CONTACT "The prcfix developers <prcfix@users.noreply.invalid>")

if(EMSCRIPTEN)
  # The page's zip: what web/ installs, at the top.
  set(CPACK_SYSTEM_NAME web)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_CHECKSUM SHA256)
elseif(WIN32)
  # The zip a Windows user unpacks: the program at the top, and beside it
  # a short README.txt for that user and the licence, with the line ends
  # Windows' own editors expect. Its checksum goes beside the zip.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/windows/README.txt.in
    ${PROJECT_BINARY_DIR}/release/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE
    ${PROJECT_BINARY_DIR}/release/LICENSE @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS prcfix RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/release/README.txt
    ${PROJECT_BINARY_DIR}/release/LICENSE DESTINATION .)
  # The page too, for a PC that lets no unsigned program run: built from
  # the same sources with emscripten, in a build folder of its own.
  set(PRCFIX_EMSCRIPTEN_TOOLCHAIN
    /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
    CACHE FILEPATH "emscripten's CMake toolchain, for the page")
  set(page_build ${PROJECT_BINARY_DIR}/page)
  file(GLOB page_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/web/*
    ${PROJECT_SOURCE_DIR}/web/icons/* ${PROJECT_SOURCE_DIR}/run/*
    ${PROJECT_SOURCE_DIR}/pdb/*)
  add_custom_command(OUTPUT ${page_build}/prcfix.html
    COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${page_build}
      -DCMAKE_TOOLCHAIN_FILE=${PRCFIX_EMSCRIPTEN_TOOLCHAIN}
      -DCMAKE_BUILD_TYPE=Release -DPRCFIX_TESTS=OFF
    COMMAND ${CMAKE_COMMAND} --build ${page_build} --target page
    DEPENDS ${page_inputs}
    COMMENT "Building prcfix.html with emscripten")
  add_custom_target(page ALL DEPENDS ${page_build}/prcfix.html)
  install(FILES ${page_build}/prcfix.html DESTINATION .)
  # The page holds the zip library it was built with; its licence comes too.
  install(FILES ${page_build}/web/npm/node_modules/client-zip/LICENSE.txt
    DESTINATION . RENAME LICENSE.client-zip.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_CHECKSUM SHA256)
else()
  include(GNUInstallDirs)
  install(TARGETS prcfix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/prcfix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "fix up a Palm status-bar skin database in place")
  # Lines of the long description, as the package manager shows them.
  string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "prcfix changes one Palm resource database, a .prc file holding a skin"
    "for a handheld's status bar, in place: it names the database after its"
    "file, sets its type to rsrc and its creator to Vavo, clears its"
    "reset-after-install flag and retypes its ovly resources as OVLY."
    "Nothing else in the file changes, and its exit status says whether it"
    "worked.")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_PRCFIX_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
endif()
set(CPACK_PRCFIX_RELEASE_EPOCH ${PRCFIX_RELEASE_EPOCH})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/stage_package.cmake)
include(CPack)
