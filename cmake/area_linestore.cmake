# Line store, despeckle, channel translation and AVHRR temperatures.
target_sources(kelo_core PRIVATE
  src/view/data_proc.cpp
  src/view/hrpt_calcs.cpp
)
