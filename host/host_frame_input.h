#pragma once
// The renderer's source of host video frames inside the plug-in: reads the current action record.
// While editing it asks the host through its frame-fetch callback; while rendering it takes the
// source frame the host handed over with the record.
#include "host/host_records.h"
#include "render/frame_input.h"

class HostFrameInput : public FrameInput {
 public:
  explicit HostFrameInput(const ActionRecord* record) : record_(record) {}
  bool fetchFrame(int frame, ImageBuffer& into) override;

 private:
  const ActionRecord* record_;
};

// The two ways of getting the frame, by action.
bool fetchEditFrame(const ActionRecord& record, int frame, ImageBuffer& into);
bool copySourceFrame(const ActionRecord& record, ImageBuffer& into);
