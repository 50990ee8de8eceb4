# Start-up, preferences, utilities, records and the core/GUI seam.
target_sources(kelo_core PRIVATE
  src/app/kfile.cpp
  src/app/gui_seam.cpp
  src/app/misc.cpp
  src/app/prefer.cpp
  src/app/cmdline.cpp
  src/app/startup.cpp
)

kelo_add_test(kelo_test_foundation SOURCES
  tests/app/test_misc.cpp
  tests/app/test_prefer.cpp
  tests/app/test_cmdline.cpp
  tests/app/test_startup.cpp
)
