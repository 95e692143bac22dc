# The browser build, configured with Emscripten's CMake wrapper (scripts/web-build.sh does it):
#   emcmake cmake -S . -B build-web -DDEMO_WEB_PREFIX=<zlib and libspng> -DDEMO_WEB_ASSETS=<dir>
# It writes index.html, demo.js, demo.wasm and demo.data (the asset directory, packed), and
# demo-web.zip holding the four.
set(DEMO_WEB_PREFIX "${CMAKE_BINARY_DIR}/deps" CACHE PATH
    "zlib and libspng built with emcc (scripts/web-deps.sh)")
set(DEMO_WEB_ASSETS "" CACHE PATH "The asset directory packed into demo.data")
if(NOT EXISTS ${DEMO_WEB_PREFIX}/lib/libspng.a)
  message(FATAL_ERROR "${DEMO_WEB_PREFIX}/lib/libspng.a: missing; scripts/web-deps.sh builds it")
endif()
if(NOT IS_DIRECTORY "${DEMO_WEB_ASSETS}")
  message(FATAL_ERROR "DEMO_WEB_ASSETS: '${DEMO_WEB_ASSETS}' is not an asset directory")
endif()

set(DEMO_SYSTEM web)

# A service with a browser file of its own (<service>_web.cpp) takes it in place of the shared
# <service>.cpp; where there is none, the Linux file serves, since Emscripten's C library is POSIX.
file(GLOB DEMO_SYSTEM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/*_web.cpp)
foreach(source ${DEMO_SYSTEM_SOURCES})
  string(REGEX REPLACE "_web\\.cpp$" ".cpp" shared ${source})
  list(REMOVE_ITEM DEMO_SOURCES ${shared})
endforeach()
file(GLOB DEMO_LINUX_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/*_linux.cpp)
foreach(source ${DEMO_LINUX_SOURCES})
  string(REGEX REPLACE "_linux\\.cpp$" "_web.cpp" own ${source})
  if(NOT EXISTS ${own})
    list(APPEND DEMO_SYSTEM_SOURCES ${source})
  endif()
endforeach()
# The directory watch is the preview's alone.
list(FILTER DEMO_SYSTEM_SOURCES EXCLUDE REGEX "file_watch_linux\\.cpp$")

add_library(democore STATIC ${DEMO_SOURCES} ${DEMO_SYSTEM_SOURCES})
# src/platform/web first: its <epoxy/gl.h> stands for the desktop's.
target_include_directories(democore PUBLIC ${PROJECT_SOURCE_DIR}/src/platform/web
                                           ${PROJECT_SOURCE_DIR}/src)
target_include_directories(democore SYSTEM PUBLIC ${DEMO_WEB_PREFIX}/include)
target_compile_definitions(democore PUBLIC SPNG_STATIC)
target_compile_options(democore PRIVATE ${DEMO_WARNINGS})
target_link_libraries(democore PUBLIC ${DEMO_WEB_PREFIX}/lib/libspng.a
                                      ${DEMO_WEB_PREFIX}/lib/libz.a)

# The page's program: the presentation on preview's session, without its offscreen target and
# its directory watch.
add_executable(demo
  tools/web/main.cpp
  tools/preview/preview_session.cpp
  tools/common/discarded_passes.cpp
  tools/common/frame_clock.cpp
  tools/common/option_values.cpp)
target_include_directories(demo PRIVATE ${PROJECT_SOURCE_DIR}/tools/preview
                                        ${PROJECT_SOURCE_DIR}/tools/common)
target_compile_options(demo PRIVATE ${DEMO_WARNINGS})
target_link_libraries(demo PRIVATE democore)
# WebGL 1 under the fixed-function emulation; the frame loop's waits suspend the program and
# give the browser its turn (ASYNCIFY); the asset directory at the root of the file system,
# which is the working directory.
target_link_options(demo PRIVATE
  -sUSE_GLFW=3 -sLEGACY_GL_EMULATION=1 -sMAX_WEBGL_VERSION=1
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web
  "-sEXPORTED_FUNCTIONS=['_main','_malloc','_free']"
  --preload-file ${DEMO_WEB_ASSETS}@/)
file(GLOB DEMO_WEB_ASSET_FILES CONFIGURE_DEPENDS ${DEMO_WEB_ASSETS}/*)
set_target_properties(demo PROPERTIES LINK_DEPENDS "${DEMO_WEB_ASSET_FILES}")

configure_file(${PROJECT_SOURCE_DIR}/web/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
set(DEMO_WEB_FILES index.html demo.js demo.wasm demo.data)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/demo-web.zip
  COMMAND ${CMAKE_COMMAND} -E rm -f demo-web.zip
  COMMAND ${CMAKE_COMMAND} -E tar cf demo-web.zip --format=zip ${DEMO_WEB_FILES}
  DEPENDS demo ${PROJECT_SOURCE_DIR}/web/index.html
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "demo-web.zip")
add_custom_target(webzip ALL DEPENDS ${CMAKE_BINARY_DIR}/demo-web.zip)
