#pragma once

#include <cstddef>

namespace exporter {

// One `play`, as the command line asks for it: a wave looped at a note, or a table's frames swept
// through at A3, for a time.
struct PlayRequest {
  enum class Source { Wave, Table };
  Source source = Source::Wave;
  std::size_t number = 0;    // the wave (0 to 243) or the table (by its place in the image)
  int note = 57;             // MIDI note number: 57 is A3, 220 Hz
  double seconds = 2.0;
};

}  // namespace exporter
