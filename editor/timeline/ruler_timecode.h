#pragma once
// The ruler's labels: a time as minutes, seconds and frames ("MM:SS:FF", a point before the frames
// of a negative time) at a frame rate in hundredths of a frame per second.
#include <string>

std::string rulerTimecodeText(int frames, int frameRate);
