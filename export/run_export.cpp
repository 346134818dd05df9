#include "export/run_export.h"

#include <cstdio>
#include <memory>
#include <new>

#include "export/command/command_line.h"
#include "export/command/export_modes.h"
#include "export/command/play_mode.h"
#include "export/failures.h"
#include "wavedata/decode_waves.h"

namespace exporter {
namespace {

constexpr const char* help_text = R"(Usage: tablescope                          show the waves in a window
       tablescope export MODE ... [--force]   convert them and exit, without a display
       tablescope play wave N [--note A3] [--seconds S]
       tablescope play table N [--seconds S]  sound them, without a display
       tablescope --help | --version

Modes:
  export waves DIR [--bits 8|16|float]
      one WAV per stored wave, wave-000.wav to wave-243.wav: mono, 128 samples,
      44,100 Hz; 8-bit unsigned PCM (the image's own bytes), 16-bit PCM or
      32-bit float, these two with a 'srge' chunk marking one 128-sample cycle.
  export bank FILE [--frame 128|2048] [--upsample repeat|linear|spectral]
      the 244 waves as one wavetable. FILE.wav: 32-bit float with a 'srge'
      chunk giving the frame size, and at 2048 samples a 'clm ' chunk as well
      (default frame 2048). FILE.wt: the .wt format (default frame 128).
      A WAV of 128-sample frames is read at 128 only by synthesizers that read
      the 'srge' chunk (Surge XT, sfizz): Vital reads no frame size from any
      chunk and cuts every WAV into 2048-sample frames, so give Vital the
      default --frame 2048.
  export tables DIR [--frame 128|2048] [--upsample ...] [--container wav|wt]
      the instrument's wavetables, rebuilt from the definitions in the image:
      61 frames each (positions 0 to 60), table-00 to table-28 by their place
      in the list; WAV (default, frame 2048) or .wt (default frame 128).
  export banks256 DIR [--upsample ...]
      bank-1.wav to bank-4.wav: 64 waves of 256 samples each, 16-bit PCM,
      44,100 Hz, 44-byte header; the last bank ends with silent waves.
  export page N FILE.png
      page N (0 to 30) as the window shows it, 1024 x 300 pixels, labels too.

Sound (through ALSA's default device; on Windows the wave mapper):
  play wave N [--note NOTE] [--seconds S]
      wave N (0 to 243) looped as the instrument plays it: its 128 samples
      held, at 128 x the note's frequency samples a second, no smoothing;
      NOTE from A0 to C6 such as A3 (the default) or C#4; S from 0.1 to 60
      seconds (default 2).
  play table N [--seconds S]
      the frames of table N (as in export tables) one after the other at A3,
      over S seconds (default 2).
  Ctrl+C stops the sound at once.

Options:
  --bits 8|16|float     sample format of single-cycle waves (default 8)
  --frame 128|2048      samples per wavetable frame
  --upsample MODE       from 128 to 256 or 2048 samples: repeat (each sample
                        held, the default), linear, or spectral (harmonics 1
                        to 63 resynthesised, nothing above; a file that would
                        pass full scale is scaled down to peak at it, with one
                        line on standard error)
  --container wav|wt    file format of tables (default wav)
  --force               replace files that exist (otherwise nothing is written)
  --help                show this text
  --version             show the program's version

Folders must exist. Each file is written under a temporary name and renamed
when complete. Exit status: 0 done, 1 a file could not be written or there is
no audio device, 2 the command line could not be read, 130 stopped by Ctrl+C.
)";

// Ctrl+C, as shells report a program that it ended.
constexpr int interrupted_status = 130;

}  // namespace

int run_export(std::span<const std::string> arguments) {
  try {
    const Command command = parse_command_line(arguments);
    if (command.kind == Command::Kind::Help) {
      std::fputs(help_text, stdout);
      return 0;
    }
    if (command.kind == Command::Kind::Version) {
      std::puts("tablescope " TABLESCOPE_VERSION);
      return 0;
    }
    auto bank = std::make_unique<wavedata::SampleBank>();
    wavedata::decode_waves(wavedata::eprom_image, *bank);
    if (command.kind == Command::Kind::Play) {
      return run_play_request(command.play, *bank) == PlayEnd::Interrupted ? interrupted_status : 0;
    }
    run_export_request(command.request, *bank, stderr);
    return 0;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "tablescope: %s (see tablescope --help)\n", error.what());
    return 2;
  } catch (const ExportFailure& error) {
    std::fprintf(stderr, "tablescope: %s\n", error.what());
  } catch (const std::bad_alloc&) {
    std::fputs("tablescope: ran out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tablescope: stopped: %s\n", error.what());
  }
  return 1;
}

}  // namespace exporter
