#pragma once
// The steps of the View menu: the stage's four zoom choices and the timeline's time scale (frames
// shown per 60 pixels), which snaps to whole seconds when it grows past one second.

// 0.5 -> 0.75 -> 1.0 -> 2.0; any other zoom (2.0 included) stays.
float zoomedIn(float zoom);
// 2.0 -> 1.0 -> 0.75 -> 0.5; any other zoom (0.5 included) stays.
float zoomedOut(float zoom);
// The "Scale" setting of a zoom: percent, truncated.
int zoomSetting(float zoom);

// frameRate in hundredths of a frame per second.
int enlargedTimeScale(int scale, int frameRate);
int contractedTimeScale(int scale, int frameRate);
