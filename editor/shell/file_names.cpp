#include "editor/shell/file_names.h"

namespace {
size_t lastSeparator(const std::string& path) { return path.find_last_of("\\:/"); }
}  // namespace

std::string bareName(const std::string& path) {
  const size_t sep = lastSeparator(path);
  std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

std::string pictureFilter(bool jpegAvailable) {
  std::string f = "All Graphics Files|*.bmp;*.tga;*.tif;*.psd";
  if (jpegAvailable) f += ";*.jpg";
  f += "|BMP Files (*.bmp)|*.bmp|Targa Files (*.tga)|*.tga|TIFF Files (*.tif)|*.tif";
  f += "|Photoshop Files (*.psd)|*.psd";
  if (jpegAvailable) f += "|Jpeg Files (*.jpg)|*.jpg";
  f += "|All Files (*.*)|*.*|";
  return f;
}
