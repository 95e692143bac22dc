# The real executable plays the fixture asset set for the whole timeline, once intact and once with
# each kind of asset missing or corrupt. Each run takes 80 seconds of wall time, so each is a test of
# its own and `ctest -j` runs them side by side.
foreach(case intact missing-texture truncated-png missing-model binary-model
             missing-material-library missing-shader missing-soundtrack)
  add_test(NAME Presentation.PlaysToTheEnd.${case}
           COMMAND ${WITH_X_SERVER} ${CMAKE_CURRENT_SOURCE_DIR}/long/presentation_run.sh
                   $<TARGET_FILE:demo> ${CMAKE_CURRENT_SOURCE_DIR}/data/assets ${case})
  set_tests_properties(Presentation.PlaysToTheEnd.${case} PROPERTIES TIMEOUT 240)
endforeach()
