#include <cmath>
#include <complex>
#include <numbers>

#include "export/sound/wavetable_definitions.h"
#include "exported_files.h"
#include "support/decoded_bank.h"
#include "support/reference_page.h"

#ifndef _WIN32
#include <png.h>
#endif

namespace export_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Sample n of frame f of a .wt file of frames of `size` samples.
float wt_sample(const Bytes& bytes, std::size_t size, std::size_t frame, std::size_t n) {
  return f32(bytes, 12 + 4 * (size * frame + n));
}

float level(int v) { return static_cast<float>((v - 128) / 128.0); }

// The Fourier coefficients of one cycle, scaled so that a sine of amplitude A gives |c1| = A.
std::vector<std::complex<double>> harmonics(const std::vector<double>& cycle, std::size_t highest) {
  const std::size_t size = cycle.size();
  std::vector<std::complex<double>> turns(size);
  for (std::size_t n = 0; n < size; ++n) {
    turns[n] = std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(size));
  }
  std::vector<std::complex<double>> coefficients(highest + 1);
  for (std::size_t k = 0; k <= highest; ++k) {
    for (std::size_t n = 0; n < size; ++n) {
      coefficients[k] += cycle[n] * turns[k * n % size];
    }
    coefficients[k] *= 2.0 / static_cast<double>(size);
  }
  return coefficients;
}

std::vector<double> wave_cycle(std::size_t wave) {
  std::vector<double> cycle(128);
  for (std::size_t n = 0; n < 128; ++n) cycle[n] = level(point(wave, n));
  return cycle;
}

// The wave's harmonics 1 to 63 summed at `size` points, in shares of full scale (level / 128).
std::vector<double> resynthesised(std::size_t wave, std::size_t size) {
  const auto coefficients = harmonics(wave_cycle(wave), 63);
  std::vector<std::complex<double>> turns(size);
  for (std::size_t n = 0; n < size; ++n) {
    turns[n] = std::polar(1.0, 2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(size));
  }
  std::vector<double> frame(size);
  for (std::size_t n = 0; n < size; ++n) {
    for (std::size_t k = 1; k <= 63; ++k) frame[n] += std::real(coefficients[k] * turns[k * n % size]);
  }
  return frame;
}

// How far a resynthesised wave reaches, as a share of full scale: 16-bit samples reach 32767 up
// and -32768 down, floats 1 both ways.
double peak_share(std::size_t wave, std::size_t size, bool sixteen_bits) {
  const double highest = sixteen_bits ? 32767.0 / 32768.0 : 1.0;
  double share = 0;
  for (const double x : resynthesised(wave, size)) share = std::max(share, x > 0 ? x / highest : -x);
  return share;
}

TEST_F(ExportedFiles, TheInstrumentsTablesAreCrossfadesBetweenTheirKeyWaves) {
  ASSERT_EQ(run({"export", "tables", in_folder("."), "--container", "wt"}), 0);
  for (int index = 0; index <= 28; ++index) {
    char name[16];
    std::snprintf(name, sizeof name, "table-%02d.wt", index);
    EXPECT_EQ(std::filesystem::exists(folder / name), index != 13) << name << ": table 13 names waves 244 and 245";
  }
  // Table 0: 00 | 65 00 | 45 08 | ... | 4B 3C: wave 101 at 0, wave 69 at 8, ..., wave 75 at 60.
  const Bytes table = read("table-00.wt");
  ASSERT_EQ(u16(table, 8), 61u);
  for (std::size_t n = 0; n < 128; ++n) {
    const double a = point(101, n);
    const double b = point(69, n);
    ASSERT_EQ(wt_sample(table, 128, 0, n), level(point(101, n))) << n;
    ASSERT_EQ(wt_sample(table, 128, 4, n), static_cast<float>(((a + b) / 2 - 128) / 128)) << n;
    ASSERT_NEAR(wt_sample(table, 128, 3, n), (a + (b - a) * 3 / 8 - 128) / 128, 1e-7) << n;
    ASSERT_EQ(wt_sample(table, 128, 8, n), level(point(69, n))) << n;
    ASSERT_EQ(wt_sample(table, 128, 60, n), level(point(75, n))) << n;
  }
  // Its first frame is a sine: nearly all of its power is in the first harmonic.
  std::vector<double> first(128);
  for (std::size_t n = 0; n < 128; ++n) first[n] = wt_sample(table, 128, 0, n);
  const auto spectrum = harmonics(first, 63);
  double power = 0;
  for (const auto& c : spectrum) power += std::norm(c);
  EXPECT_GT(std::norm(spectrum[1]) / power, 0.999);
  // Two definitions lead with 0x17; each table is named by its place: 17 starts with wave 0x6A,
  // 23 with wave 0x88.
  EXPECT_EQ(wt_sample(read("table-17.wt"), 128, 0, 5), level(point(0x6A, 5)));
  EXPECT_EQ(wt_sample(read("table-23.wt"), 128, 0, 5), level(point(0x88, 5)));
}

TEST(WavetableDefinitions, ReadingStopsWhereTheHeadStopsReadingAsDefinitions) {
  struct Case {
    std::string what;
    std::vector<std::uint8_t> head;  // the image's first bytes; the rest of the head is 0xFF
    std::vector<std::size_t> key_counts;  // of each definition read
  };
  const std::vector<Case> cases{
      {"two good ones, then a first position other than 0", {7, 1, 0, 2, 60, 7, 3, 0, 4, 30, 5, 60, 9, 6, 8}, {2, 3}},
      {"positions that do not rise", {1, 1, 0, 2, 60, 2, 1, 0, 2, 30, 3, 30, 4, 60}, {2}},
      {"a position past 60", {1, 1, 0, 2, 61}, {}},
      {"a first pair at 60 without one at 0", {1, 5, 60}, {}},
  };
  for (const Case& c : cases) {
    auto image = std::make_unique<wavedata::EpromImage>();
    image->fill(0xFF);
    std::copy(c.head.begin(), c.head.end(), image->begin());
    std::vector<std::size_t> counts;
    for (const auto& table : exporter::wavetable_definitions(*image)) counts.push_back(table.keys.size());
    EXPECT_EQ(counts, c.key_counts) << c.what;
  }
  // Definitions of five bytes (lead, wave at 0, wave at 60) fill 765 bytes; the one that starts
  // in the last three is still open when the head ends, and is not one.
  auto image = std::make_unique<wavedata::EpromImage>();
  for (std::size_t at = 0; at + 5 <= 0x300 + 5; at += 5) {
    const std::uint8_t definition[5] = {0x17, 1, 0, 2, 60};
    std::copy_n(definition, std::min<std::size_t>(5, 0x300 - at), image->begin() + static_cast<std::ptrdiff_t>(at));
  }
  EXPECT_EQ(exporter::wavetable_definitions(*image).size(), 153u);
}

TEST_F(ExportedFiles, UpsamplingRepeatsJoinsOrResynthesisesTheHarmonics) {
  double bank_share = 0;
  for (std::size_t wave = 0; wave < 244; ++wave) bank_share = std::max(bank_share, peak_share(wave, 2048, false));
  ASSERT_GT(bank_share, 1.0);
  for (const std::string mode : {"repeat", "linear", "spectral"}) {
    SCOPED_TRACE(mode);
    const std::string file = "bank-" + mode + ".wt";
    ASSERT_EQ(run({"export", "bank", in_folder(file), "--frame", "2048", "--upsample", mode}), 0);
    const Bytes bank = read(file);
    for (const std::size_t wave : {0u, 98u, 101u}) {
      std::vector<double> frame(2048);
      for (std::size_t n = 0; n < 2048; ++n) frame[n] = wt_sample(bank, 2048, wave, n);
      if (mode == "repeat") {
        for (std::size_t n = 0; n < 2048; ++n) ASSERT_EQ(frame[n], level(point(wave, n / 16))) << n;
      } else if (mode == "linear") {
        for (std::size_t n = 0; n < 2048; ++n) {
          const double a = point(wave, n / 16);
          const double b = point(wave, (n / 16 + 1) % 128);
          ASSERT_NEAR(frame[n], (a + (b - a) * static_cast<double>(n % 16) / 16 - 128) / 128, 1e-7) << n;
        }
      } else {
        // Float samples carry errors of about 1e-7; summed over a cycle they stay below 1e-5. The
        // resynthesised bank passes full scale, so the file is scaled to peak at it.
        const auto wanted = harmonics(wave_cycle(wave), 63);
        const auto made = harmonics(frame, 1024);
        for (std::size_t k = 0; k <= 1024; ++k) {
          const std::complex<double> expected = k >= 1 && k <= 63 ? wanted[k] / bank_share : 0.0;
          ASSERT_LT(std::abs(made[k] - expected), 1e-5) << "wave " << wave << " harmonic " << k;
        }
      }
    }
  }
}

TEST_F(ExportedFiles, SpectralFilesThatWouldPassFullScaleAreScaledToPeakAtIt) {
  struct File {
    std::string name;
    std::vector<std::size_t> waves;  // the waves it holds; the first is its first frame
    std::size_t size;
    bool sixteen_bits;
  };
  std::vector<File> files{{"bank.wav", {}, 2048, false}};
  for (std::size_t wave = 0; wave < 244; ++wave) files[0].waves.push_back(wave);
  for (std::size_t bank = 0; bank < 4; ++bank) {
    files.push_back({"bank-" + std::to_string(bank + 1) + ".wav", {}, 256, true});
    for (std::size_t wave = 64 * bank; wave < std::min<std::size_t>(64 * bank + 64, 244); ++wave) {
      files.back().waves.push_back(wave);
    }
  }
  // A table's frames between two keys are per-sample crossfades of theirs, so it peaks where a key wave does.
  const auto tables = exporter::wavetable_definitions(wavedata::eprom_image);
  for (std::size_t index = 0; index < tables.size(); ++index) {
    if (exporter::missing_key_wave(tables[index])) continue;
    char name[32];
    std::snprintf(name, sizeof name, "table-%02zu.wav", index);
    files.push_back({name, {}, 2048, false});
    for (const auto& key : tables[index].keys) files.back().waves.push_back(key.wave);
  }

  testing::internal::CaptureStderr();
  ASSERT_EQ(run({"export", "bank", in_folder("bank.wav"), "--upsample", "spectral"}), 0);
  ASSERT_EQ(run({"export", "banks256", in_folder("."), "--upsample", "spectral"}), 0);
  ASSERT_EQ(run({"export", "tables", in_folder("."), "--upsample", "spectral"}), 0);
  const std::string notes = testing::internal::GetCapturedStderr();

  std::size_t scaled = 0;
  for (const File& file : files) {
    SCOPED_TRACE(file.name);
    double share = 0;
    for (const std::size_t wave : file.waves) share = std::max(share, peak_share(wave, file.size, file.sixteen_bits));
    const Bytes bytes = read(file.name);
    const Chunk data = riff_chunks(bytes).back();
    const std::size_t width = file.sixteen_bits ? 2 : 4;
    auto sample = [&](std::size_t n) {  // as a share of full scale (16-bit: of 32768)
      return file.sixteen_bits ? i16(bytes, data.body + 2 * n) / 32768.0 : f32(bytes, data.body + 4 * n);
    };
    double file_share = 0;
    for (std::size_t n = 0; n < data.size / width; ++n) {
      const double x = sample(n);
      file_share = std::max(file_share, x > 0 && file.sixteen_bits ? x * 32768.0 / 32767.0 : std::abs(x));
    }
    // Named by its path, whichever separator the system writes before the file's name.
    const bool named = notes.find("/" + file.name + " by ") != std::string::npos ||
                       notes.find("\\" + file.name + " by ") != std::string::npos;
    const double tolerance = file.sixteen_bits ? 0.51 / 32768.0 : 1e-6;
    if (share > 1.0) {
      ++scaled;
      EXPECT_TRUE(named) << notes;
      EXPECT_EQ(file_share, 1.0) << "it peaks at full scale exactly";
    } else {
      EXPECT_FALSE(named) << notes;
      EXPECT_NEAR(file_share, share, tolerance);
    }
    const std::vector<double> first = resynthesised(file.waves[0], file.size);
    for (std::size_t n = 0; n < file.size; ++n) {
      ASSERT_NEAR(sample(n), first[n] / std::max(share, 1.0), tolerance) << "sample " << n;
    }
  }
  EXPECT_GT(scaled, 0u);
  EXPECT_LT(scaled, files.size());
  std::size_t lines = 0;
  for (std::size_t at = notes.find("scaled "); at != std::string::npos; at = notes.find("scaled ", at + 1)) ++lines;
  EXPECT_EQ(lines, scaled) << "one line for each scaled file";
}

TEST_F(ExportedFiles, APageIsA1024By300PngOfThePageAsTheWindowShowsIt) {
  for (const int page : {0, 30}) {
    SCOPED_TRACE(page);
    const std::string file = "page " + std::to_string(page) + ".png";
    ASSERT_EQ(run({"export", "page", std::to_string(page), in_folder(file)}), 0);
    const Bytes bytes = read(file);
    const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), signature);
    EXPECT_EQ(tag(bytes, 12), "IHDR");
    auto big_endian = [&](std::size_t at) { return u32(bytes, at) >> 24 | (u32(bytes, at) >> 8 & 0xFF00) |
                                                   (u32(bytes, at) << 8 & 0xFF0000) | u32(bytes, at) << 24; };
    EXPECT_EQ(big_endian(16), 1024u);
    EXPECT_EQ(big_endian(20), 300u);
    EXPECT_EQ(bytes.at(24), 8) << "bit depth";
#ifndef _WIN32
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()), 0);
    image.format = PNG_FORMAT_RGB;
    Bytes rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
    std::vector<std::uint32_t> picture(rgb.size() / 3);
    for (std::size_t i = 0; i < picture.size(); ++i) {
      picture[i] = reference::rgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    }
    EXPECT_EQ(reference::ReferencePage(test_support::decoded_bank(), page).difference(picture), "");
#endif
  }
}

}  // namespace
}  // namespace export_test
