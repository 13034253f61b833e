# Run by CPack on the staging tree before it is packed. Every file in the
# package gets the release's time, and gzip -n keeps names and times out of
# what it compresses, so a package's bytes depend on the sources alone. Man
# pages are compressed, as Debian wants and man reads, and the Debian
# package gets its copyright file and changelog.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_PRCFIX_RELEASE_EPOCH})

function(gzip_file path)
  execute_process(COMMAND gzip -9nf ${path} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${path} failed")
  endif()
endfunction()

file(GLOB_RECURSE pages ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.1)
foreach(page IN LISTS pages)
  gzip_file(${page})
endforeach()

if(CPACK_GENERATOR STREQUAL "DEB")
  set(doc ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/doc/${CPACK_PACKAGE_NAME})
  file(MAKE_DIRECTORY ${doc})
  file(READ ${CPACK_PRCFIX_LICENSE} license)
  file(WRITE ${doc}/copyright "${CPACK_PACKAGE_NAME}, by ${CPACK_PACKAGE_VENDOR}.\n\n${license}")
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${doc}/changelog
    "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
    "  * Release ${CPACK_PACKAGE_VERSION}.\n\n"
    " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}\n")
  gzip_file(${doc}/changelog)
endif()
