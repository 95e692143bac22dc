# The capture benchmark runs the capture program of this build, by default on the asset pack the
# build generates.
add_dependencies(bench_capture capture)
target_compile_definitions(bench_capture PRIVATE
  CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>"
  BUILD_ASSETS="${PROJECT_BINARY_DIR}/assets")
