#include <cmath>
#include <functional>

#include "exported_files.h"

namespace export_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST_F(ExportedFiles, SingleCycleWavesHoldTheImagesPointsInEachSampleFormat) {
  struct Case {
    std::string bits;
    Format format;
    std::vector<std::string> chunks;
    std::function<double(const Bytes&, std::size_t)> sample;  // sample n read back from the data
    std::function<double(int)> expected;                      // from the point's value v
  };
  const std::vector<Case> cases{
      {"8", {1, 1, 44100, 44100, 1, 8}, {"fmt ", "data"},
       [](const Bytes& b, std::size_t at) { return b.at(at); }, [](int v) { return std::min(v, 255); }},
      {"16", {1, 1, 44100, 88200, 2, 16}, {"fmt ", "srge", "data"},
       [](const Bytes& b, std::size_t at) { return i16(b, at); }, [](int v) { return std::min((v - 128) * 256, 32767); }},
      {"float", {3, 1, 44100, 176400, 4, 32}, {"fmt ", "fact", "srge", "data"},
       [](const Bytes& b, std::size_t at) { return f32(b, at); }, [](int v) { return (v - 128) / 128.0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("--bits " + c.bits);
    const std::string sub = "bits-" + c.bits;
    std::filesystem::create_directory(folder / sub);
    ASSERT_EQ(run({"export", "waves", in_folder(sub), "--bits", c.bits}), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / sub), std::filesystem::directory_iterator()), 244);
    const std::size_t width = c.format.block_align;
    for (const std::size_t wave : {0u, 101u, 243u}) {
      char name[32];
      std::snprintf(name, sizeof name, "%s/wave-%03zu.wav", sub.c_str(), wave);
      const Bytes bytes = read(name);
      const std::vector<Chunk> chunks = riff_chunks(bytes);
      ASSERT_EQ(chunk_ids(chunks), c.chunks) << name;
      EXPECT_EQ(format_of(bytes, chunks[0]), c.format);
      EXPECT_EQ(chunks[0].size, c.format.format == 3 ? 18u : 16u);
      if (c.format.format == 3) {
        EXPECT_EQ(u16(bytes, chunks[0].body + 16), 0u) << "no format extension";
        EXPECT_EQ(chunks[1].size, 4u);
        EXPECT_EQ(u32(bytes, chunks[1].body), 128u) << "fact: the sample count";
      }
      if (c.bits == "8") {
        EXPECT_EQ(chunks.back().body, 44u) << "the canonical header";
      } else {
        // Wavetable synthesizers take the file as one cycle of 128 samples.
        const Chunk& srge = chunks[chunks.size() - 2];
        ASSERT_EQ(srge.size, 8u);
        EXPECT_EQ(u32(bytes, srge.body), 1u) << "srge version";
        EXPECT_EQ(u32(bytes, srge.body + 4), 128u) << "srge frame size";
      }
      const Chunk& data = chunks.back();
      ASSERT_EQ(data.size, 128 * width);
      for (std::size_t n = 0; n < 128; ++n) {
        ASSERT_EQ(c.sample(bytes, data.body + n * width), c.expected(point(wave, n))) << name << " sample " << n;
      }
    }
  }
}

TEST_F(ExportedFiles, WavetableWavsAreFloatFramesTaggedWithTheirSize) {
  struct Case {
    std::vector<std::string> arguments;
    std::string file;
    std::size_t frame_size, frames;
    std::string clm;  // empty where there is no `clm ` chunk
    std::size_t first_wave;  // the wave of frame 0
  };
  const std::vector<Case> cases{
      {{"export", "bank", in_folder("bank.wav")}, "bank.wav", 2048, 244, "<!>2048 00000000 wavetable (Tablescope)", 0},
      {{"export", "bank", in_folder("bank128.wav"), "--frame", "128"}, "bank128.wav", 128, 244, "", 0},
      {{"export", "tables", in_folder(".")}, "table-00.wav", 2048, 61, "<!>2048 10000000 wavetable (Tablescope)", 101},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(exporter::run_export(c.arguments), 0);
    const Bytes bytes = read(c.file);
    const std::vector<Chunk> chunks = riff_chunks(bytes);
    std::vector<std::string> ids{"fmt ", "fact"};
    if (!c.clm.empty()) ids.push_back("clm ");
    ids.insert(ids.end(), {"srge", "data"});
    ASSERT_EQ(chunk_ids(chunks), ids);
    EXPECT_EQ(format_of(bytes, chunks[0]), (Format{3, 1, 44100, 176400, 4, 32}));
    EXPECT_EQ(u32(bytes, chunks[1].body), c.frame_size * c.frames);
    if (!c.clm.empty()) {
      // The text and a terminating zero, even in length so that no pad byte follows.
      EXPECT_EQ(chunks[2].size % 2, 0u) << "clm size " << chunks[2].size;
      EXPECT_EQ(tag(bytes, chunks[2].body, c.clm.size()), c.clm);
      EXPECT_EQ(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(chunks[2].body + c.clm.size()),
                      bytes.begin() + static_cast<std::ptrdiff_t>(chunks[2].body + chunks[2].size)),
                Bytes(chunks[2].size - c.clm.size(), 0));
      EXPECT_EQ(chunks[2].size, c.clm.size() + 2 - c.clm.size() % 2);
    }
    const Chunk& srge = chunks[chunks.size() - 2];
    ASSERT_EQ(srge.size, 8u);
    EXPECT_EQ(u32(bytes, srge.body), 1u) << "srge version";
    EXPECT_EQ(u32(bytes, srge.body + 4), c.frame_size);
    const Chunk& data = chunks.back();
    ASSERT_EQ(data.size, 4 * c.frame_size * c.frames);
    const std::size_t hold = c.frame_size / 128;
    for (std::size_t n = 0; n < c.frame_size; ++n) {
      ASSERT_EQ(f32(bytes, data.body + 4 * n), static_cast<float>((point(c.first_wave, n / hold) - 128) / 128.0)) << n;
    }
  }
}

TEST_F(ExportedFiles, WtFilesHoldTheirHeaderAndFloatFrames) {
  struct Case {
    std::vector<std::string> arguments;
    std::string file;
    std::size_t frame_size, frames, first_wave;
  };
  const std::vector<Case> cases{
      {{"export", "bank", in_folder("bank.wt")}, "bank.wt", 128, 244, 0},
      {{"export", "bank", in_folder("bank2048.WT"), "--frame", "2048"}, "bank2048.WT", 2048, 244, 0},
      {{"export", "tables", in_folder("."), "--container", "wt"}, "table-00.wt", 128, 61, 101},
      {{"export", "tables", in_folder("."), "--container=wt", "--frame=2048", "--force"}, "table-00.wt", 2048, 61, 101},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(exporter::run_export(c.arguments), 0);
    const Bytes bytes = read(c.file);
    ASSERT_EQ(bytes.size(), 12 + 4 * c.frame_size * c.frames);
    EXPECT_EQ(tag(bytes, 0), "vawt");
    EXPECT_EQ(u32(bytes, 4), c.frame_size);
    EXPECT_EQ(u16(bytes, 8), c.frames);
    EXPECT_EQ(u16(bytes, 10), 0u) << "no flags: float samples, a wavetable";
    const std::size_t hold = c.frame_size / 128;
    for (std::size_t n = 0; n < c.frame_size; ++n) {
      ASSERT_EQ(f32(bytes, 12 + 4 * n), static_cast<float>((point(c.first_wave, n / hold) - 128) / 128.0)) << n;
    }
  }
}

TEST_F(ExportedFiles, ModuleBanksAreSixtyFourWavesOf256SamplesBehindTheCanonicalHeader) {
  ASSERT_EQ(run({"export", "banks256", in_folder(".")}), 0);
  for (int number = 1; number <= 4; ++number) {
    SCOPED_TRACE(number);
    const Bytes bytes = read("bank-" + std::to_string(number) + ".wav");
    ASSERT_EQ(bytes.size(), 44u + 64 * 256 * 2);
    EXPECT_EQ(tag(bytes, 0), "RIFF");
    EXPECT_EQ(u32(bytes, 4), 36u + 32768);
    EXPECT_EQ(tag(bytes, 8), "WAVE");
    EXPECT_EQ(tag(bytes, 12), "fmt ");
    EXPECT_EQ(u32(bytes, 16), 16u);
    EXPECT_EQ(format_of(bytes, {"fmt ", 20, 16}), (Format{1, 1, 44100, 88200, 2, 16}));
    EXPECT_EQ(tag(bytes, 36), "data");
    EXPECT_EQ(u32(bytes, 40), 32768u);
    for (std::size_t slot = 0; slot < 64; ++slot) {
      const std::size_t wave = 64 * static_cast<std::size_t>(number - 1) + slot;
      for (std::size_t n = 0; n < 256; ++n) {
        const int expected = wave < 244 ? std::min((point(wave, n / 2) - 128) * 256, 32767) : 0;
        ASSERT_EQ(i16(bytes, 44 + 2 * (256 * slot + n)), expected) << "wave " << wave << " sample " << n;
      }
    }
  }
}

}  // namespace
}  // namespace export_test
