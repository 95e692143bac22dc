# The peer reader, from Debian's libtinyobjloader-dev.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TINYOBJLOADER REQUIRED IMPORTED_TARGET tinyobjloader)
target_link_libraries(bench_obj_load PRIVATE PkgConfig::TINYOBJLOADER)
