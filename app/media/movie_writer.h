#pragma once
// Movies through FFmpeg's libraries: H.264 where the encoder and the container allow it, else MPEG-4.
#include <memory>

#include "app/media/frame_writer.h"

std::unique_ptr<FrameWriter> openMovieWriter(const OutputSettings& settings, std::string& error);
