# The frames benchmark runs this build's capture program against a baseline one, by default on the
# asset pack the build generates.
add_dependencies(bench_frames capture)
target_compile_definitions(bench_frames PRIVATE
  CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>"
  BUILD_ASSETS="${PROJECT_BINARY_DIR}/assets")
