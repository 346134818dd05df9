#include <objbase.h>
#include <wincodec.h>

#include "export/failures.h"
#include "export/formats/png_file.h"

namespace exporter {
namespace {

template <typename Interface>
struct Released {
  Interface* pointer = nullptr;
  ~Released() {
    if (pointer != nullptr) pointer->Release();
  }
  Interface** out() { return &pointer; }
  Interface* operator->() const { return pointer; }
};

// COM for this thread, for as long as the encoding takes.
struct ComApartment {
  HRESULT started = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ~ComApartment() {
    if (SUCCEEDED(started)) CoUninitialize();
  }
};

void check(HRESULT result, const char* step) {
  if (FAILED(result)) {
    throw ExportFailure(std::string("the PNG encoder failed (") + step + ")");
  }
}

std::vector<std::uint8_t> blue_green_red(const RgbPicture& picture) {
  std::vector<std::uint8_t> pixels = picture.pixels;
  for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
    std::swap(pixels[i], pixels[i + 2]);
  }
  return pixels;
}

std::vector<std::uint8_t> stream_bytes(IStream* stream) {
  HGLOBAL memory = nullptr;
  check(GetHGlobalFromStream(stream, &memory), "stream");
  STATSTG status{};
  check(stream->Stat(&status, STATFLAG_NONAME), "stream size");
  const auto* start = static_cast<const std::uint8_t*>(GlobalLock(memory));
  if (start == nullptr) {
    throw ExportFailure("the PNG encoder failed (memory)");
  }
  std::vector<std::uint8_t> bytes(start, start + status.cbSize.QuadPart);
  GlobalUnlock(memory);
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> png_file(const RgbPicture& picture) {
  const ComApartment apartment;
  Released<IWICImagingFactory> factory;
  check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.out())),
        "factory");
  Released<IStream> stream;
  check(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()), "stream");
  Released<IWICBitmapEncoder> encoder;
  check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()), "encoder");
  check(encoder->Initialize(stream.pointer, WICBitmapEncoderNoCache), "encoder");
  Released<IWICBitmapFrameEncode> frame;
  check(encoder->CreateNewFrame(frame.out(), nullptr), "frame");
  check(frame->Initialize(nullptr), "frame");
  check(frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height)), "size");
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  check(frame->SetPixelFormat(&format), "pixel format");
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    throw ExportFailure("the PNG encoder failed (it takes no 24-bit pixels)");
  }
  std::vector<std::uint8_t> pixels = blue_green_red(picture);
  const UINT stride = static_cast<UINT>(picture.width) * 3;
  check(frame->WritePixels(static_cast<UINT>(picture.height), stride, static_cast<UINT>(pixels.size()), pixels.data()),
        "pixels");
  check(frame->Commit(), "frame");
  check(encoder->Commit(), "file");
  return stream_bytes(stream.pointer);
}

}  // namespace exporter
