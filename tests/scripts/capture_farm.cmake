# The capture farm run from the fixture asset set and compared with one capture of the same frames.
foreach(case PngFramesEqualOneCapture VideoHasTheFramesRateAndSoundOfOneCapture
             FailedChunkIsRetriedThenNamedAndNothingIsLeft BadOptionGivesOneLineAndStatusTwo
             ChunksRunOverSshOnTwoHosts)
  add_test(NAME CaptureFarm.${case}
           COMMAND ${TEST_LAUNCHER} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/capture_farm_test.sh ${case}
                   ${PROJECT_SOURCE_DIR}/scripts/capture-farm.sh $<TARGET_FILE:capture>
                   ${CMAKE_CURRENT_SOURCE_DIR}/data/assets)
  set_tests_properties(CaptureFarm.${case} PROPERTIES TIMEOUT 300)
  if(DEMO_SANITIZE)
    set_tests_properties(CaptureFarm.${case} PROPERTIES ENVIRONMENT LSAN_OPTIONS=${LSAN_OPTIONS})
  endif()
endforeach()
