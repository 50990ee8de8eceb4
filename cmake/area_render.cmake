# Picture rendering into the canvas buffer: drawing primitives and font,
# coordinate mapping, palettes, zoom maths, luminance, grid, headless render.
target_sources(kelo_core PRIVATE
  src/lumo/rgbdraw.cpp
  src/view/zoom.cpp
  src/view/mapping.cpp
  src/view/draw.cpp
  src/view/lumi.cpp
  src/view/render.cpp
  src/orbit/draw_satpos.cpp
)

kelo_add_test(kelo_test_render SOURCES
  tests/lumo/test_rgbdraw.cpp
  tests/view/test_zoom.cpp
  tests/view/test_mapping.cpp
  tests/view/test_lumi.cpp
  tests/orbit/test_draw_satpos.cpp
  tests/view/test_draw.cpp
)

kelo_add_bench(bench_render SOURCES bench/bench_render.cpp)
