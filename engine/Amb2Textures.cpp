// Image files into OpenGL textures. The decoders below work on bytes only and
// return either a pixel buffer (tightly packed, bottom row first) or the exact
// message the loader shows; the Load* functions fetch the bytes from a file
// or from the in-program image store, show the message or upload the pixels.
//
// State: the in-program image store. Every upload leaves the new texture
// bound with the GL_MODULATE environment; nothing else is cached here.
#include "Amb2Textures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <utility>

#include "Amb2Bytes.h"
#include "AmbSystem.h"

namespace {

constexpr uint64_t MaxImageFileBytes = uint64_t(256) << 20;
constexpr long MaxJpegMemory = 256L << 20;
constexpr int MaxJpegScans = 256;
constexpr size_t BmpHeadersSize = 14 + 40;
constexpr size_t TgaHeaderSize = 18;
// A run-length packet of one header byte and one pixel stands for up to
// this many pixels: the most a TGA's data can expand.
constexpr uint64_t TgaPixelsPerRun = 128;

using TResourceKey = std::pair<std::string, std::string>;

std::map<TResourceKey, std::vector<uint8_t>>& ResourceImages() {
  static std::map<TResourceKey, std::vector<uint8_t>> images;
  return images;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

TDecodeResult Failure(const std::string& caption, const std::string& text) {
  TDecodeResult r;
  r.Caption = caption;
  r.Text = text;
  return r;
}

TDecodeResult Success(TPixelBuffer image) {
  TDecodeResult r;
  r.Ok = true;
  r.Image = std::move(image);
  return r;
}

TPixelBuffer BlankImage(uint32_t width, uint32_t height, TPixelFormat format) {
  const size_t bpp = format == TPixelFormat::RGBA ? 4 : 3;
  TPixelBuffer image;
  image.Width = width;
  image.Height = height;
  image.Format = format;
  image.Pixels.assign(size_t(width) * height * bpp, 0);
  return image;
}

// The stored image's name is the file name up to its first "."; a name
// without one has no stored image of its own (the empty name).
std::string ResourceName(const std::string& fileName) {
  const size_t dot = fileName.find('.');
  return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
}

bool FetchResource(const std::string& type, const std::string& fileName, const std::string& notFoundCaption,
                   std::vector<uint8_t>& bytes) {
  const auto it = ResourceImages().find({type, ResourceName(fileName)});
  if (it == ResourceImages().end()) {
    ShowMessage(notFoundCaption, "File not found in resource - " + fileName);
    return false;
  }
  bytes = it->second;
  return true;
}

// Bytes of one stored BMP row: its pixels padded to a multiple of 4 bytes.
uint64_t BmpRowStride(uint32_t width, uint32_t bitCount) { return (uint64_t(width) * bitCount + 31) / 32 * 4; }

// Copies each row's pixels out of the 4-byte-aligned rows of a BMP, turning
// B, G, R into R, G, B. Rows past the data read stay zero.
void CopyBmpRows(const uint8_t* data, uint64_t dataSize, TPixelBuffer& image) {
  const size_t rowBytes = size_t(image.Width) * 3;
  const size_t stride = size_t(BmpRowStride(image.Width, 24));
  if (rowBytes == 0) return;  // an empty image has no buffer to copy into
  for (size_t row = 0; row < image.Height && row * stride < dataSize; ++row) {
    const size_t available = std::min<uint64_t>(rowBytes, dataSize - row * stride);
    uint8_t* out = image.Pixels.data() + row * rowBytes;
    std::memcpy(out, data + row * stride, available);
    SwapRedBlue(out, available / 3);
  }
}

void CopySwapped(const uint8_t* in, uint8_t* out, size_t bpp) {
  out[0] = in[2];
  out[1] = in[1];
  out[2] = in[0];
  if (bpp == 4) out[3] = in[3];
}

std::string TooLittleData(uint64_t width, uint64_t height) {
  return "Too little data for " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// Run-length packets: never writes past the image, never reads past the
// data; pixels the data does not reach stay zero.
void DecodeTgaPackets(const uint8_t* in, size_t size, size_t bpp, std::vector<uint8_t>& out) {
  size_t pos = 0, written = 0;
  while (written < out.size() && pos < size) {
    const uint8_t header = in[pos++];
    const size_t count = size_t(header & 0x7F) + 1;
    const bool run = header >= 128;
    for (size_t i = 0; i < count && written < out.size(); ++i) {
      if (pos + bpp > size) return;
      CopySwapped(in + pos, out.data() + written, bpp);
      written += bpp;
      if (!run) pos += bpp;
    }
    if (run) pos += bpp;
  }
}

void SwapTgaPixels(std::vector<uint8_t>& pixels, size_t bpp) {
  for (size_t i = 0; i + bpp <= pixels.size(); i += bpp) std::swap(pixels[i], pixels[i + 2]);
}

// ---- libjpeg ----------------------------------------------------------------

struct TJpegErrorManager {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
};

struct TJpegJob {
  const uint8_t* Data;
  size_t Size;
  TPixelBuffer* Image;
  bool TooLittleData;  // the refusal: the file cannot hold the frame it announces
  uint32_t Width;
  uint32_t Height;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<TJpegErrorManager*>(cinfo->err)->Jump, 1);
}

// Warnings are silent, except that data ending early fails the load rather
// than padding the picture with grey.
void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
}

// A progressive file can ask for an unbounded number of scans, each a full
// pass over the coefficients.
void JpegProgress(j_common_ptr cinfo) {
  const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->progressive_mode && d->input_scan_number > MaxJpegScans) JpegErrorExit(cinfo);
}

// A Huffman-coded scan spends at least one bit on every block of each
// component it codes, so a file holds at least one bit per block of its
// sparsest component (at most 8192 pixels a byte, with chroma subsampled
// 4 x 4). Only a degenerate arithmetic-coded picture packs more, and is
// refused with the files too short for their frame.
bool JpegDataCanFill(const jpeg_decompress_struct& cinfo, size_t size) {
  uint64_t fewestBlocks = UINT64_MAX;
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& c = cinfo.comp_info[i];
    fewestBlocks = std::min(fewestBlocks, uint64_t(c.width_in_blocks) * c.height_in_blocks);
  }
  return uint64_t(size) * 8 >= fewestBlocks;
}

bool AllocateJpegImage(TJpegJob* job, uint32_t width, uint32_t height) {
  try {
    *job->Image = BlankImage(width, height, TPixelFormat::RGBA);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Decoded rows run top to bottom; textures start at the bottom row. Each row
// goes through libjpeg's row buffer into its place, R, G, B, 255.
void ReadJpegScanlines(j_decompress_ptr cinfo, TJpegJob* job) {
  const size_t width = cinfo->output_width, height = cinfo->output_height;
  JSAMPARRAY row =
      (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, JDIMENSION(width * 3), 1);
  while (cinfo->output_scanline < height) {
    uint8_t* out = job->Image->Pixels.data() + (height - 1 - cinfo->output_scanline) * width * 4;
    jpeg_read_scanlines(cinfo, row, 1);
    for (const uint8_t* in = row[0]; in < row[0] + width * 3; in += 3, out += 4) {
      std::copy(in, in + 3, out);
      out[3] = 255;
    }
  }
}

bool AbandonJpeg(j_decompress_ptr cinfo) {
  jpeg_destroy_decompress(cinfo);
  return false;
}

// libjpeg reports errors by longjmp back into this frame, so it holds no
// object with a destructor and no exception passes through libjpeg.
bool RunJpegDecode(TJpegJob* job) {
  jpeg_decompress_struct cinfo;
  TJpegErrorManager err;
  jpeg_progress_mgr progress;
  cinfo.err = jpeg_std_error(&err.Pub);
  err.Pub.error_exit = JpegErrorExit;
  err.Pub.emit_message = JpegEmitMessage;
  if (setjmp(err.Jump)) return AbandonJpeg(&cinfo);
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = MaxJpegMemory;
  progress.progress_monitor = JpegProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, job->Data, static_cast<unsigned long>(job->Size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || !SaneImageSize(cinfo.image_width, cinfo.image_height))
    return AbandonJpeg(&cinfo);
  job->Width = cinfo.image_width;
  job->Height = cinfo.image_height;
  job->TooLittleData = !JpegDataCanFill(cinfo, job->Size);
  if (job->TooLittleData) return AbandonJpeg(&cinfo);
  jpeg_start_decompress(&cinfo);
  if (!AllocateJpegImage(job, cinfo.output_width, cinfo.output_height)) return AbandonJpeg(&cinfo);
  ReadJpegScanlines(&cinfo, job);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// GL reads rows at its default unpack alignment of 4 bytes.
std::vector<uint8_t> RowsAlignedForUpload(const TPixelBuffer& image) {
  const size_t rowBytes = size_t(image.Width) * (image.Format == TPixelFormat::RGBA ? 4 : 3);
  const size_t stride = (rowBytes + 3) & ~size_t(3);
  if (stride == rowBytes) return image.Pixels;
  std::vector<uint8_t> aligned(stride * image.Height, 0);
  for (size_t row = 0; row < image.Height; ++row)
    std::memcpy(aligned.data() + row * stride, image.Pixels.data() + row * rowBytes, rowBytes);
  return aligned;
}

bool EqualsUpper(const std::string& name, const char* ext) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = char(std::toupper(static_cast<unsigned char>(c)));
  return tail == ext;
}

}  // namespace

// ---- shared helpers ---------------------------------------------------------

bool SaneImageSize(uint64_t width, uint64_t height) {
  return width <= MaxImageSide && height <= MaxImageSide && width * height <= MaxImagePixels;
}

bool ImageFileExists(const std::string& fileName) {
  std::error_code ec;
  return std::filesystem::is_regular_file(fileName, ec);
}

bool ReadImageFile(const std::string& fileName, std::vector<uint8_t>& bytes) {
  if (!ImageFileExists(fileName)) return false;
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(fileName, ec);
  if (ec || size > MaxImageFileBytes) return false;
  std::ifstream in(fileName, std::ios::binary);
  bytes.assign(size_t(size), 0);
  return in && in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size)).gcount() == std::streamsize(size);
}

void SwapRedBlue(uint8_t* pixels, size_t pixelCount) {
  for (size_t i = 0; i < pixelCount; ++i) std::swap(pixels[i * 3], pixels[i * 3 + 2]);
}

static bool IsPowerOfTwo(uint16_t n) { return n != 0 && (n & (n - 1)) == 0; }

std::vector<uint8_t> BgraTexels(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* rows) {
  const size_t channels = format == TPixelFormat::RGBA ? 4 : 3;
  const size_t stride = (size_t(width) * channels + 3) & ~size_t(3);
  std::vector<uint8_t> texels(size_t(width) * height * 4);
  uint8_t* out = texels.data();
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* in = rows + y * stride;
    for (size_t x = 0; x < width; ++x, in += channels, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = channels == 4 ? in[3] : 255;
    }
  }
  return texels;
}

// A linearly filtered texture only ever samples its level 0, so a picture
// whose sides are powers of two is uploaded as level 0 alone: the same texels
// without the memory (a third more) and the time of levels nothing reads.
// Other sides still go through gluBuild2DMipmaps, which scales them.
uint32_t CreateTextureFiltered(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels,
                               int minFilter) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  const GLint internalFormat = format == TPixelFormat::RGBA ? GL_RGBA : 3;
  const std::vector<uint8_t> texels = BgraTexels(width, height, format, pixels);
  if (minFilter == GL_LINEAR && IsPowerOfTwo(width) && IsPowerOfTwo(height))
    gluBuild2DMipmapLevels(GL_TEXTURE_2D, internalFormat, width, height, GL_BGRA, GL_UNSIGNED_BYTE, 0, 0, 0,
                           texels.data());
  else
    gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, width, height, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
  return texture;
}

uint32_t CreateTextureFromPixels(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels) {
  return CreateTextureFiltered(width, height, format, pixels, GL_LINEAR);
}

bool FinishImageLoad(const TDecodeResult& decoded, uint32_t& texture, TTextureCreator create) {
  if (!decoded.Ok) {
    ShowMessage(decoded.Caption, decoded.Text);
    return false;
  }
  const TPixelBuffer& image = decoded.Image;
  const std::vector<uint8_t> rows = RowsAlignedForUpload(image);
  texture = create(uint16_t(image.Width), uint16_t(image.Height), image.Format, rows.data());
  return true;
}

void RegisterResourceImage(const std::string& type, const std::string& name, std::vector<uint8_t> bytes) {
  ResourceImages()[{type, name}] = std::move(bytes);
}

// ---- decoders -----------------------------------------------------------------

TDecodeResult DecodeBmp(const uint8_t* data, size_t size, const std::string& name, bool fromResource) {
  const auto readFailure = [&](const char* fileText) {
    return fromResource ? Failure("BMP Unit", "Unable to read from resource - " + name) : Failure("BMP Unit", fileText);
  };
  if (size < BmpHeadersSize) return readFailure("Error reading bitmap data");
  const TByteReader in(data, size);
  const size_t info = 14;
  const int32_t width = int32_t(in.U32At(info + 4));
  const int32_t height = int32_t(in.U32At(info + 8));
  const uint32_t bitCount = in.U16At(info + 14);
  const uint32_t imageSize = in.U32At(info + 20);
  const uint32_t paletteBytes = in.U32At(info + 32);
  if (paletteBytes > size - BmpHeadersSize) return readFailure("Error reading palette");
  const size_t offset = BmpHeadersSize + paletteBytes;
  if (width < 0 || height < 0 || !SaneImageSize(uint64_t(width), uint64_t(height)))
    return readFailure("Error reading bitmap data");
  const uint64_t dataSize = imageSize ? imageSize : BmpRowStride(uint32_t(width), bitCount) * uint64_t(height);
  if (dataSize > size - offset) return readFailure("Error reading bitmap data");
  if (dataSize < uint64_t(width) * uint64_t(height) * 3)
    return Failure("BMP Unit", TooLittleData(uint64_t(width), uint64_t(height)) + " - " + name);
  TPixelBuffer image = BlankImage(uint32_t(width), uint32_t(height), TPixelFormat::RGB);
  CopyBmpRows(data + offset, dataSize, image);
  return Success(std::move(image));
}

TDecodeResult DecodeJpg(const uint8_t* data, size_t size, const std::string& name, bool fromResource) {
  TPixelBuffer image;
  TJpegJob job{data, size, &image, false, 0, 0};
  if (RunJpegDecode(&job)) return Success(std::move(image));
  const std::string text = (fromResource ? "Couldn't load JPG Resource - " : "Couldn't load JPG - ") + Quoted(name);
  return Failure("BMP Unit", job.TooLittleData ? text + ". " + TooLittleData(job.Width, job.Height) + "." : text);
}

TDecodeResult DecodeTga(const uint8_t* data, size_t size, const std::string& name, bool fromResource) {
  const auto readFailure = [&] {
    return fromResource ? Failure("BMP Unit", "Unable to read from resource - " + name)
                        : Failure("TGA File Error", "Couldn't read file " + Quoted(name) + ".");
  };
  const auto refused = [&](const char* why) {
    return Failure("TGA File Error", "Couldn't load " + Quoted(name) + why);
  };
  if (size < TgaHeaderSize) {
    if (fromResource) return readFailure();
    throw EFileError("Read beyond end of file " + name + ": shorter than its 18-byte TGA header");
  }
  const uint8_t colorMapType = data[1], imageType = data[2], depth = data[16];
  if (imageType != 2 && imageType != 10) return refused(". Only 24 and 32bit TGA supported.");
  if (colorMapType != 0) return refused(". Colormapped TGA files not supported.");
  if (depth != 24 && depth != 32) return refused(". Only 24 and 32 bit TGA files supported.");
  const uint32_t width = TByteReader(data, size).U16At(12), height = TByteReader(data, size).U16At(14);
  if (!SaneImageSize(width, height)) return readFailure();
  const size_t bpp = depth / 8;
  const uint8_t* pixels = data + TgaHeaderSize;
  const size_t available = size - TgaHeaderSize;
  const uint64_t pixelCount = uint64_t(width) * height;
  if (imageType == 10 && pixelCount > available / (1 + bpp) * TgaPixelsPerRun)
    return Failure("TGA File Error", "Couldn't load " + Quoted(name) + ". " + TooLittleData(width, height) + ".");
  if (imageType == 2 && available < pixelCount * bpp) return readFailure();
  TPixelBuffer image = BlankImage(width, height, bpp == 4 ? TPixelFormat::RGBA : TPixelFormat::RGB);
  if (imageType == 10) {
    DecodeTgaPackets(pixels, available, bpp, image.Pixels);
    return Success(std::move(image));
  }
  std::copy(pixels, pixels + image.Pixels.size(), image.Pixels.begin());
  SwapTgaPixels(image.Pixels, bpp);
  return Success(std::move(image));
}

// ---- loaders --------------------------------------------------------------------

namespace {

using TDecoder = TDecodeResult (*)(const uint8_t*, size_t, const std::string&, bool);

// The bytes from the image store (under its type and label) or from the file
// (the message when it cannot be read), decoded and uploaded.
bool LoadDecoded(const std::string& fileName, uint32_t& texture, bool fromResource, const char* storeType,
                 const char* storeLabel, const std::string& caption, const std::string& readFault, TDecoder decode) {
  std::vector<uint8_t> bytes;
  if (fromResource) {
    if (!FetchResource(storeType, fileName, storeLabel, bytes)) return false;
  } else if (!ReadImageFile(fileName, bytes)) {
    ShowMessage(caption, readFault);
    return false;
  }
  return FinishImageLoad(decode(bytes.data(), bytes.size(), fileName, fromResource), texture, CreateTextureFromPixels);
}

}  // namespace

bool LoadBmpFile(const std::string& fileName, uint32_t& texture, bool fromResource) {
  return LoadDecoded(fileName, texture, fromResource, "BMP", "BMP Texture", "BMP Unit", "Error opening " + fileName,
                     DecodeBmp);
}

bool LoadJpgFile(const std::string& fileName, uint32_t& texture, bool fromResource) {
  return LoadDecoded(fileName, texture, fromResource, "JPEG", "JPG Texture", "BMP Unit",
                     "Couldn't load JPG - " + Quoted(fileName), DecodeJpg);
}

bool LoadTgaFile(const std::string& fileName, uint32_t& texture, bool fromResource) {
  if (!fromResource && !ImageFileExists(fileName)) {
    ShowMessage("TGA Texture", "File not found  - " + fileName);
    return false;
  }
  return LoadDecoded(fileName, texture, fromResource, "TGA", "TGA Texture", "TGA File Error",
                     "Couldn't read file " + Quoted(fileName) + ".", DecodeTga);
}

void LoadImageFile(const std::string& fileName, uint32_t& texture, bool fromResource) {
  if (EqualsUpper(fileName, ".BMP")) LoadBmpFile(fileName, texture, fromResource);
  if (EqualsUpper(fileName, ".JPG")) LoadJpgFile(fileName, texture, fromResource);
  if (EqualsUpper(fileName, ".TGA")) LoadTgaFile(fileName, texture, fromResource);
}
