# Exchange pictures (GIF, PGM/PPM) and file recognition, opening and naming.
target_sources(kelo_core PRIVATE
  src/files/gif_read.cpp
  src/files/gif_write.cpp
  src/files/ppm.cpp
  src/files/file.cpp
)
