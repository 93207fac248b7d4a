#include <gtest/gtest.h>

#include "tests/show/show_test_support.h"

using namespace testshow;

namespace {

std::string order(const ShowState& show) {
  std::string s;
  for (int i = 0; i < show.pictureCount; ++i) s += show.slots[i].file.pathText() + " ";
  return s;
}

}  // namespace

TEST(PictureSlots, MoveTowardsTheEndAndTowardsTheStart) {
  auto show = makeShow();
  addPictures(*show, 5);
  EXPECT_EQ(show->movePicture(3, 0), 1);
  EXPECT_EQ(order(*show), "P1 P2 P3 P0 P4 ");
  EXPECT_EQ(show->slots[3].keys[0].x, 0.0f);

  auto other = makeShow();
  addPictures(*other, 5);
  EXPECT_EQ(other->movePicture(0, 3), 1);
  EXPECT_EQ(order(*other), "P0 P3 P1 P2 P4 ");
  EXPECT_EQ(other->pictureCount, 5);
  EXPECT_EQ(other->movePicture(4, 0), 1);
  EXPECT_EQ(order(*other), "P3 P1 P2 P4 P0 ");
}

TEST(PictureSlots, MoveRefusesPicturesNotInUse) {
  auto show = makeShow();
  addPictures(*show, 3);
  EXPECT_EQ(show->movePicture(1, 1), 0);
  EXPECT_EQ(show->movePicture(3, 0), 0);
  EXPECT_EQ(show->movePicture(0, -1), 0);
  EXPECT_EQ(order(*show), "P0 P1 P2 ");
}

TEST(PictureSlots, DeleteMovesTheRestDown) {
  auto show = makeShow();
  addPictures(*show, 3);
  show->slots[2].brushCode = kBrushTint;
  show->slots[2].tintColour = 0x123456;
  show->slots[2].lock = 1;
  show->slots[2].keyCount = 3;
  show->modified = 0;
  EXPECT_EQ(show->deletePicture(1), 1);
  EXPECT_EQ(order(*show), "P0 P2 ");
  EXPECT_EQ(show->slots[1].brushCode, kBrushTint);
  EXPECT_EQ(show->slots[1].keyCount, 3);
  EXPECT_EQ(show->slots[1].lock, 1);
  // The freed slot is reset, except for its image, file, keys and tint.
  EXPECT_EQ(show->slots[2].keyCount, 1);
  EXPECT_EQ(show->slots[2].brushCode, 0);
  EXPECT_EQ(show->slots[2].lock, 0);
  EXPECT_EQ(show->slots[2].tintColour, 0x123456u);
  EXPECT_EQ(show->slots[2].file.pathText(), "P2");
  EXPECT_EQ(show->modified, 1);
}

TEST(PictureSlots, DeleteRefusesSlotsNotInUse) {
  auto show = makeShow();
  addPictures(*show, 3);
  EXPECT_EQ(show->deletePicture(3), 0);
  EXPECT_EQ(show->deletePicture(32), 0);
  EXPECT_EQ(show->deletePicture(-1), 0);
  EXPECT_EQ(order(*show), "P0 P1 P2 ");
}

TEST(PictureSlots, CopyMakesAnExactCopy) {
  auto show = makeShow();
  addPictures(*show, 2);
  PictureSlot& source = show->slots[1];
  ASSERT_TRUE(source.image.create(3, 2, 32));
  source.image.row(1)[4] = 200;
  source.keyCount = 2;
  source.keys[1].time = 40;
  source.reserved[0] = 7;
  source.file.volume = 4;
  EXPECT_EQ(show->copyPicture(0, 1), 1);
  const PictureSlot& copy = show->slots[0];
  EXPECT_EQ(copy.file.pathText(), "P1");
  EXPECT_EQ(int(copy.file.volume), 4);
  EXPECT_EQ(copy.keyCount, 2);
  EXPECT_EQ(copy.keys[1].time, 40);
  EXPECT_EQ(copy.reserved[0], 7u);
  EXPECT_EQ(copy.image.width(), 3);
  EXPECT_EQ(copy.image.height(), 2);
  EXPECT_EQ(copy.image.bitsPerPixel(), 32);
  EXPECT_EQ(copy.image.row(1)[4], 200);
  EXPECT_EQ(show->copyPicture(0, 32), 0);
}
