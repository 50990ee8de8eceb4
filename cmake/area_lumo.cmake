# GUI layer part 1: identifiers and lookup, windows and dialogs, packing,
# buttons and LED, numeric controls, and the GTK side of the core/GUI seam.
if(KELO_BUILD_GUI)
  target_sources(kelo_lumo PRIVATE
    src/lumo/lumo_misc.cpp
    src/lumo/windows.cpp
    src/lumo/packing.cpp
    src/lumo/buttons.cpp
    src/lumo/gtk_led.cpp
    src/lumo/adjust.cpp
    src/lumo/gui_gtk.cpp
  )
  # A window built from the layer's pieces, to look at on a real display.
  add_executable(lumo_demo tools/lumo_demo.cpp)
  target_link_libraries(lumo_demo PRIVATE kelo_lumo)
  # Identifier lookups in a large window (needs a display).
  kelo_add_bench(bench_lumo_lookup SOURCES bench/bench_lumo_lookup.cpp LIBS kelo_lumo)
endif()

kelo_add_test(kelo_test_lumo GUI LIBS kelo_lumo SOURCES
  tests/lumo/test_lookup.cpp
  tests/lumo/test_windows.cpp
  tests/lumo/test_buttons.cpp
  tests/lumo/test_adjust.cpp
)
