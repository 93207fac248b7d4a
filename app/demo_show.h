#pragma once
// The built-in demo: three sample pictures shipped with the program (a logo with alpha, a photo-like
// picture, a soft round brush) and a show that moves, rotates and fades them and sweeps the brush as a
// blur across the photo.
#include <string>

#include "app/show_block.h"

// Resource numbers of the sample pictures (data resources).
constexpr int kDemoLogoResource = 9001;
constexpr int kDemoPhotoResource = 9002;
constexpr int kDemoBrushResource = 9003;

constexpr int kDemoFrames = 150;

// Writes the samples into folder and stores a show referring to them into block (also saved as
// folder/demo.kmv). False with the reason on failure.
bool buildDemoShow(const std::string& folder, ShowBlock& block, std::string& error);
