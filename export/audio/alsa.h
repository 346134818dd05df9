#pragma once

// The calls into ALSA's library that playing makes. The library is loaded when a sound is first
// played rather than linked with the program, so that the viewer does not load it.

#include <alsa/asoundlib.h>

#define TABLESCOPE_ALSA_CALLS(CALL)                                                                       \
  CALL(snd_pcm_close) CALL(snd_pcm_delay) CALL(snd_pcm_drain) CALL(snd_pcm_drop) CALL(snd_pcm_open)         \
  CALL(snd_pcm_recover) CALL(snd_pcm_set_params) CALL(snd_pcm_start) CALL(snd_pcm_state) CALL(snd_pcm_writei) \
  CALL(snd_strerror)

namespace exporter {

// Typed as ALSA's own headers declare them.
struct Alsa {
#define TABLESCOPE_ALSA_SLOT(name) decltype(&::name) name = nullptr;
  TABLESCOPE_ALSA_CALLS(TABLESCOPE_ALSA_SLOT)
#undef TABLESCOPE_ALSA_SLOT
};

// Loads the library on the first call; it stays for the program's life. Throws ExportFailure with
// the reason where it is not installed.
const Alsa& alsa();

}  // namespace exporter
