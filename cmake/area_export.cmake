# Export pipeline, header rewrite, channel choices and the headless kelo-export.
target_sources(kelo_core PRIVATE
  src/export/file_save.cpp
  src/view/channels.cpp
  src/view/map_chan.cpp
)
