# The real executable, run as a user runs it, under the display the test command provides.
add_test(NAME Demo.PlaysTheWholeTimelineAndReportsEverySecond
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/long/plays_whole_timeline.sh $<TARGET_FILE:demo>)
set_tests_properties(Demo.PlaysTheWholeTimelineAndReportsEverySecond PROPERTIES TIMEOUT 240)

add_test(NAME Demo.WithoutADisplayExitsOneWithAReason
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/long/no_display.sh $<TARGET_FILE:demo>)
