# Polar recordings (HRPT1 files, frame headers, the 10-bit packer) and the
# orbit model (two-line elements, satellite and pixel positions).
target_sources(kelo_core PRIVATE
  src/files/pack10.cpp
  src/files/hrpt1_read.cpp
  src/files/hrpt1_write.cpp
  src/files/hrpt_framehdr.cpp
  src/orbit/parse_norad.cpp
  src/orbit/select_kepler_core.cpp
  src/orbit/calc_satpos.cpp
)

kelo_add_test(kelo_test_polar SOURCES
  tests/files/test_hrpt1.cpp
  tests/files/test_hrpt_framehdr.cpp
  tests/orbit/test_parse_norad.cpp
  tests/orbit/test_calc_satpos.cpp
)

kelo_add_fuzzer(fuzz_hrpt1_read SOURCES fuzz/fuzz_hrpt1_read.cpp)
kelo_add_fuzzer(fuzz_norad SOURCES fuzz/fuzz_norad.cpp)

kelo_add_bench(bench_hrpt1 SOURCES bench/bench_hrpt1.cpp)
