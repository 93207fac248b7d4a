// PNG through libpng: every colour type and depth becomes the 32-bit layout of the other readers
// (bottom-up rows of blue, green, red, alpha). Sixteen-bit samples are scaled to eight with rounding;
// the file's gamma is not applied, so values come through as the file stores them.
#include <png.h>

#include <csetjmp>
#include <new>
#include <vector>

#include "image/image_readers.h"

namespace {

// Larger sides are refused as too large after the header is read; libpng's own limit only keeps a
// hostile header from reaching the allocation.
constexpr png_uint_32 kLibraryLimit = 1u << 20;
constexpr png_alloc_size_t kChunkMemoryLimit = png_alloc_size_t(8) << 20;

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

void readData(png_structp png, png_bytep out, size_t count) {
  auto* file = static_cast<OpenFile*>(png_get_io_ptr(png));
  if (file->read(out, long(count)) != long(count)) png_error(png, "file cut short");
}

}  // namespace

bool hasPngSignature(const uint8_t* first, long count) {
  return count >= 8 && png_sig_cmp(first, 0, 8) == 0;
}

int readPng(ImageBuffer& buffer, OpenFile& file) {
  if (!buffer.hasHeader()) return kReadNoBuffer;
  if (!file.seek(0)) return kReadFormatError;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (!png) return kReadNoMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return kReadNoMemory;
  }
  // Everything that lives across the jump is made before it, so the jump skips no destructor, and
  // the row table already holds the largest picture, so filling it later cannot throw.
  std::vector<png_bytep> rows;
  try {
    rows.reserve(size_t(ImageBuffer::kMaxSide));
  } catch (const std::bad_alloc&) {
    png_destroy_read_struct(&png, &info, nullptr);
    return kReadNoMemory;
  }
  volatile int result = kReadFormatError;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
  }
  png_set_read_fn(png, &file, readData);
  png_set_user_limits(png, kLibraryLimit, kLibraryLimit);
  // Only the pixels and their transparency are used: every other ancillary chunk (profiles, texts,
  // gamma, ...) is skipped unread, and no chunk may make libpng allocate more than a few megabytes,
  // whatever length its header claims.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_chunk_malloc_max(png, kChunkMemoryLimit);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
  if (width > png_uint_32(ImageBuffer::kMaxSide) || height > png_uint_32(ImageBuffer::kMaxSide)) {
    result = kReadTooLarge;
    png_longjmp(png, 1);
  }

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 4) png_longjmp(png, 1);

  if (!buffer.create(int(width), int(height), 32)) {
    result = kReadNoMemory;
    png_longjmp(png, 1);
  }
  rows.resize(height);
  // The file's first line is the top of the picture, the buffer's last row.
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = buffer.row(int(height - 1 - y));
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  return kReadOk;
}
