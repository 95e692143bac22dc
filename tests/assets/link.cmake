# The differential test reads the same files with tinyobjloader (Debian's libtinyobjloader-dev),
# a Linux library, and with the literal reading the OBJ fuzzer compares with: the Windows build
# leaves that test out.
if(WIN32)
  return()
endif()
target_sources(assets_tests PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/reference_reader.cpp)
target_include_directories(assets_tests PRIVATE ${PROJECT_SOURCE_DIR}/fuzz)
find_package(PkgConfig REQUIRED)
pkg_check_modules(TINYOBJLOADER REQUIRED IMPORTED_TARGET tinyobjloader)
target_link_libraries(assets_tests PRIVATE PkgConfig::TINYOBJLOADER)
