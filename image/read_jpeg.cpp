#include <dlfcn.h>
#include <turbojpeg.h>

#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "image/image_readers.h"
#include "image/jpeg_library.h"
#include "image/jpeg_scans.h"

namespace {

// The decoder's entry points, found by name in the library loaded at run time. Only the types come
// from its header; the program does not link against it.
struct JpegDecoder {
  std::string name;
  void* library = nullptr;
  decltype(&tjInitDecompress) init = nullptr;
  decltype(&tjDecompressHeader3) header = nullptr;
  decltype(&tjDecompress2) decompress = nullptr;
  decltype(&tjDestroy) destroy = nullptr;
  decltype(&tjGetErrorCode) errorCode = nullptr;  // absent from the oldest versions

  bool ready() const { return init && header && decompress && destroy; }
};

// The library stays loaded once found, so that a show full of JPEG pictures does not load it again
// for each one; a changed library name loads the new one.
JpegDecoder* decoder() {
  static JpegDecoder d;
  const char* name = jpegLibraryName();
  if (d.library && d.name == name) return d.ready() ? &d : nullptr;
  if (d.library) dlclose(d.library);
  d = JpegDecoder{};
  d.name = name;
  d.library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (!d.library) return nullptr;
  d.init = reinterpret_cast<decltype(d.init)>(dlsym(d.library, "tjInitDecompress"));
  d.header = reinterpret_cast<decltype(d.header)>(dlsym(d.library, "tjDecompressHeader3"));
  d.decompress = reinterpret_cast<decltype(d.decompress)>(dlsym(d.library, "tjDecompress2"));
  d.destroy = reinterpret_cast<decltype(d.destroy)>(dlsym(d.library, "tjDestroy"));
  d.errorCode = reinterpret_cast<decltype(d.errorCode)>(dlsym(d.library, "tjGetErrorCode"));
  return d.ready() ? &d : nullptr;
}

class DecompressHandle {
 public:
  explicit DecompressHandle(JpegDecoder& d) : d_(d), handle_(d.init()) {}
  ~DecompressHandle() {
    if (handle_) d_.destroy(handle_);
  }
  DecompressHandle(const DecompressHandle&) = delete;
  DecompressHandle& operator=(const DecompressHandle&) = delete;
  tjhandle get() const { return handle_; }

 private:
  JpegDecoder& d_;
  tjhandle handle_;
};

}  // namespace

int readJpeg(ImageBuffer& buffer, OpenFile& file) {
  clearUnsupportedReason();
  if (!buffer.hasHeader()) return kReadNoBuffer;
  const std::lock_guard<std::mutex> guard(jpegLibraryLock());
  JpegDecoder* d = decoder();
  if (!d) return kReadUnsupported;
  DecompressHandle handle(*d);
  if (!handle.get()) return kReadUnsupported;

  const long size = file.size();
  if (size <= 0 || !file.seek(0)) return kReadFormatError;
  std::vector<unsigned char> bytes;
  try {
    bytes.resize(size_t(size));
  } catch (const std::bad_alloc&) {
    return kReadNoMemory;
  }
  if (file.read(bytes.data(), size) != size) return kReadFormatError;
  if (countJpegScans(bytes.data(), bytes.size(), kMaxJpegScans) > kMaxJpegScans)
    return refuseUnsupported("JPEG images of more than 500 scans");

  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (d->header(handle.get(), bytes.data(), static_cast<unsigned long>(size), &width, &height, &subsampling,
                &colourspace) != 0)
    return kReadFormatError;
  if (width > ImageBuffer::kMaxSide || height > ImageBuffer::kMaxSide) return kReadTooLarge;
  if (width <= 0 || height <= 0) return kReadFormatError;
  if (!buffer.create(width, height, 24)) return kReadNoMemory;

  // The decoder writes the first line of the picture first; the buffer keeps it at the top.
  if (d->decompress(handle.get(), bytes.data(), static_cast<unsigned long>(size), buffer.pixels(), width,
                    buffer.rowStep(), height, TJPF_BGR, 0) != 0) {
    // A file cut short still gives the lines it has, with a warning; anything else is an error.
    if (!d->errorCode || d->errorCode(handle.get()) != TJERR_WARNING) return kReadFormatError;
  }
  buffer.flipVertical();
  return kReadOk;
}
