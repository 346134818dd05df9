#include <memory>

#include "present/images.h"
#include "present/presentation.h"
#include "wavedata/decode_waves.h"

int main() {
  present::start_presentation();
  auto bank = std::make_unique<wavedata::SampleBank>();
  present::create_image(0, 1024, 300);
  wavedata::decode_waves(wavedata::eprom_image, *bank);
  present::end_presentation();
  return 0;
}
