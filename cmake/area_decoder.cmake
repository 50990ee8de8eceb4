# Decoder interface, port backends and the decoder emulator.
target_sources(kelo_core PRIVATE
  src/record/pp_dec_interf.cpp
  src/record/port.cpp
  src/record/port_ppdev.cpp
  src/record/port_direct.cpp
  src/record/port_emulator.cpp
  src/record/emulator_sources.cpp
  src/record/emulator_noaa.cpp
)

kelo_add_test(kelo_test_decoder SOURCES
  tests/record/test_pp_protocol.cpp
  tests/record/test_emulator.cpp
  tests/record/test_emulator_replay.cpp
  tests/app/test_decoder_options.cpp
)

kelo_add_bench(bench_decoder SOURCES bench/bench_decoder.cpp)
kelo_add_fuzzer(fuzz_emu_replay SOURCES fuzz/fuzz_emu_replay.cpp)

# Frame files of synthetic passes, for testing a station's tools.
add_executable(kelo-emu-frames tools/kelo_emu_frames.cpp)
target_link_libraries(kelo-emu-frames PRIVATE kelo_core)
