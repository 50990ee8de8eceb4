# Export pipeline, header rewrite, channel choices and the headless kelo-export.
target_sources(kelo_core PRIVATE
  src/export/file_save.cpp
  src/export/kelo_export_cli.cpp
  src/view/channels.cpp
  src/view/map_chan.cpp
)

# The headless exporter: no GTK, runs over ssh and from a scheduler.
add_executable(kelo-export src/export/kelo_export.cpp)
target_link_libraries(kelo-export PRIVATE kelo_core)

kelo_add_test(kelo_test_export SOURCES
  tests/view/test_channels.cpp
  tests/view/test_map_chan.cpp
  tests/export/test_file_save.cpp
  tests/export/test_kelo_export.cpp
  tests/export/test_export_interop.cpp
)

kelo_add_bench(bench_export SOURCES bench/bench_export.cpp)
if(TARGET bench_export)
  # The synthetic pass comes from the tests' recording fixture.
  target_include_directories(bench_export PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()
