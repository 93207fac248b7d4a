#include "image/picture_check.h"

#include "image/image_buffer.h"
#include "image/image_readers.h"
#include "image/open_file.h"
#include "platform/file_spec.h"
#include "platform/ui_hooks.h"

std::string pictureLoadProblem(const std::string& path) {
  FileSpec spec;
  spec.setPath(path);
  OpenFile file;
  if (!file.open(spec, "rb")) return "Can't open graphics file";
  ImageBuffer image(16, 16, 8);
  const int result = image.loadBySignature(file);
  if (result == kReadOk) return "";
  if (result < 0) return "Can't open graphics file";
  const ReaderMessage m = readerMessage(result);
  return messageText(m.text.c_str(), m.code);
}
