# The Windows program's resources: a manifest (run as the invoker, themed
# controls, DPI awareness, the Windows versions it knows), its icon and its
# version information, all from the one version in project().
enable_language(RC)

file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) [^\n]*" PRCFIX_COPYRIGHT "${license}")
if(NOT PRCFIX_COPYRIGHT)
  message(FATAL_ERROR "no copyright line in LICENSE")
endif()
set(PRCFIX_VERSION_QUAD
  "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
string(REPLACE "." "," PRCFIX_VERSION_COMMAS "${PRCFIX_VERSION_QUAD}")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PRCFIX_MANIFEST_ARCH amd64)
else()
  set(PRCFIX_MANIFEST_ARCH x86)
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/prcfix.manifest.in
  ${PROJECT_BINARY_DIR}/prcfix.manifest @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/prcfix.rc.in
  ${PROJECT_BINARY_DIR}/prcfix.rc @ONLY)
target_sources(prcfix PRIVATE ${PROJECT_BINARY_DIR}/prcfix.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/prcfix.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_BINARY_DIR}/prcfix.manifest;${CMAKE_CURRENT_LIST_DIR}/prcfix.ico")
