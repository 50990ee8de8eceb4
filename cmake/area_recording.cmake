# Recording engines (HRPT/CHRPT, HRI, raw) and unattended batch recording.
target_sources(kelo_core PRIVATE
  src/record/rec_common.cpp
  src/record/hrpt_rec_pp.cpp
  src/record/hri_rec_pp.cpp
  src/record/rawd_rec_pp.cpp
  src/record/batch.cpp
)

kelo_add_test(kelo_test_recording SOURCES
  tests/record/test_recording.cpp
)

kelo_add_bench(bench_recording SOURCES bench/bench_recording.cpp)

if(KELO_BUILD_TESTS AND KELO_BUILD_GUI)
  add_test(NAME BatchCommandLine
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/record/batch_cli_test.sh $<TARGET_FILE:kelo>)
endif()
