# The Windows suites that run whole programs under Wine, as shell scripts given the emulator
# (scripts/wine-run.sh and the build's prefix). Golden frames and missing files use the capture
# tool; the real-time runs use demo.exe from the zip, unpacked.
set(WINE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/wine)

file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/data/golden/frames.txt GOLDEN_LINES REGEX "^[a-z]")
foreach(line ${GOLDEN_LINES})
  string(REGEX REPLACE " +" ";" fields "${line}")
  list(GET fields 0 name)
  list(GET fields 1 from)
  list(GET fields 2 to)
  list(GET fields 3 frame)
  add_test(NAME Wine.CaptureMatchesGoldenFrame.${name}
           COMMAND ${WINE_DIR}/golden_frame.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:capture> ${CMAKE_CURRENT_SOURCE_DIR}/data/assets
                   ${CMAKE_CURRENT_SOURCE_DIR}/data/golden/${name}.png ${from} ${to} ${frame})
endforeach()

# The Linux build's capture gives the warnings to compare with.
set(DEMO_LINUX_BUILD ${PROJECT_SOURCE_DIR}/build CACHE PATH "The Linux build beside this one")
add_test(NAME Wine.MissingFilesGiveTheLinuxWarnings
         COMMAND ${WINE_DIR}/missing_files.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                 $<TARGET_FILE:capture> ${DEMO_LINUX_BUILD}/tools/capture/capture
                 ${CMAKE_CURRENT_SOURCE_DIR}/data/assets)

if(TARGET windowszip AND DEMO_LONG_TESTS)
  add_test(NAME Wine.DemoPlaysTheWholeTimelineWithSound
           COMMAND ${WINE_DIR}/plays_whole_timeline.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${WINDOWS_ZIP})
  # Started first, so that the unit suites run beside its 80 seconds.
  set_tests_properties(Wine.DemoPlaysTheWholeTimelineWithSound PROPERTIES TIMEOUT 240 COST 1000)
  # On an X server of its own, so that the key reaches the presentation's window and no other's.
  add_test(NAME Wine.EscapeEndsTheDemoEarly
           COMMAND ${WITH_X_SERVER} ${WINE_DIR}/escape_ends_early.sh
                   ${CMAKE_CROSSCOMPILING_EMULATOR}
                   ${WINDOWS_ZIP})
  set_tests_properties(Wine.EscapeEndsTheDemoEarly PROPERTIES TIMEOUT 180)
endif()
