#pragma once
// The image file readers. Each fills the buffer at the file's own depth from an open file, starting
// from the beginning of the file whatever its position, and returns one of the result codes below.
// Whatever a file claims, a reader reads and writes only within the file and its buffers.
#include <cstdint>
#include <string>

#include "image/image_buffer.h"
#include "image/open_file.h"

enum ReaderResult : int {
  kReadOk = 0,
  kReadUnsupported = 1,  // compressed or an encoding no reader handles
  kReadTooLarge = 2,     // a side above 8192 pixels
  kReadFormatError = 3,  // read or format error
  kReadNoBuffer = 4,     // the target buffer has no header
  kReadTooFewColours = 5,
  kReadNoMemory = 6,
};

int readPhotoshop(ImageBuffer& buffer, OpenFile& file);
int readTiff(ImageBuffer& buffer, OpenFile& file);
int readBmp(ImageBuffer& buffer, OpenFile& file);
int readTarga(ImageBuffer& buffer, OpenFile& file);
int readJpeg(ImageBuffer& buffer, OpenFile& file);
// PNG through libpng, any colour type and depth, always into 32 bits.
int readPng(ImageBuffer& buffer, OpenFile& file);
bool hasPngSignature(const uint8_t* first, long count);

// The reader that loadBySignature picks for the first 14 bytes of a file (fewer when the file is
// shorter) and its path.
enum class ImageFormat { photoshop, tiff, bmp, jpeg, targa, png };
ImageFormat formatBySignature(const uint8_t* first, long count, const char* path);
const char* formatName(ImageFormat format);

// The fallback behind the system's own readers: FFmpeg's image decoders, into 32 bits. recognisedAs is
// the format the signature dispatch took the file for when that format's reader refused its encoding
// (null when no reader knows the file); without one the content alone must tell the format.
int readWithFfmpeg(ImageBuffer& buffer, OpenFile& file, const ImageFormat* recognisedAs);

// What a reader refused as unsupported when the refusal is not about compression ("tiled TIFF
// images", "32-bit Photoshop images" ...; the message reads "Can't read " and this text). It is kept
// per thread, so pictures load on several threads at once. Each reader and loadBySignature clear it as
// they start; a reader that refuses a variant it knows sets it and returns kReadUnsupported, saying
// whether other decoders may try the file (not when they are known to make a wrong picture of it).
int refuseUnsupported(const char* what, bool decodersMayTry = true);
void clearUnsupportedReason();
std::string unsupportedReason();
bool otherDecodersMayTry();
// What a decoder found wrong in a file whose format it took ("TIFF data that does not decode: ..."),
// cleared with the reason above; reportDamage sets it and returns kReadFormatError.
int reportDamage(const char* what);
std::string damageReason();

// Whether a header's promise of `promised` bytes of uncompressed pixel data is kept well enough to be
// read: a file cut short keeps its zero-filled lines, but one holding less than an eighth of its
// pixels is damaged (a few header bytes must not become a huge blank picture).
bool holdsEnoughPixelData(int64_t present, int64_t promised);

// The text a failed read shows, and whether its code is appended ("  [ code ]"). Code 1 names what was
// unsupported when the last read on this thread said so (unsupportedReason), else compression; code 3
// says what a decoder found damaged when the last read on this thread said so (damageReason).
struct ReaderMessage {
  std::string text;
  long code;  // kNoCode when nothing is appended
};
ReaderMessage readerMessage(int result);
ReaderMessage readerMessage(int result, const std::string& unsupported, const std::string& damage = "");
