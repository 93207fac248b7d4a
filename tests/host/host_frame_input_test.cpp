// The plug-in's frame input, called directly: the host's edit-time frame fetch and the render-time
// source frame.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/host_frame_input.h"
#include "image/image_buffer.h"

namespace {

// What the fake host saw and what it hands back: a frame whose 640 x 480 packed pixels start 37 bytes
// past the header pointer it returns.
struct FakeHost {
  int32_t zero = -1, frame = -1;
  intptr_t user = 0;
  FrameHeader request{};
  int32_t answer = 1;
  std::vector<uint8_t> frameBytes = std::vector<uint8_t>(37 + 640 * 480 * 3);
};
FakeHost* gHost = nullptr;

int32_t fakeFetch(int32_t zero, int32_t frame, FrameHeader** header, intptr_t user) {
  gHost->zero = zero;
  gHost->frame = frame;
  gHost->user = user;
  gHost->request = **header;
  if (gHost->answer == 1) *header = reinterpret_cast<FrameHeader*>(gHost->frameBytes.data());
  return gHost->answer;
}

uint8_t* pixelBytes(ImageBuffer& image, int index) { return image.pixels() + 4 * index; }

}  // namespace

TEST(EditFrameInput, AsksForA640By480FrameAndCopiesItsPackedPixels) {
  FakeHost host;
  gHost = &host;
  for (size_t i = 0; i < 640 * 480 * 3; ++i) host.frameBytes[37 + i] = uint8_t(i % 251);
  ActionRecord record{};
  record.action = KM_ACTION_EDIT;
  record.frameFetch = fakeFetch;
  record.fetchUserValue = 4321;

  ImageBuffer image(640, 480, 32);
  for (int i = 0; i < 640 * 480; ++i) pixelBytes(image, i)[3] = uint8_t(i % 7);
  HostFrameInput input(&record);
  ASSERT_TRUE(input.fetchFrame(25, image));
  EXPECT_EQ(host.zero, 0);
  EXPECT_EQ(host.frame, 25);
  EXPECT_EQ(host.user, 4321);
  EXPECT_EQ(host.request.width, 640);
  EXPECT_EQ(host.request.height, 480);
  EXPECT_EQ(host.request.bitCount, 24);
  // Pixel i takes packed bytes 3i..3i+2 in memory order from the first row on; the fourth byte stays.
  for (int i : {0, 1, 2, 639, 640, 153599, 307198, 307199}) {
    SCOPED_TRACE(testing::Message() << "pixel " << i);
    const uint8_t* p = pixelBytes(image, i);
    EXPECT_EQ(p[0], (3 * i) % 251);
    EXPECT_EQ(p[1], (3 * i + 1) % 251);
    EXPECT_EQ(p[2], (3 * i + 2) % 251);
    EXPECT_EQ(p[3], i % 7);
  }
  gHost = nullptr;
}

TEST(EditFrameInput, AFailedFetchLeavesTheImageUntouched) {
  FakeHost host;
  gHost = &host;
  ActionRecord record{};
  record.action = KM_ACTION_EDIT;
  record.frameFetch = fakeFetch;
  ImageBuffer image(4, 2, 32);
  std::memset(image.pixels(), 0x3C, size_t(image.rowStep()) * 2);
  HostFrameInput input(&record);
  for (int32_t answer : {0, 2, -1}) {
    host.answer = answer;
    EXPECT_FALSE(input.fetchFrame(3, image)) << "answer " << answer;
    EXPECT_EQ(image.width(), 4);
    EXPECT_EQ(image.height(), 2);
    for (int i = 0; i < image.rowStep() * 2; ++i) ASSERT_EQ(image.pixels()[i], 0x3C);
  }
  gHost = nullptr;
}

TEST(SourceFrameInput, ThirtyTwoBitSourceGivesItsFirstThreeBytesPerPixel) {
  // A 3 x 2 source of 4 bytes per pixel, rows packed: pixel i is bytes 4i..4i+3.
  std::vector<uint8_t> source(3 * 2 * 4);
  for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(10 + i);
  FrameHeader header{};
  header.width = 3;
  header.height = 2;
  header.bitCount = 32;
  ActionRecord record{};
  record.action = KM_ACTION_RENDER;
  record.sourceHeader = &header;
  record.sourcePixels = source.data();

  ImageBuffer image(16, 16, 8);
  HostFrameInput input(&record);
  ASSERT_TRUE(input.fetchFrame(0, image));
  ASSERT_EQ(image.width(), 3);
  ASSERT_EQ(image.height(), 2);
  ASSERT_EQ(image.bitsPerPixel(), 32);
  // Pixel 4 (row 1, column 1): source bytes 16, 17, 18 -> 26, 27, 28; a new image's fourth byte is 0.
  EXPECT_EQ(pixelBytes(image, 4)[0], 26);
  EXPECT_EQ(pixelBytes(image, 4)[1], 27);
  EXPECT_EQ(pixelBytes(image, 4)[2], 28);
  EXPECT_EQ(pixelBytes(image, 4)[3], 0);
  EXPECT_EQ(pixelBytes(image, 5)[0], 30);
}

TEST(SourceFrameInput, OtherActionsDoNothing) {
  ActionRecord record{};
  record.action = 5;
  ImageBuffer image(2, 2, 32);
  image.pixels()[0] = 77;
  HostFrameInput input(&record);
  EXPECT_TRUE(input.fetchFrame(1, image));
  EXPECT_EQ(image.pixels()[0], 77);
}
