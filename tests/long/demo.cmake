# The real executable, run as a user runs it, on an X server of its own.
# It plays the fixture asset set, through SDL's dummy audio driver: a machine without a sound card
# would otherwise add a warning line to stderr.
add_test(NAME Demo.PlaysTheWholeTimelineAndReportsEverySecond
         COMMAND ${WITH_X_SERVER} ${CMAKE_CURRENT_SOURCE_DIR}/long/plays_whole_timeline.sh
                 $<TARGET_FILE:demo> ${CMAKE_CURRENT_SOURCE_DIR}/data/assets)
set_tests_properties(Demo.PlaysTheWholeTimelineAndReportsEverySecond PROPERTIES TIMEOUT 240
                     ENVIRONMENT SDL_AUDIODRIVER=dummy)

# And with no X server at all.
add_test(NAME Demo.WithoutADisplayExitsOneWithAReason
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/long/no_display.sh $<TARGET_FILE:demo>)
