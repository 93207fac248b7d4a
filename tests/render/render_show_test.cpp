#include <gtest/gtest.h>

#include <vector>

#include "platform/settings_file.h"
#include "render/render_show.h"
#include "render/show_render_options.h"
#include "show/show_state.h"
#include "tests/render/render_test_images.h"

namespace {

class RecordingFrameInput : public FrameInput {
 public:
  bool fetchFrame(int frame, ImageBuffer& into) override {
    frames.push_back(frame);
    into = makeImage(2, 2, {11, 22, 33, 44});
    setPixel(into, 1, 0, {1, 2, 3, 4});
    return true;
  }
  std::vector<int> frames;
};

// A show on an 8 x 8 stage with no background drawn, and pictures placed by working states.
class RenderShowTest : public testing::Test {
 protected:
  RenderShowTest() : show(settings) {
    show.setStageSize(8, 8);
    show.backgroundMode = 0;
    for (KeyFrame& k : states) k = KeyFrame{};
  }

  // Picture `slot` as an opaque 4 x 4 of one colour at (x, y), size 4 x 4.
  void addPicture(int slot, Pixel colour, float x, float y) {
    show.slots[slot].image = makeImage(4, 4, colour);
    states[slot] = placed(x, y, 4, 4);
    show.pictureCount = std::max(show.pictureCount, slot + 1);
  }

  SettingsFile settings;
  ShowState show;
  KeyFrame states[kSlotCount];
  ImageBuffer background{16, 16, 8};
};

}  // namespace

TEST_F(RenderShowTest, SlotZeroIsDrawnLastAndEndsOnTop) {
  addPicture(0, {0, 0, 255, 255}, 4, 4);  // samples columns and lines 2..4
  addPicture(1, {255, 0, 0, 255}, 5, 5);  // samples columns and lines 3..5
  ImageBuffer out = makeImage(8, 8);
  ASSERT_TRUE(renderShow(show, renderOptionsOf(show), -1, 0, 0, out, nullptr, background, states));
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{0, 0, 253, 255}));
  EXPECT_EQ(pixelOf(out, 5, 5), (Pixel{253, 0, 0, 255}));
  EXPECT_EQ(pixelOf(out, 2, 2), (Pixel{0, 0, 253, 255}));
  EXPECT_EQ(pixelOf(out, 0, 0), (Pixel{0, 0, 0, 0}));
}

TEST_F(RenderShowTest, BrushAppliesToPicturesBehindItOnly) {
  addPicture(1, {200, 200, 200, 255}, 4, 4);
  addPicture(0, {0, 0, 0, 255}, 4, 4);
  show.slots[0].brushCode = 3000;  // darken at amount 50: f = 129
  states[0].amount = 50;
  ImageBuffer out = makeImage(8, 8);
  renderShow(show, renderOptionsOf(show), -1, 0, 0, out, nullptr, background, states);
  // Picture 1 first: (200 * 254) >> 8 = 198; then darkened: (198 * 129) >> 8 = 99.
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{99, 99, 99, 255}));
}

TEST_F(RenderShowTest, NegativeTimeTakesWorkingStatesOtherwiseTheTrack) {
  addPicture(0, {0, 0, 255, 255}, 4, 4);
  show.slots[0].keys[0] = placed(1, 1, 4, 4);  // the only key: box -1..4, samples (0..1, 0..1)
  ImageBuffer fromStates = makeImage(8, 8), fromTrack = makeImage(8, 8), noTable = makeImage(8, 8);
  renderShow(show, renderOptionsOf(show), -1, 0, 0, fromStates, nullptr, background, states);
  renderShow(show, renderOptionsOf(show), 3, 0, 0, fromTrack, nullptr, background, states);
  renderShow(show, renderOptionsOf(show), -1, 0, 0, noTable, nullptr, background, nullptr);
  EXPECT_EQ(pixelOf(fromStates, 4, 4)[3], 255);
  EXPECT_EQ(pixelOf(fromStates, 0, 0)[3], 0);
  EXPECT_EQ(pixelOf(fromTrack, 0, 0)[3], 255);
  EXPECT_EQ(pixelOf(fromTrack, 4, 4)[3], 0);
  EXPECT_TRUE(sameBytes(fromTrack, noTable));
}

TEST_F(RenderShowTest, FieldModeLineFlagAndFlopTopFieldPickTheParity) {
  addPicture(0, {0, 0, 255, 255}, 4, 4);
  // One field of an 8-line frame is a 4-line output. Frame lines 2..4 can be sampled: odd parity
  // draws frame line 3 (output line 1), even parity frame lines 2 and 4 (output lines 1 and 2).
  struct Case {
    int fieldMode, lineFlag, flop;
    bool oddLines;
  };
  const Case cases[] = {
      {1, 1, 0, true}, {1, 1, 1, false}, {1, 0, 0, false}, {1, 0, 1, true},
      {2, 1, 0, true}, {2, 0, 1, true},  {2, 0, 0, false}, {1, 7, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "fieldMode " << c.fieldMode << " lineFlag " << c.lineFlag << " flop "
                                    << c.flop);
    show.flopTopField = uint8_t(c.flop);
    ImageBuffer out = makeImage(8, 4);
    renderShow(show, renderOptionsOf(show), -1, c.fieldMode, c.lineFlag, out, nullptr, background, states);
    EXPECT_EQ(pixelOf(out, 3, 1)[3], 255);
    EXPECT_EQ(pixelOf(out, 3, 2)[3], c.oddLines ? 0 : 255);
  }
  // Progressive: frame lines are output lines.
  ImageBuffer out = makeImage(8, 8);
  renderShow(show, renderOptionsOf(show), -1, 0, 1, out, nullptr, background, states);
  for (int y = 2; y <= 4; ++y) EXPECT_EQ(pixelOf(out, 3, y)[3], 255) << y;
}

TEST_F(RenderShowTest, SecondFieldIsInterpolatedHalfAFrameLater) {
  addPicture(0, {0, 0, 255, 255}, 0, 0);
  // Two keys one frame apart, linear and straight (ease code 4001): at time 0 the first field has
  // x = 2, the field half a frame later x = 2 + 0.5 * (6 - 2) = 4.
  show.slots[0].keyCount = 2;
  show.slots[0].keys[0] = placed(2, 4, 4, 4);
  show.slots[0].keys[0].easeCode = 4001;
  show.slots[0].keys[1] = placed(6, 4, 4, 4);
  show.slots[0].keys[1].time = 1;
  for (int swap : {0, 1}) {
    show.fieldSwap = uint8_t(swap);
    ImageBuffer first = makeImage(8, 4), second = makeImage(8, 4);
    renderShow(show, renderOptionsOf(show), 0, 1, 1, first, nullptr, background, states);
    renderShow(show, renderOptionsOf(show), 0, 2, 1, second, nullptr, background, states);
    // x = 2 samples columns 0..2, x = 4 columns 2..4.
    const ImageBuffer& early = swap ? second : first;
    const ImageBuffer& late = swap ? first : second;
    EXPECT_EQ(pixelOf(early, 0, 1)[3], 255) << "swap " << swap;
    EXPECT_EQ(pixelOf(early, 4, 1)[3], 0) << "swap " << swap;
    EXPECT_EQ(pixelOf(late, 0, 1)[3], 0) << "swap " << swap;
    EXPECT_EQ(pixelOf(late, 4, 1)[3], 255) << "swap " << swap;
  }
}

TEST_F(RenderShowTest, BackgroundPictureIsScaledIntoTheOutput) {
  show.backgroundMode = 1;
  show.backgroundPicture = makeImage(2, 2, {10, 20, 30, 40});
  setPixel(show.backgroundPicture, 1, 1, {50, 60, 70, 80});
  ImageBuffer out = makeImage(4, 4, {9, 9, 9, 9});
  RecordingFrameInput input;
  renderShow(show, renderOptionsOf(show), 0, 0, 0, out, &input, background, states);
  EXPECT_EQ(pixelOf(out, 0, 0), (Pixel{10, 20, 30, 40}));
  EXPECT_EQ(pixelOf(out, 3, 3), (Pixel{50, 60, 70, 80}));
  EXPECT_EQ(pixelOf(out, 2, 2), (Pixel{50, 60, 70, 80}));
  EXPECT_EQ(pixelOf(out, 1, 2), (Pixel{10, 20, 30, 40}));
  EXPECT_TRUE(input.frames.empty());
}

TEST_F(RenderShowTest, HostVideoBackgroundIsFetchedForTheCurrentFrame) {
  show.backgroundMode = 2;
  show.currentTime = 17;
  RecordingFrameInput input;
  ImageBuffer out = makeImage(4, 4);
  renderShow(show, renderOptionsOf(show), 5, 0, 0, out, &input, background, states);
  ASSERT_EQ(input.frames, std::vector<int>{17});
  EXPECT_EQ(pixelOf(out, 0, 0), (Pixel{11, 22, 33, 44}));
  EXPECT_EQ(pixelOf(out, 2, 0), (Pixel{1, 2, 3, 4}));

  // Fast display: the host is not asked and the last frame fetched is shown again.
  show.fastDisplay = 1;
  ImageBuffer again = makeImage(4, 4, {9, 9, 9, 9});
  renderShow(show, renderOptionsOf(show), 6, 0, 0, again, &input, background, states);
  EXPECT_EQ(input.frames.size(), 1u);
  EXPECT_TRUE(sameBytes(again, out));

  // Without a frame input the background buffer is used as it is.
  show.fastDisplay = 0;
  ImageBuffer noInput = makeImage(4, 4, {9, 9, 9, 9});
  EXPECT_TRUE(renderShow(show, renderOptionsOf(show), 6, 0, 0, noInput, nullptr, background, states));
  EXPECT_TRUE(sameBytes(noInput, out));
}

TEST_F(RenderShowTest, HostFrameIsTheOneTheCallerNames) {
  // A render of frame 40 (the plug-in's render action, a batch job) asks the host for frame 40 and for
  // each job's own time, whatever the owner's current time is.
  show.backgroundMode = 2;
  show.currentTime = 17;
  RecordingFrameInput input;
  RenderOptions options = renderOptionsOf(show);
  options.hostFrame = 40;
  ImageBuffer out = makeImage(4, 4);
  renderShow(show, options, 40, 0, 0, out, &input, background);
  std::vector<ImageBuffer> outputs(2, makeImage(4, 4)), grounds(2);
  std::vector<RenderJob> jobs{{3, 0, 0, &outputs[0], &input, &grounds[0]}, {8, 0, 0, &outputs[1], &input, &grounds[1]}};
  renderFrames(show, renderOptionsOf(show), jobs, 1);
  EXPECT_EQ(input.frames, (std::vector<int>{40, 3, 8}));
}

TEST_F(RenderShowTest, OtherBackgroundModesKeepTheOutput) {
  show.backgroundMode = 3;
  RecordingFrameInput input;
  ImageBuffer out = makeImage(4, 4, {9, 8, 7, 6});
  ASSERT_TRUE(renderShow(show, renderOptionsOf(show), 0, 0, 0, out, &input, background, states));
  EXPECT_EQ(pixelOf(out, 2, 1), (Pixel{9, 8, 7, 6}));
  EXPECT_TRUE(input.frames.empty());
}

TEST_F(RenderShowTest, RefusesAnOutputThatIsNot32Bit) {
  ImageBuffer grey(4, 4, 8);
  EXPECT_FALSE(renderShow(show, renderOptionsOf(show), 0, 0, 0, grey, nullptr, background, states));
}

TEST_F(RenderShowTest, ThreadsRenderTheSameBytesAsOneThread) {
  show.setStageSize(64, 48);
  show.backgroundMode = 1;
  show.backgroundPicture = makeImage(3, 3, {40, 80, 120, 255});
  show.pictureCount = 6;
  for (int i = 0; i < 6; ++i) {
    PictureSlot& slot = show.slots[i];
    slot.image = makeImage(16, 16, {30 * i, 255 - 30 * i, 90, 200});
    slot.brushCode = i % 2 ? 1000 * i : 0;
    slot.keyCount = 2;
    slot.keys[0] = placed(10 + 5 * i, 10, 20, 14, 0, 20);
    slot.keys[1] = placed(50 - 4 * i, 40, 30, 20, 45 * i, 80);
    slot.keys[1].time = 20;
  }
  const int frames = 12;
  std::vector<ImageBuffer> single(frames, ImageBuffer(96, 72, 32)), multi(frames, ImageBuffer(96, 72, 32));
  std::vector<ImageBuffer> grounds1(frames), grounds2(frames);
  std::vector<RenderJob> one, many;
  for (int f = 0; f < frames; ++f) {
    one.push_back({f * 2, f % 3, f % 2, &single[f], nullptr, &grounds1[f]});
    many.push_back({f * 2, f % 3, f % 2, &multi[f], nullptr, &grounds2[f]});
  }
  renderFrames(show, renderOptionsOf(show), one, 1);
  renderFrames(show, renderOptionsOf(show), many, 4);
  for (int f = 0; f < frames; ++f) {
    EXPECT_TRUE(one[f].ok);
    EXPECT_TRUE(many[f].ok);
    EXPECT_TRUE(sameBytes(single[f], multi[f])) << "frame " << f;
  }
  // Frames along the motion differ, so the comparison is not between blank images.
  EXPECT_FALSE(sameBytes(single[0], single[frames - 1]));
}
