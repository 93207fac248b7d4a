#pragma once
// What the host program asks of the plug-in for one run, without changing the user's settings:
// - the stage aspect: a 16:9 movie is rendered on the 16:9 stage and a 4:3 one on the 4:3 stage,
//   while the "AspectMode" setting, which the editor keeps using, stays as it is
//   (KESTRELMOVE_STAGE_ASPECT, "4:3" or "16:9");
// - the placeholder picture: under "render --allow-missing" a picture that cannot be loaded is
//   replaced by the placeholder, whatever the "ShowPicError" setting says
//   (KESTRELMOVE_PICTURE_PLACEHOLDER=1).
// Both are environment variables read when the plug-in attaches: the ShowState and its stage are made
// at attach, before any host call whose records could carry a request, and the records' layout is
// the host's and stays as it is.
class ShowState;

// Applies the requests that the environment holds; anything else leaves the settings' values.
void applyRunOverrides(ShowState& show);
