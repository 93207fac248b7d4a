#pragma once
// Names of output files: the image-sequence pattern with its frame-number field, and the temporary
// name beside the final one that an output is written under until it is complete.
#include <string>

// Lower-case extension with its dot (".mp4"), or empty.
std::string extensionOf(const std::string& path);

// A pattern holds exactly one frame-number field: %d, or %0Nd for numbers padded to N digits ("%%"
// is a literal per cent sign). Returns false with the reason in error otherwise.
bool validSequencePattern(const std::string& pattern, std::string& error);
bool hasFrameField(const std::string& pattern);
// The pattern with the field replaced by the frame number.
std::string sequenceFileName(const std::string& pattern, int frame);

// A name in the same folder that does not show as the final file until renamed.
std::string temporaryNameFor(const std::string& path);
