#include "wavedata/decode_waves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace wavedata {
namespace {

std::unique_ptr<SampleBank> decoded(const EpromImage& image) {
  auto bank = std::make_unique<SampleBank>();
  decode_waves(image, *bank);
  return bank;
}

std::uint8_t* block(EpromImage& image, std::size_t wave) {
  return image.data() + wave_area_offset + wave * half_cycle_bytes;
}

TEST(DecodeWaves, InstrumentImageFollowsTheMirrorRuleOnEveryWave) {
  const auto bank = decoded(eprom_image);
  for (std::size_t wave = 0; wave < stored_waves; ++wave) {
    const auto points = bank->wave(wave);
    for (std::size_t j = 0; j < half_cycle_bytes; ++j) {
      const std::uint8_t stored = eprom_image[wave_area_offset + wave * half_cycle_bytes + j];
      ASSERT_EQ(points[j], stored) << "wave " << wave << " point " << j;
      ASSERT_EQ(points[64 + j], 256 - points[63 - j]) << "wave " << wave << " point " << 64 + j;
      ASSERT_GE(points[64 + j], 1);
      ASSERT_LE(points[64 + j], 256);
    }
  }
}

TEST(DecodeWaves, InstrumentImageBeginsAndEndsWaveZeroAsTheInstrumentStoresIt) {
  const auto bank = decoded(eprom_image);
  const auto wave0 = bank->wave(0);
  EXPECT_EQ(wave0[0], 131);
  EXPECT_EQ(wave0[1], 162);
  EXPECT_EQ(wave0[2], 188);
  EXPECT_EQ(wave0[3], 205);
  EXPECT_EQ(wave0[127], 125);
  EXPECT_EQ(wave0[126], 94);
  EXPECT_EQ(wave0[125], 68);
  EXPECT_EQ(wave0[124], 51);
}

TEST(DecodeWaves, BlocksOfKnownBytesDecodeToTheirFullWaves) {
  auto image = std::make_unique<EpromImage>();
  std::fill_n(block(*image, 0), half_cycle_bytes, 0x80);
  std::fill_n(block(*image, 1), half_cycle_bytes, 0x00);
  block(*image, 2)[5] = 0xFF;
  block(*image, 3)[9] = 0x83;
  std::fill_n(block(*image, 243), half_cycle_bytes, 0xFF);
  const auto bank = decoded(*image);

  for (const std::int16_t point : bank->wave(0)) {
    EXPECT_EQ(point, 128);
  }
  for (std::size_t j = 0; j < wave_points; ++j) {
    EXPECT_EQ(bank->wave(1)[j], j < 64 ? 0 : 256) << j;
  }
  EXPECT_EQ(bank->wave(2)[5], 255);
  EXPECT_EQ(bank->wave(2)[122], 1);
  EXPECT_EQ(bank->wave(3)[9], 131);
  EXPECT_EQ(bank->wave(3)[118], 125);
  for (std::size_t j = 0; j < wave_points; ++j) {
    EXPECT_EQ(bank->wave(243)[j], j < 64 ? 255 : 1) << j;
  }
}

TEST(DecodeWaves, SlotsBeyondTheStoredWavesReadAsZeroAndAreNeverWritten) {
  const auto bank = decoded(eprom_image);
  for (std::size_t wave = stored_waves; wave < wave_slots; ++wave) {
    for (const std::int16_t point : bank->wave(wave)) {
      ASSERT_EQ(point, 0) << "wave " << wave;
    }
  }

  auto marked = std::make_unique<SampleBank>();
  std::fill(marked->words.begin() + stored_waves * wave_points, marked->words.end(), std::int16_t{0x5A5A});
  decode_waves(eprom_image, *marked);
  EXPECT_TRUE(std::all_of(marked->words.begin() + stored_waves * wave_points, marked->words.end(),
                          [](std::int16_t word) { return word == 0x5A5A; }));
}

TEST(DecodeWaves, TheHeadOfTheImageHasNoInfluence) {
  auto changed = std::make_unique<EpromImage>(eprom_image);
  for (std::size_t offset = 0; offset < wave_area_offset; ++offset) {
    (*changed)[offset] = static_cast<std::uint8_t>(~(*changed)[offset]);
  }
  EXPECT_EQ(decoded(*changed)->words, decoded(eprom_image)->words);
}

}  // namespace
}  // namespace wavedata
