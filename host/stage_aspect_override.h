#pragma once
// The stage aspect for one run. The host program renders a 16:9 movie on the 16:9 stage and a 4:3
// one on the 4:3 stage without changing the user's "AspectMode" setting, which the editor keeps
// using. It asks through the environment variable KESTRELMOVE_STAGE_ASPECT ("4:3" or "16:9"), read
// when the plug-in attaches: the ShowState and its stage are made at attach, before any host call
// whose records could carry a request, and the records' layout is the host's and stays as it is.
class ShowState;

// Sets the show's aspect and stage when the variable asks for one; anything else leaves the setting's.
void applyStageAspectOverride(ShowState& show);
