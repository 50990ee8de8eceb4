# Sources, tests, benchmarks and fuzz targets of this area are listed here.
# HRI1 recordings (geostationary HRI stream) and Meteor AHRPT files.
target_sources(kelo_core PRIVATE
  src/files/hri1_read.cpp
  src/files/hri1_write.cpp
  src/files/hri_functions.cpp
  src/files/ahrpt1_read.cpp
)

kelo_add_test(kelo_test_hri SOURCES
  tests/files/test_hri1_read.cpp
  tests/files/test_ahrpt1_read.cpp
)

kelo_add_fuzzer(fuzz_hri1_read SOURCES fuzz/fuzz_hri1_read.cpp)
kelo_add_fuzzer(fuzz_ahrpt1_read SOURCES fuzz/fuzz_ahrpt1_read.cpp)

kelo_add_bench(bench_hri SOURCES bench/bench_hri.cpp)
