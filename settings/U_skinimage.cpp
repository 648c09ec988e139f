#include "U_skinimage.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>
#include <string>

#include <QBuffer>
#include <QImageReader>

#include "U_skinfile.h"

namespace {

constexpr size_t kFileMax = 64 << 20;
constexpr long long kSideMax = 16384;
// Checked against the declared size before anything is decoded: a picture
// of a few bytes may declare gigabytes of pixels.
constexpr long long kPixelsMax = 16ll << 20;

struct TJpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
};

[[noreturn]] void JpegFail(j_common_ptr info) { longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1); }

void JpegQuiet(j_common_ptr) {}

bool IsJpeg(const std::string& data) {
  return data.size() > 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
         static_cast<unsigned char>(data[1]) == 0xD8 && static_cast<unsigned char>(data[2]) == 0xFF;
}

bool FitsLimits(long long width, long long height) {
  return width > 0 && height > 0 && width <= kSideMax && height <= kSideMax && width * height <= kPixelsMax;
}

// libjpeg reports errors by longjmp back here; no object with a destructor
// lives in this frame, so the jump skips nothing.
bool DecodeJpeg(const unsigned char* data, unsigned long size, QImage* image) {
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.output_message = JpegQuiet;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  const bool supported = info.jpeg_color_space != JCS_CMYK && info.jpeg_color_space != JCS_YCCK &&
                         FitsLimits(info.image_width, info.image_height);
  if (supported) {
    // Straight into the layout a pixmap takes, so the picture is never converted.
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_start_decompress(&info);
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                    QImage::Format_RGB32);
  }
  if (!supported || image->isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage LoadSkinPicture(const char* path) {
  std::string data;
  if (!path || !ReadLocalFile(path, kFileMax, &data)) return {};
  QImage image;
  if (!IsJpeg(data)) {
    QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!FitsLimits(size.width(), size.height()) || !reader.read(&image)) return {};
    return image;
  }
  if (!DecodeJpeg(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &image)) return {};
  return image;
}
