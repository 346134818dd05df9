#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <string>

#include "export/audio/alsa.h"
#include "export/audio/audio_output.h"
#include "export/failures.h"

namespace exporter {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void note_interrupt(int) { interrupted = 1; }

// Ctrl+C, while the sound plays: noted rather than fatal, and without restarting the write it
// interrupts, so that the device is dropped and closed at once.
class InterruptWatch {
 public:
  InterruptWatch() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = note_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &before_);
  }
  ~InterruptWatch() { sigaction(SIGINT, &before_, nullptr); }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool interrupted_now() const { return interrupted != 0; }

 private:
  struct sigaction before_ {};
};

struct OpenDevice {
  snd_pcm_t* pcm = nullptr;
  ~OpenDevice() {
    if (pcm != nullptr) alsa().snd_pcm_close(pcm);
  }
};

[[noreturn]] void fail(const std::string& what, int error) {
  throw ExportFailure(what + ": " + alsa().snd_strerror(error));
}

constexpr unsigned latency_us = 100000;  // how far ahead of the speaker the samples are written

}  // namespace

PlayEnd play_samples(std::uint32_t sample_rate, std::span<const std::int16_t> samples) {
  OpenDevice device;
  int error = alsa().snd_pcm_open(&device.pcm, "default", SND_PCM_STREAM_PLAYBACK, 0);
  if (error < 0) {
    fail("no audio device", error);
  }
  // Resampling by ALSA is allowed: a device rarely runs at 128 x the note's frequency.
  error = alsa().snd_pcm_set_params(device.pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, sample_rate, 1,
                                    latency_us);
  if (error < 0) {
    fail("the audio device takes no mono 16-bit sound at " + std::to_string(sample_rate) + " samples a second", error);
  }
  const InterruptWatch watch;
  const std::size_t block = sample_rate / 50 + 1;  // 20 ms between looks at Ctrl+C
  std::size_t at = 0;
  while (at < samples.size()) {
    if (watch.interrupted_now()) {
      alsa().snd_pcm_drop(device.pcm);
      return PlayEnd::Interrupted;
    }
    const std::size_t count = std::min(block, samples.size() - at);
    snd_pcm_sframes_t written = alsa().snd_pcm_writei(device.pcm, samples.data() + at, count);
    if (written == -EINTR) {
      continue;
    }
    if (written < 0) {
      written = alsa().snd_pcm_recover(device.pcm, static_cast<int>(written), 1);
      if (written < 0) {
        fail("the audio device failed", static_cast<int>(written));
      }
      continue;
    }
    at += static_cast<std::size_t>(written);
  }
  // The last samples still sound: wait for them without blocking Ctrl+C out. A sound shorter than
  // the device's buffer has not started by itself.
  if (alsa().snd_pcm_state(device.pcm) == SND_PCM_STATE_PREPARED) {
    alsa().snd_pcm_start(device.pcm);
  }
  snd_pcm_sframes_t delay = 0;
  while (alsa().snd_pcm_state(device.pcm) == SND_PCM_STATE_RUNNING && alsa().snd_pcm_delay(device.pcm, &delay) == 0 &&
         delay > 0) {
    if (watch.interrupted_now()) {
      alsa().snd_pcm_drop(device.pcm);
      return PlayEnd::Interrupted;
    }
    const timespec pause{0, 10'000'000};
    nanosleep(&pause, nullptr);
  }
  alsa().snd_pcm_drain(device.pcm);
  return PlayEnd::Finished;
}

}  // namespace exporter
