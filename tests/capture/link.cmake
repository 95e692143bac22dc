# The capture tests run the real tool and reach its argument parsing directly.
target_link_libraries(${area}_tests PRIVATE capturecore)
target_compile_definitions(${area}_tests PRIVATE CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>")
add_dependencies(${area}_tests capture)
