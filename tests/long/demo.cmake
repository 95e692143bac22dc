# The real executable, run as a user runs it, on an X server of its own, for the whole timeline in
# real time. It plays the fixture asset set into SDL's disk audio driver, so that the soundtrack
# can be heard in a file. Broken assets are played on a quick clock by the start-up tests instead.
add_test(NAME Demo.PlaysTheWholeTimelineAndReportsEverySecond
         COMMAND ${WITH_X_SERVER} ${CMAKE_CURRENT_SOURCE_DIR}/long/plays_whole_timeline.sh
                 $<TARGET_FILE:demo> ${CMAKE_CURRENT_SOURCE_DIR}/data/assets)
set_tests_properties(Demo.PlaysTheWholeTimelineAndReportsEverySecond PROPERTIES TIMEOUT 240)

# And with no X server at all.
add_test(NAME Demo.WithoutADisplayExitsOneWithAReason
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/long/no_display.sh $<TARGET_FILE:demo>)
