#include "export/formats/wav_file.h"

#include "export/formats/byte_buffer.h"

namespace exporter {
namespace {

constexpr std::uint16_t pcm_format = 1;
constexpr std::uint16_t float_format = 3;
constexpr std::uint32_t srge_version = 1;

std::uint32_t padded(std::size_t size) { return static_cast<std::uint32_t>(size + size % 2); }

void put_chunk_header(ByteBuffer& out, std::string_view tag, std::size_t size) {
  out.put_tag(tag);
  out.put_u32(static_cast<std::uint32_t>(size));
}

void pad_to_even(ByteBuffer& out, std::size_t size) {
  if (size % 2 != 0) {
    out.put_u8(0);
  }
}

// The `clm ` text ends with a zero byte, and with a second one where that keeps its length even:
// readers that skip no pad byte after an odd chunk then still find the next chunk.
std::size_t clm_size(const std::string& text) { return text.size() + 2 - text.size() % 2; }

}  // namespace

std::string clm_text(bool interpolate_frames) {
  return std::string("<!>2048 ") + (interpolate_frames ? '1' : '0') + "0000000 wavetable (Tablescope)";
}

std::vector<std::uint8_t> wav_file(std::span<const double> levels, SampleCoding coding, const WavetableTags& tags) {
  const bool is_float = coding == SampleCoding::Float32;
  const auto bytes_per_sample = static_cast<std::uint16_t>(bits_per_sample(coding) / 8);
  const std::size_t fmt_size = is_float ? 18 : 16;
  const std::size_t data_size = levels.size() * bytes_per_sample;

  std::size_t riff_size = 4 + 8 + fmt_size + 8 + padded(data_size);
  if (is_float) riff_size += 8 + 4;
  if (!tags.clm_text.empty()) riff_size += 8 + clm_size(tags.clm_text);
  if (tags.srge_frame_size != 0) riff_size += 8 + 8;

  ByteBuffer out(8 + riff_size);
  put_chunk_header(out, "RIFF", riff_size);
  out.put_tag("WAVE");

  put_chunk_header(out, "fmt ", fmt_size);
  out.put_u16(is_float ? float_format : pcm_format);
  out.put_u16(1);  // mono
  out.put_u32(sample_rate);
  out.put_u32(sample_rate * bytes_per_sample);
  out.put_u16(bytes_per_sample);
  out.put_u16(static_cast<std::uint16_t>(bits_per_sample(coding)));
  if (is_float) {
    out.put_u16(0);  // no extension follows
    put_chunk_header(out, "fact", 4);
    out.put_u32(static_cast<std::uint32_t>(levels.size()));
  }

  if (!tags.clm_text.empty()) {
    put_chunk_header(out, "clm ", clm_size(tags.clm_text));
    out.put_tag(tags.clm_text);
    for (std::size_t zero = tags.clm_text.size(); zero < clm_size(tags.clm_text); ++zero) {
      out.put_u8(0);
    }
  }
  if (tags.srge_frame_size != 0) {
    put_chunk_header(out, "srge", 8);
    out.put_u32(srge_version);
    out.put_u32(tags.srge_frame_size);
  }

  put_chunk_header(out, "data", data_size);
  put_samples(out, levels, coding);
  pad_to_even(out, data_size);
  return out.take();
}

}  // namespace exporter
