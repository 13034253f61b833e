# What `cmake --install` puts where, and the packages CPack makes of it.
set(CPACK_PACKAGE_NAME prcfix)
set(CPACK_PACKAGE_VENDOR "The prcfix developers")
set(CPACK_PACKAGE_CONTACT "The prcfix developers <prcfix@users.noreply.invalid>")

if(WIN32)
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
