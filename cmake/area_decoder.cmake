# Decoder interface, port backends and the decoder emulator.
target_sources(kelo_core PRIVATE
  src/record/pp_dec_interf.cpp
  src/record/port.cpp
  src/record/port_ppdev.cpp
  src/record/port_direct.cpp
  src/record/port_emulator.cpp
  src/record/emulator_sources.cpp
)
