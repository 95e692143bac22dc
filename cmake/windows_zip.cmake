# The release for Windows: demo-win64.zip holds one folder, demo-win64/, with demo.exe beside the
# asset pack the Linux build generated (DEMO_WINDOWS_ASSETS). The program reads its files from its
# working directory, which a double-click in Explorer sets to the executable's folder.
set(WINDOWS_ZIP ${PROJECT_BINARY_DIR}/demo-win64.zip)
set(WINDOWS_STAGE ${PROJECT_BINARY_DIR}/zip/demo-win64)
file(GLOB WINDOWS_ASSET_FILES CONFIGURE_DEPENDS ${DEMO_WINDOWS_ASSETS}/*)
add_custom_command(
  OUTPUT ${WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PROJECT_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${DEMO_WINDOWS_ASSETS} ${WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:demo> ${WINDOWS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${WINDOWS_ZIP} --format=zip demo-win64
  DEPENDS demo ${WINDOWS_ASSET_FILES}
  COMMENT "Packing demo.exe and the asset pack into ${WINDOWS_ZIP}"
  VERBATIM)
add_custom_target(windowszip ALL DEPENDS ${WINDOWS_ZIP})
