# GUI layer part 2: menus and option menus, the canvas widget, column lists
# and the file dialog.
if(KELO_BUILD_GUI)
  target_sources(kelo_lumo PRIVATE
    src/lumo/menus.cpp
    src/lumo/canvas.cpp
    src/lumo/listtree.cpp
    src/lumo/filemngr.cpp
  )
  # The station window with menus, canvas, list and file dialog, to look at
  # the layer on a real display.
  add_executable(lumo_demo2 tools/lumo_demo2.cpp)
  target_link_libraries(lumo_demo2 PRIVATE kelo_lumo)
endif()

kelo_add_test(kelo_test_lumo2 GUI LIBS kelo_lumo SOURCES
  tests/lumo/test_menus.cpp
  tests/lumo/test_canvas.cpp
  tests/lumo/test_listtree.cpp
  tests/lumo/test_filepaths.cpp
  tests/lumo/test_filemngr.cpp
)

if(KELO_BUILD_GUI)
  kelo_add_bench(bench_canvas SOURCES bench/bench_canvas.cpp LIBS kelo_lumo)
endif()

# Real mouse clicks for the menu, list and dialog tests go through the X server's test
# extension when its library is there (it comes with the GTK development
# packages); without it those tests are left out.
if(TARGET kelo_test_lumo2)
  pkg_check_modules(XTST IMPORTED_TARGET xtst x11)
  if(XTST_FOUND)
    target_link_libraries(kelo_test_lumo2 PRIVATE PkgConfig::XTST)
    target_compile_definitions(kelo_test_lumo2 PRIVATE KELO_HAVE_XTEST)
  endif()
endif()
