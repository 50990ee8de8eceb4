# Exchange pictures (GIF, PGM/PPM) and file recognition, opening and naming.
target_sources(kelo_core PRIVATE
  src/files/gif_read.cpp
  src/files/gif_write.cpp
  src/files/ppm.cpp
  src/files/file.cpp
)

kelo_add_test(kelo_test_pictures SOURCES
  tests/files/test_gif_read.cpp
  tests/files/test_ppm.cpp
  tests/files/test_file.cpp
)

# GIF speed, side by side with giflib (linked into the benchmark only).
if(KELO_BUILD_BENCH)
  find_package(GIF REQUIRED)
  kelo_add_bench(bench_gif SOURCES bench/bench_gif.cpp LIBS GIF::GIF)
endif()

kelo_add_fuzzer(fuzz_gif_read SOURCES fuzz/fuzz_gif_read.cpp)
kelo_add_fuzzer(fuzz_ppm_read SOURCES fuzz/fuzz_ppm_read.cpp)
