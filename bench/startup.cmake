# The start-up benchmark reads the fixture asset set unless given another directory.
target_compile_definitions(bench_startup PRIVATE
  DEMO_FIXTURE_ASSETS="${PROJECT_SOURCE_DIR}/tests/data/assets")
