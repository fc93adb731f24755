// JPEG encoding in memory through libjpeg, one scanline at a time.
#include "Amb2JpegWriter.h"

#include <cstdio>
#include <cstdlib>

// After <cstdio>: libjpeg's header uses FILE and size_t without including them.
#include <jpeglib.h>

std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int width, int height, int channels, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* src = pixels + size_t(cinfo.next_scanline) * size_t(width) * size_t(channels);
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) row[size_t(x) * 3 + c] = src[x * channels + c];
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}
