# The hostile tests run the real programs, and build a compressed PNG with zlib.
find_package(ZLIB REQUIRED)
target_link_libraries(${area}_tests PRIVATE ZLIB::ZLIB)
target_compile_definitions(${area}_tests PRIVATE DEMO_EXECUTABLE="$<TARGET_FILE:demo>"
                                                 CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>")
add_dependencies(${area}_tests demo capture)
