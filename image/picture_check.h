#pragma once
// Whether a picture file loads with the system's readers, and if not, why, in the words the plug-in
// would show. For the programs that name every unusable picture of a show before they render it.
#include <string>

// Empty when the file at path loads; else the reason ("Can't open graphics file", or the reader's
// message for its result code).
std::string pictureLoadProblem(const std::string& path);
