#pragma once
// The host side of the render action: an ActionRecord wired to a parameter block, source and
// destination frames, handed to one loaded copy of the plug-in's vfAction.
#include <cstdint>

#include "app/media/host_frame.h"
#include "host/host_records.h"

class RenderCall {
 public:
  RenderCall(VfActionProc action, int32_t frameRateCode);
  RenderCall(const RenderCall&) = delete;
  RenderCall& operator=(const RenderCall&) = delete;

  // The block the plug-in reads the show from (null: it renders the show it holds).
  void setParameterBlock(uint8_t* block) { parameters_.parameterBlock = block; }

  // One call of the render action for host frame number `frameNumber`. Returns vfAction's result.
  int32_t render(int32_t frameNumber, bool fieldMode, const HostFrame& source, HostFrame& destination);

  // A whole output frame (24 bits, output size) for output frame `frame`: progressive, or woven from
  // host fields 2f + 1 (field 1, the even lines) and 2f (field 2, the odd lines), each rendered into
  // a destination of half the height. Sources at the output size give each field its own lines.
  bool renderOutputFrame(int frame, bool interlaced, const HostFrame& source, bool sourceAtOutputSize,
                         HostFrame& output);

 private:
  VfActionProc action_;
  int32_t rateCode_;
  HostParameters parameters_{};
  HostProject project_{};
  HostFrame fields_[2];
  HostFrame fieldSources_[2];
};
