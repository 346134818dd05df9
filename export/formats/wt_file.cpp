#include "export/formats/wt_file.h"

#include "export/formats/byte_buffer.h"
#include "export/formats/sample_coding.h"

namespace exporter {

std::vector<std::uint8_t> wt_file(std::span<const double> levels, std::size_t frame_size) {
  ByteBuffer out(12 + 4 * levels.size());
  out.put_tag("vawt");
  out.put_u32(static_cast<std::uint32_t>(frame_size));
  out.put_u16(static_cast<std::uint16_t>(levels.size() / frame_size));
  out.put_u16(0);
  put_samples(out, levels, SampleCoding::Float32);
  return out.take();
}

}  // namespace exporter
