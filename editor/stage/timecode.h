#pragma once
// Frame numbers to and from video timecode text (HH:MM:SS:FF, or MM:SS:FF in the short form) at a
// frame rate in hundredths of a frame per second. Pure functions: the stage's timecode box, its
// timecode entry, playback and the timeline's ruler labels all use them.
#include <string>

// At most 11 characters. A negative time is written as its magnitude with "." before the frame field.
// Hours wrap at 12. Minutes are counted in (60 x rate) / 100 frames, seconds in (rate + 50) / 100.
std::string timecodeText(int frames, bool shortForm, int rate);

// Reads up to four two-digit fields from the end of the text (frames, seconds, minutes, hours, each
// field one or two digits, anything else a separator) into frame. A leading "+" or "-" makes the
// entry relative to the incoming frame. A text without any digit leaves frame as it was and gives
// false. Results beyond the int range are limited to it.
bool parseTimecode(const char* text, int& frame, int rate);

// Frames of one second of timecode at a rate: (rate + 50) / 100 (rates below 50 count as 100).
int timecodeFramesPerSecond(int rate);
