// Stand-in until the keyframe options are built.
#include "editor/timeline/keyframe_options.h"

bool keyframeOptions(int, int, KeyFrame&, bool) { return false; }
