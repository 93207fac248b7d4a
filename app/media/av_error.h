#pragma once
// FFmpeg's error codes as text for our one-line messages.
extern "C" {
#include <libavutil/error.h>
}

#include <string>

inline std::string avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}
