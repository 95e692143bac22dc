# The differential test reads the same files with tinyobjloader (Debian's libtinyobjloader-dev),
# a Linux library: the Windows build leaves that test out.
if(WIN32)
  return()
endif()
find_package(PkgConfig REQUIRED)
pkg_check_modules(TINYOBJLOADER REQUIRED IMPORTED_TARGET tinyobjloader)
target_link_libraries(assets_tests PRIVATE PkgConfig::TINYOBJLOADER)
