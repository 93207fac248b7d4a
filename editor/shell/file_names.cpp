#include "editor/shell/file_names.h"

std::string bareName(const std::string& path) {
  std::string name = bareFileName(path);
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
