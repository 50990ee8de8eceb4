# Line store, despeckle, channel translation and AVHRR temperatures.
target_sources(kelo_core PRIVATE
  src/view/data_proc.cpp
  src/view/hrpt_calcs.cpp
)

kelo_add_test(kelo_test_linestore SOURCES
  tests/view/test_hrpt_calcs.cpp
  tests/view/test_data_proc.cpp
)

kelo_add_bench(bench_linestore SOURCES bench/bench_linestore.cpp)

kelo_add_fuzzer(fuzz_linestore SOURCES fuzz/fuzz_linestore.cpp)
