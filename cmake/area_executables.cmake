# The program itself. Batch mode and -V/-H run before any display is opened.
if(KELO_BUILD_GUI)
  add_executable(kelo src/app/kelo.cpp)
  target_link_libraries(kelo PRIVATE kelo_app)
endif()
if(KELO_BUILD_GUI)
  target_sources(kelo_app PRIVATE
    src/app/gtk_inter.cpp
  )
endif()
