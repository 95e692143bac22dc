# The PNG level benchmark encodes with capture's own writer, frames rendered by this build's capture
# from the asset pack the build generates.
target_link_libraries(bench_png_level PRIVATE capturecore)
add_dependencies(bench_png_level capture)
target_compile_definitions(bench_png_level PRIVATE
  CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>"
  BUILD_ASSETS="${PROJECT_BINARY_DIR}/assets")
# It reads the frames back as the capture tests do.
target_include_directories(bench_png_level PRIVATE ${PROJECT_SOURCE_DIR}/tests)
