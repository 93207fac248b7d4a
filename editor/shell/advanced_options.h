#pragma once
// The Render menu's Advanced Options: field order, top field, the alternate image folder, picture
// errors, video-safe colours and alpha feathering, then every picture loaded again.
void advancedOptions();
