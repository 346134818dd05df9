#include "export/wt_file.h"

#include "export/byte_buffer.h"
#include "export/sample_coding.h"

namespace exporter {

std::vector<std::uint8_t> wt_file(const Frames& frames) {
  ByteBuffer out(12 + 4 * frames.levels.size());
  out.put_tag("vawt");
  out.put_u32(static_cast<std::uint32_t>(frames.frame_size));
  out.put_u16(static_cast<std::uint16_t>(frames.count()));
  out.put_u16(0);
  put_samples(out, frames.levels, SampleCoding::Float32);
  return out.take();
}

}  // namespace exporter
