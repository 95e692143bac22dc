# The preview tests run sessions in their own process, the real preview under its own X server,
# and the real capture for the frames to compare with.
target_link_libraries(${area}_tests PRIVATE previewcore)
target_compile_definitions(${area}_tests PRIVATE
  CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>" PREVIEW_EXECUTABLE="$<TARGET_FILE:preview>")
add_dependencies(${area}_tests capture preview)
