#pragma once
// Where the renderer gets the host's video frame when the show's background is the host video
// (background mode 2). The host layer implements it; the renderer only asks for a frame.
class ImageBuffer;

class FrameInput {
 public:
  virtual ~FrameInput() = default;
  // Fills `into` with the host's frame number `frame` (re-creating it at the frame's size, 32 bits).
  // Returns false when the host could not supply it; `into` then keeps what it held.
  virtual bool fetchFrame(int frame, ImageBuffer& into) = 0;
};
