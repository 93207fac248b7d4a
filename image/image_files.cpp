// Loading and saving an ImageBuffer as a file, with the messages the user sees.
#include <cstring>
#include <string>

#include "image/image_buffer.h"
#include "image/image_readers.h"
#include "image/open_file.h"
#include "platform/ui_hooks.h"

namespace {

constexpr int kPlaceholderBitmap = 133;

}  // namespace

ImageFormat formatBySignature(const uint8_t* first, long count, const char* path) {
  uint8_t b[14] = {};
  if (first && count > 0) std::memcpy(b, first, size_t(count < 14 ? count : 14));
  if (hasPngSignature(b, count < 14 ? count : 14)) return ImageFormat::png;
  if (std::memcmp(b, "8BPS", 4) == 0 || std::memcmp(b, "SPB8", 4) == 0) return ImageFormat::photoshop;
  if ((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M')) return ImageFormat::tiff;
  if ((b[0] == 'B' && b[1] == 'M') || (b[0] == 'M' && b[1] == 'B')) return ImageFormat::bmp;
  if (std::memcmp(b + 6, "JFIF", 4) == 0) return ImageFormat::jpeg;
  if (path && (std::strstr(path, ".jp") || std::strstr(path, ".JP"))) return ImageFormat::jpeg;
  return ImageFormat::targa;
}

const char* formatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::photoshop: return "Photoshop";
    case ImageFormat::tiff: return "TIFF";
    case ImageFormat::bmp: return "BMP";
    case ImageFormat::jpeg: return "JPEG";
    case ImageFormat::targa: return "Targa";
    case ImageFormat::png: return "PNG";
  }
  return "unknown";
}

ReaderMessage readerMessage(int result) { return readerMessage(result, unsupportedReason(), damageReason()); }

ReaderMessage readerMessage(int result, const std::string& unsupported, const std::string& damage) {
  switch (result) {
    case kReadOk: return {"", kNoCode};
    case kReadUnsupported:
      if (!unsupported.empty()) return {"Can't read " + unsupported, kNoCode};
      return {"Can't read compressed images", kNoCode};
    case kReadTooLarge: return {"Images must be smaller than " + std::to_string(ImageBuffer::kMaxSide) + " pixels", kNoCode};
    case kReadTooFewColours: return {"Images must have 256 colors or more", kNoCode};
    case kReadNoMemory: return {"Not enough memory to load image", kNoCode};
    case kReadFormatError:
      if (!damage.empty()) return {"Can't read image file (" + damage + ")", long(result)};
      return {"Can't read image file", long(result)};
    default: return {"Can't read image file", long(result)};
  }
}

namespace {

int readAs(ImageFormat format, ImageBuffer& buffer, OpenFile& file) {
  switch (format) {
    case ImageFormat::photoshop: return readPhotoshop(buffer, file);
    case ImageFormat::tiff: return readTiff(buffer, file);
    case ImageFormat::bmp: return readBmp(buffer, file);
    case ImageFormat::jpeg: return readJpeg(buffer, file);
    case ImageFormat::targa: return readTarga(buffer, file);
    case ImageFormat::png: return readPng(buffer, file);
  }
  return kReadFormatError;
}

// Which refusals the fallback decoders may answer: encodings a reader knows it does not take, and
// files that fell through to the Targa reader without being Targa files. JPEG keeps its own library's
// verdict, so that the availability test still tells what loads.
bool fallbackMayTry(ImageFormat format, int result) {
  if (format == ImageFormat::jpeg || format == ImageFormat::png) return false;
  return result == kReadUnsupported || (format == ImageFormat::targa && result == kReadFormatError);
}

}  // namespace

int ImageBuffer::loadBySignature(OpenFile& file) {
  clearUnsupportedReason();
  uint8_t first[14] = {};
  const long count = file.seek(0) ? file.read(first, sizeof first) : -1;
  const ImageFormat format = formatBySignature(first, count, file.spec().path);
  const int result = readAs(format, *this, file);
  if (!fallbackMayTry(format, result) || !otherDecodersMayTry()) return result;
  const std::string reason = unsupportedReason();
  const int decoded = readWithFfmpeg(*this, file, result == kReadUnsupported ? &format : nullptr);
  if (decoded == kReadOk || decoded == kReadTooLarge) {
    clearUnsupportedReason();
    return decoded;
  }
  // A decoder that took the file's format and found its data damaged says so, and only that.
  const std::string damage = damageReason();
  if (!damage.empty()) {
    clearUnsupportedReason();
    return reportDamage(damage.c_str());
  }
  // When no decoder takes the file either, the user sees what the system's own reader said.
  refuseUnsupported(reason.c_str());
  return result;
}

int ImageBuffer::loadWithMessages(const FileSpec& file, const FileSpec* alternateFolder, bool showErrors) {
  if (!hasHeader()) return 0;
  OpenFile open;
  std::string tried = file.pathText();
  if (!open.open(file, "rb") && alternateFolder && !alternateFolder->empty()) {
    // A show moved to another machine finds its pictures by their names in the alternate folder.
    const std::string moved = inFolder(alternateFolder->pathText(), bareFileName(file.pathText()));
    if (moved.size() < sizeof file.path) {
      FileSpec alternate = file;
      alternate.setPath(moved);
      if (open.open(alternate, "rb")) tried = moved;
    }
  }
  const MessageSubject subject(tried);
  if (open.isOpen()) {
    const int result = loadBySignature(open);
    open.close();
    if (result == kReadOk) return 1;
    if (showErrors) {
      const ReaderMessage message = readerMessage(result);
      showMessage(message.text.c_str(), message.code);
      return 0;
    }
  } else if (showErrors) {
    showMessage("Can't open graphics file", kNoCode);
    return 0;
  }
  return loadBitmapResource(kPlaceholderBitmap) ? 2 : 0;
}

bool ImageBuffer::saveWithMessages(const FileSpec& file, int format) {
  if (!hasHeader()) return false;
  if (std::strstr(file.path, ".TGA") || std::strstr(file.path, ".tga")) format = 1;
  const MessageSubject subject(file.pathText());
  OpenFile out;
  if (!out.open(file, "wb")) {
    showMessage("Error opening graphics file", kNoCode);
    return false;
  }
  const bool written = write(out, format);
  // A full disk shows only when the last buffered bytes go out.
  if (!out.close() || !written) {
    showMessage("Error writing graphics file", kNoCode);
    return false;
  }
  return true;
}
