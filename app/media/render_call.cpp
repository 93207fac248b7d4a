#include "app/media/render_call.h"

RenderCall::RenderCall(VfActionProc action, int32_t frameRateCode) : action_(action), rateCode_(frameRateCode) {
  project_.parameters = &parameters_;
}

int32_t RenderCall::render(int32_t frameNumber, bool fieldMode, const HostFrame& source, HostFrame& destination) {
  ActionRecord record{};
  record.action = KM_ACTION_RENDER;
  record.fieldMode = fieldMode ? 1 : 0;
  record.frameRateCode = rateCode_;
  record.frameNumber = frameNumber;
  record.project = &project_;
  FrameHeader sourceHeader = source.header;
  FrameHeader destinationHeader = destination.header;
  record.sourceHeader = &sourceHeader;
  record.sourcePixels = const_cast<uint8_t*>(source.pixels.data());
  record.destinationHeader = &destinationHeader;
  record.destinationPixels = destination.pixels.data();
  return action_(0, &record);
}

bool RenderCall::renderOutputFrame(int frame, bool interlaced, const HostFrame& source, bool sourceAtOutputSize,
                                   HostFrame& output) {
  if (!interlaced) return render(frame, false, source, output) == 1;
  for (int field = 1; field <= 2; ++field) {
    HostFrame& destination = fields_[field - 1];
    destination.create(output.width(), fieldHeight(output.height(), field), output.header.bitCount, true);
    const HostFrame* fieldSource = &source;
    if (sourceAtOutputSize) {
      extractField(source, field, fieldSources_[field - 1]);
      fieldSource = &fieldSources_[field - 1];
    }
    const int32_t hostField = field == 1 ? 2 * frame + 1 : 2 * frame;
    if (render(hostField, true, *fieldSource, destination) != 1) return false;
  }
  weaveFields(fields_[0], fields_[1], output);
  return true;
}
