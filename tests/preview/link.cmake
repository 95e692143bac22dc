# The preview tests run sessions in their own process, the real preview under its own X server,
# the real capture for the frames to compare with, and the real demo for its pointer.
target_link_libraries(${area}_tests PRIVATE previewcore)
target_compile_definitions(${area}_tests PRIVATE
  CAPTURE_EXECUTABLE="$<TARGET_FILE:capture>" PREVIEW_EXECUTABLE="$<TARGET_FILE:preview>"
  DEMO_EXECUTABLE="$<TARGET_FILE:demo>")
add_dependencies(${area}_tests capture preview demo)
