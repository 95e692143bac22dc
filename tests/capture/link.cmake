# The capture tests run the real tool and reach its argument parsing directly.
target_link_libraries(${area}_tests PRIVATE capturecore)
target_compile_definitions(${area}_tests PRIVATE CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>")
add_dependencies(${area}_tests capture)

# The tool ends with glfwTerminate, which unloads Mesa's driver; what the driver allocated for the
# whole process (240 bytes) is then reported as leaked, from a module already gone, which no
# suppression can name. So the tool's runs here, and this suite, are not checked for leaks.
set(AREA_LSAN_OPTIONS detect_leaks=0)
