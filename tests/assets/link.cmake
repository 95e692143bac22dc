# The differential test reads the same files with tinyobjloader (Debian's libtinyobjloader-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(TINYOBJLOADER REQUIRED IMPORTED_TARGET tinyobjloader)
target_link_libraries(assets_tests PRIVATE PkgConfig::TINYOBJLOADER)
