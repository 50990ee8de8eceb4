# Sources, tests, benchmarks and fuzz targets of this area are listed here.
if(KELO_BUILD_GUI)
  target_sources(kelo_lumo PRIVATE
    src/lumo/lumo_misc.cpp
  )
endif()
