#pragma once
// Image sequences: one file per frame, named by the pattern with the host's frame number. PNG through
// libpng; BMP and Targa through the system's own writers. Each file is written exactly as the plug-in
// filled the destination frame, at 24 bits.
#include <memory>

#include "app/media/frame_writer.h"
#include "app/media/png_file.h"

std::unique_ptr<FrameWriter> openImageSequenceWriter(const OutputSettings& settings, std::string& error);

// The frame's colour bytes as top-down RGB, dropping any fourth byte.
RgbImage toRgb(const HostFrame& frame);
