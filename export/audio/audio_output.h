#pragma once

#include <cstdint>
#include <span>

namespace exporter {

enum class PlayEnd { Finished, Interrupted };

// Plays mono 16-bit samples at `sample_rate` on the desktop's default audio device (ALSA's
// `default` on Linux, the wave mapper on Windows) and returns when the last has sounded, or at
// once when the user presses Ctrl+C; the device is free again either way. Throws ExportFailure
// with a one-line reason when there is no device or it refuses the sound.
PlayEnd play_samples(std::uint32_t sample_rate, std::span<const std::int16_t> samples);

}  // namespace exporter
