# The browser suites (web_test.py): the page built with Emscripten from the fixture asset set,
# and again from a copy of it without one model and one texture, played in headless Chromium
# through chromium-driver. The pages build with the tests (target webpages); the suites compare
# frames and warnings with the Linux capture tool of this build. Not in the sanitized build: the
# page is the same program there.
if(DEMO_SANITIZE)
  return()
endif()

set(WEB_SUITES Frames Playing Keys MissingFiles NoWebGL Zip)
find_program(EMCMAKE emcmake)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(NOT EMCMAKE)
  # Only where Emscripten is truly absent; make test installs it (scripts/install-deps.sh --test).
  foreach(suite ${WEB_SUITES})
    add_test(NAME web.${suite} COMMAND ${CMAKE_COMMAND} -E echo
             "web.${suite}: skipped: no emcmake here (Debian package emscripten)")
    set_tests_properties(web.${suite} PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: no emcmake")
  endforeach()
  return()
endif()

set(WEB_DIR ${PROJECT_BINARY_DIR}/web)
set(WEB_FIXTURE_PAGE ${WEB_DIR}/fixture)
set(WEB_MISSING_PAGE ${WEB_DIR}/missing)
set(BUILD_PAGE ${CMAKE_CURRENT_LIST_DIR}/build-page.sh ${PROJECT_SOURCE_DIR})
# The inner builds decide themselves what is out of date; the missing files are those that the
# suite names.
add_custom_target(webpages ALL
  COMMAND ${BUILD_PAGE} ${WEB_FIXTURE_PAGE} ${WEB_DIR}/deps ${PROJECT_SOURCE_DIR}/tests/data/assets
  COMMAND ${BUILD_PAGE} ${WEB_MISSING_PAGE} ${WEB_DIR}/deps ${PROJECT_SOURCE_DIR}/tests/data/assets
          3.OBJ or.PNG
  COMMENT "The browser pages of the fixture asset set"
  VERBATIM)

# Each suite starts and ends its own browser; the frames are compared with capture's, which
# needs an X server.
foreach(suite ${WEB_SUITES})
  add_test(NAME web.${suite}
    COMMAND ${WITH_X_SERVER} ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/web_test.py
            --page ${WEB_FIXTURE_PAGE} --zip ${WEB_FIXTURE_PAGE}/demo-web.zip
            --missing-page ${WEB_MISSING_PAGE} --missing-assets ${WEB_MISSING_PAGE}-assets
            --capture $<TARGET_FILE:capture> ${suite})
  set_tests_properties(web.${suite} PROPERTIES TIMEOUT 300 RESOURCE_LOCK browser)
endforeach()
