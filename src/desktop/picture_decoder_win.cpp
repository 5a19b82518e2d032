#include "desktop/picture_decoder_win.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "common/debug_log.h"
#include "common/win_handles.h"
#include "desktop/frames.h"
#include "desktop/gif_canvas.h"
#include "payload/catalogue.h"
#include "payload/payload_item_win.h"

namespace mervalis::desktop {

namespace {

// A PROPVARIANT that clears itself.
class PropVariant {
 public:
  PropVariant() noexcept { std::memset(&value_, 0, sizeof(value_)); }
  PropVariant(const PropVariant&) = delete;
  PropVariant& operator=(const PropVariant&) = delete;
  ~PropVariant() { ::PropVariantClear(&value_); }
  PROPVARIANT* get() noexcept { return &value_; }
  const PROPVARIANT& operator*() const noexcept { return value_; }

 private:
  PROPVARIANT value_;
};

// A number of the picture's metadata ("/grctlext/Delay" and so on); false
// when the item is missing or not a number.
bool ReadNumber(IWICMetadataQueryReader* reader, const wchar_t* name, unsigned& value) noexcept {
  if (!reader) return false;
  PropVariant v;
  if (FAILED(reader->GetMetadataByName(name, v.get()))) return false;
  switch ((*v).vt) {
    case VT_UI1: value = (*v).bVal; return true;
    case VT_UI2: value = (*v).uiVal; return true;
    case VT_UI4: value = (*v).ulVal; return true;
    case VT_BOOL: value = (*v).boolVal ? 1u : 0u; return true;
    default: return false;
  }
}

struct GifFrameInfo {
  unsigned left = 0;
  unsigned top = 0;
  unsigned delay = 0;  // hundredths of a second
  unsigned disposal = 0;
  bool transparent = false;
  unsigned transparentIndex = 0;
};

GifFrameInfo ReadGifFrameInfo(IWICBitmapFrameDecode* frame) noexcept {
  GifFrameInfo info;
  ComPtr<IWICMetadataQueryReader> reader;
  if (FAILED(frame->GetMetadataQueryReader(reader.put()))) return info;
  (void)ReadNumber(reader.get(), L"/imgdesc/Left", info.left);
  (void)ReadNumber(reader.get(), L"/imgdesc/Top", info.top);
  (void)ReadNumber(reader.get(), L"/grctlext/Delay", info.delay);
  (void)ReadNumber(reader.get(), L"/grctlext/Disposal", info.disposal);
  unsigned flag = 0;
  if (ReadNumber(reader.get(), L"/grctlext/TransparencyFlag", flag) && flag &&
      ReadNumber(reader.get(), L"/grctlext/TransparentColorIndex", info.transparentIndex)) {
    info.transparent = true;
  }
  return info;
}

// Any frame as premultiplied BGRA through WIC's converter.
HRESULT ConvertToPbgra(IWICImagingFactory* factory, IWICBitmapSource* source, UINT width, UINT height,
                       std::vector<std::uint32_t>& out) {
  ComPtr<IWICFormatConverter> converter;
  HRESULT hr = factory->CreateFormatConverter(converter.put());
  if (SUCCEEDED(hr)) {
    hr = converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
  }
  if (FAILED(hr)) return hr;
  out.resize(static_cast<std::size_t>(width) * height);
  return converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(out.size() * 4),
                               reinterpret_cast<BYTE*>(out.data()));
}

// An indexed GIF frame as pixels: the palette's colours, fully opaque but for
// the transparent index that the frame's control extension names. Reading
// the indices ourselves keeps the transparency independent of whether the
// codec marks it in the palette it hands out.
HRESULT IndexedToBgra(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height,
                      const GifFrameInfo& info, std::vector<std::uint32_t>& out) {
  ComPtr<IWICPalette> palette;
  HRESULT hr = factory->CreatePalette(palette.put());
  if (SUCCEEDED(hr)) hr = frame->CopyPalette(palette.get());
  WICColor colours[256] = {};
  UINT count = 0;
  if (SUCCEEDED(hr)) hr = palette->GetColors(256, colours, &count);
  if (FAILED(hr)) return hr;
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
  hr = frame->CopyPixels(nullptr, width, static_cast<UINT>(indices.size()), indices.data());
  if (FAILED(hr)) return hr;
  out.resize(indices.size());
  for (std::size_t i = 0; i < indices.size(); ++i) {
    const std::uint8_t index = indices[i];
    const bool clear = (info.transparent && index == info.transparentIndex) || index >= count;
    out[i] = clear ? 0u : (colours[index] | 0xFF000000u);
  }
  return S_OK;
}

bool Fail(std::string& error, const char* what, HRESULT hr) {
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
  error = std::string(what) + " (" + code + ")";
  return false;
}

// How often an animation plays again after the first time, from the
// "NETSCAPE2.0" application extension: its loop count 0 means for ever; a
// GIF without the extension plays once. A codec that cannot show the
// extension's data is taken to loop, as every animated payload picture does.
int ReadRepetitions(IWICBitmapDecoder* decoder, UINT frameCount) noexcept {
  if (frameCount < 2) return 0;
  ComPtr<IWICMetadataQueryReader> reader;
  if (FAILED(decoder->GetMetadataQueryReader(reader.put()))) return kRepeatForever;
  PropVariant application;
  if (FAILED(reader->GetMetadataByName(L"/appext/Application", application.get()))) return 0;
  const PROPVARIANT& app = *application;
  if (app.vt != (VT_VECTOR | VT_UI1) || app.caub.cElems != 11 ||
      std::memcmp(app.caub.pElems, "NETSCAPE2.0", 11) != 0) {
    return 0;
  }
  PropVariant data;
  if (FAILED(reader->GetMetadataByName(L"/appext/Data", data.get()))) return kRepeatForever;
  // Sub-blocks as stored: size 3, id 1, the count in little-endian order.
  const PROPVARIANT& d = *data;
  if (d.vt != (VT_VECTOR | VT_UI1) || d.caub.cElems < 4 || d.caub.pElems[1] != 1) return kRepeatForever;
  const unsigned loops = d.caub.pElems[2] | (d.caub.pElems[3] << 8);
  return loops == 0 ? kRepeatForever : static_cast<int>(loops);
}

bool DecodeGif(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, UINT count, PictureFrames& picture,
               std::string& error) {
  // The logical screen: the size of every whole picture.
  unsigned width = 0, height = 0;
  {
    ComPtr<IWICMetadataQueryReader> reader;
    if (SUCCEEDED(decoder->GetMetadataQueryReader(reader.put()))) {
      (void)ReadNumber(reader.get(), L"/logscrdesc/Width", width);
      (void)ReadNumber(reader.get(), L"/logscrdesc/Height", height);
    }
  }
  unsigned extentWidth = 0, extentHeight = 0;
  std::vector<ComPtr<IWICBitmapFrameDecode>> stored(count);
  std::vector<GifFrameInfo> infos(count);
  for (UINT i = 0; i < count; ++i) {
    HRESULT hr = decoder->GetFrame(i, stored[i].put());
    if (FAILED(hr)) return Fail(error, "GIF frame unreadable", hr);
    infos[i] = ReadGifFrameInfo(stored[i].get());
    UINT w = 0, h = 0;
    (void)stored[i]->GetSize(&w, &h);
    extentWidth = std::max(extentWidth, infos[i].left + w);
    extentHeight = std::max(extentHeight, infos[i].top + h);
  }
  // Without the screen descriptor the frames' extent serves.
  if (width == 0) width = extentWidth;
  if (height == 0) height = extentHeight;
  if (width == 0 || height == 0) return Fail(error, "GIF without a size", E_FAIL);

  GifCanvas canvas(static_cast<int>(width), static_cast<int>(height));
  std::vector<std::uint32_t> pixels;
  for (UINT i = 0; i < count; ++i) {
    IWICBitmapFrameDecode* frame = stored[i].get();
    UINT w = 0, h = 0;
    HRESULT hr = frame->GetSize(&w, &h);
    WICPixelFormatGUID format = {};
    if (SUCCEEDED(hr)) hr = frame->GetPixelFormat(&format);
    if (SUCCEEDED(hr)) {
      hr = IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)
               ? IndexedToBgra(factory, frame, w, h, infos[i], pixels)
               : ConvertToPbgra(factory, frame, w, h, pixels);
    }
    if (FAILED(hr)) return Fail(error, "GIF frame pixels unreadable", hr);
    GifStoredFrame storedFrame;
    storedFrame.left = static_cast<int>(infos[i].left);
    storedFrame.top = static_cast<int>(infos[i].top);
    storedFrame.width = static_cast<int>(w);
    storedFrame.height = static_cast<int>(h);
    storedFrame.pixels = pixels.data();
    storedFrame.disposal = static_cast<GifDisposal>(infos[i].disposal & 3);
    Frame whole;
    whole.width = canvas.Width();
    whole.height = canvas.Height();
    whole.bgra = canvas.Add(storedFrame);
    whole.delayMs = static_cast<int>(infos[i].delay) * 10;
    picture.frames.push_back(std::move(whole));
  }
  picture.repetitions = ReadRepetitions(decoder, count);
  return true;
}

bool Decode(std::span<const std::uint8_t> bytes, PictureFrames& picture, std::string& error) {
  if (bytes.empty()) return Fail(error, "no picture", E_INVALIDARG);
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
  if (FAILED(hr)) return Fail(error, "Windows Imaging Component not available", hr);
  ComPtr<IWICStream> stream;
  hr = factory->CreateStream(stream.put());
  // WIC only reads the memory it is given.
  if (SUCCEEDED(hr)) {
    hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  }
  ComPtr<IWICBitmapDecoder> decoder;
  if (SUCCEEDED(hr)) {
    hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put());
  }
  if (FAILED(hr)) return Fail(error, "picture format not recognised", hr);
  GUID container = {};
  UINT count = 0;
  hr = decoder->GetContainerFormat(&container);
  if (SUCCEEDED(hr)) hr = decoder->GetFrameCount(&count);
  if (FAILED(hr) || count == 0) return Fail(error, "picture without frames", FAILED(hr) ? hr : E_FAIL);

  if (IsEqualGUID(container, GUID_ContainerFormatGif)) return DecodeGif(factory.get(), decoder.get(), count, picture, error);

  ComPtr<IWICBitmapFrameDecode> frame;
  hr = decoder->GetFrame(0, frame.put());
  UINT w = 0, h = 0;
  if (SUCCEEDED(hr)) hr = frame->GetSize(&w, &h);
  Frame still;
  if (SUCCEEDED(hr)) hr = ConvertToPbgra(factory.get(), frame.get(), w, h, still.bgra);
  if (FAILED(hr)) return Fail(error, "picture pixels unreadable", hr);
  still.width = static_cast<int>(w);
  still.height = static_cast<int>(h);
  picture.frames.push_back(std::move(still));
  return true;
}

}  // namespace

bool DecodePicture(std::span<const std::uint8_t> bytes, PictureFrames& picture, std::string& error) noexcept {
  picture = PictureFrames();
  bool ok = false;
  try {
    ok = Decode(bytes, picture, error);
  } catch (const std::bad_alloc&) {
    LogCaught("DecodePicture");
    error = "out of memory";
  } catch (const std::exception& e) {
    LogCaught("DecodePicture");
    error = e.what();
  }
  if (!ok) picture = PictureFrames();
  return ok;
}

bool LoadPayloadPictures(HMODULE module, Renderer& renderer, std::string& error) {
  for (std::size_t i = 0; i < kPayloadPictures.size(); ++i) {
    const int id = kPayloadPictures[i].id;
    PictureFrames picture;
    std::string reason;
    if (!DecodePicture(ResourceBytes(module, id), picture, reason)) {
      error = "picture " + std::to_string(id) + ": " + reason;
      return false;
    }
    renderer.SetPicture(static_cast<Picture>(i), std::move(picture));
  }
  return true;
}

std::span<const std::uint8_t> ResourceBytes(HMODULE module, int id) noexcept {
  return FindPayloadItem(module ? module : ::GetModuleHandleA(nullptr), id).bytes;
}

}  // namespace mervalis::desktop
