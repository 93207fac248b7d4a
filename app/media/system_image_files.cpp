#include "app/media/system_image_files.h"

#include <cerrno>
#include <cstring>

#include "image/image_buffer.h"
#include "image/image_readers.h"
#include "image/open_file.h"

namespace {
// Format numbers of ImageBuffer::write.
constexpr int kWriteBmp = 0;
constexpr int kWriteTarga = 1;

bool fileSpecFor(const std::string& path, FileSpec& spec, std::string& error) {
  if (path.size() >= sizeof spec.path) {
    error = "the path is longer than 255 characters";
    return false;
  }
  spec.setPath(path);
  return true;
}
}  // namespace

bool systemImageWritersAvailable() { return true; }

bool writeSystemImage(const std::string& path, const HostFrame& frame, SystemImageFormat format, std::string& error) {
  const int bits = format == SystemImageFormat::targa ? frame.header.bitCount : 24;
  ImageBuffer image(frame.width(), frame.height(), bits);
  if (image.width() != frame.width() || image.height() != frame.height()) {
    error = "out of memory";
    return false;
  }
  const int b = frame.bytesPerPixel(), ob = bits / 8;
  for (int i = 0; i < frame.height(); ++i) {
    const uint8_t* in = frame.row(i);
    uint8_t* out = image.row(i);
    for (int j = 0; j < frame.width(); ++j) std::memcpy(out + ob * j, in + b * j, size_t(ob));
  }
  FileSpec spec;
  if (!fileSpecFor(path, spec, error)) return false;
  OpenFile file;
  if (!file.open(spec, "wb")) {
    error = std::strerror(errno);
    return false;
  }
  const bool written = image.write(file, format == SystemImageFormat::targa ? kWriteTarga : kWriteBmp);
  if (!file.close() || !written) {
    error = "write error";
    return false;
  }
  return true;
}

bool readSystemImage(const std::string& path, ImageBuffer& image, std::string& error) {
  FileSpec spec;
  if (!fileSpecFor(path, spec, error)) return false;
  OpenFile file;
  if (!file.open(spec, "rb")) {
    error = std::strerror(errno);
    return false;
  }
  ImageBuffer read(16, 16, 8);
  const int result = read.loadBySignature(file);
  if (result != kReadOk) {
    error = readerMessage(result).text;
    return false;
  }
  if (!image.create(read.width(), read.height(), 32) || !read.convertInto(image, 0, 0)) {
    error = "out of memory";
    return false;
  }
  return true;
}
