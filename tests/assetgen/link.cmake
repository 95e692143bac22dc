# The asset pack tests read the pack the build wrote, rebuild parts of it in memory, and check the
# models with a second OBJ reader and the soundtrack with an MP3 decoder.
pkg_check_modules(TINYOBJLOADER REQUIRED IMPORTED_TARGET tinyobjloader)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
target_link_libraries(${area}_tests PRIVATE assetgenlib PkgConfig::TINYOBJLOADER PkgConfig::MPG123)
add_dependencies(${area}_tests assetpack)
