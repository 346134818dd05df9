#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "export/audio/audio_output.h"
#include "export/failures.h"

namespace exporter {
namespace {

volatile LONG interrupted = 0;

BOOL WINAPI note_interrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
    return FALSE;
  }
  InterlockedExchange(&interrupted, 1);
  return TRUE;
}

// Ctrl+C in the console the program was started from, while the sound plays: noted rather than
// fatal, so that the device is reset and closed at once.
class InterruptWatch {
 public:
  InterruptWatch() {
    InterlockedExchange(&interrupted, 0);
    SetConsoleCtrlHandler(note_interrupt, TRUE);
  }
  ~InterruptWatch() { SetConsoleCtrlHandler(note_interrupt, FALSE); }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool interrupted_now() const { return InterlockedCompareExchange(&interrupted, 0, 0) != 0; }
};

struct Event {
  HANDLE handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ~Event() {
    if (handle != nullptr) CloseHandle(handle);
  }
};

struct OpenDevice {
  HWAVEOUT out = nullptr;
  ~OpenDevice() {
    if (out != nullptr) waveOutClose(out);
  }
};

}  // namespace

PlayEnd play_samples(std::uint32_t sample_rate, std::span<const std::int16_t> samples) {
  if (waveOutGetNumDevs() == 0) {
    throw ExportFailure("no audio device");
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = sample_rate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 2;
  format.nAvgBytesPerSec = sample_rate * 2;
  const Event done;
  OpenDevice device;
  const MMRESULT opened = waveOutOpen(&device.out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done.handle), 0,
                                      CALLBACK_EVENT);
  if (opened != MMSYSERR_NOERROR || done.handle == nullptr) {
    device.out = nullptr;
    throw ExportFailure("the audio device takes no mono 16-bit sound at " + std::to_string(sample_rate) +
                        " samples a second (error " + std::to_string(opened) + ")");
  }
  // The wave mapper reads the samples where they are, for as long as they play.
  WAVEHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(const_cast<std::int16_t*>(samples.data()));
  header.dwBufferLength = static_cast<DWORD>(samples.size_bytes());
  if (waveOutPrepareHeader(device.out, &header, sizeof header) != MMSYSERR_NOERROR ||
      waveOutWrite(device.out, &header, sizeof header) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device.out, &header, sizeof header);
    throw ExportFailure("the audio device failed");
  }
  const InterruptWatch watch;
  PlayEnd end = PlayEnd::Finished;
  while ((header.dwFlags & WHDR_DONE) == 0) {
    if (watch.interrupted_now()) {
      waveOutReset(device.out);
      end = PlayEnd::Interrupted;
      break;
    }
    WaitForSingleObject(done.handle, 20);
  }
  waveOutUnprepareHeader(device.out, &header, sizeof header);
  return end;
}

}  // namespace exporter
