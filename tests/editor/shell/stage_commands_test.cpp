// The commands that work on the stage: zoom from the View menu and from the strip's markers, and the
// stage's guides. They need the stage view; without one they have nothing to act on.
#include "tests/editor/shell/shell_test_support.h"

#include "editor/stage/stage_view.h"
#include "show/show_state.h"

namespace {

class StageCommandsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (!context.stage) GTEST_SKIP() << "the stage view does not register itself yet";
    context.stage->zoom = 1.0f;
  }
  StageView& stage() { return *context.stage; }
};

TEST_F(StageCommandsTest, ZoomStepsAndTheScaleSetting) {
  chooseMenu("View", "Stage Zoom In");
  EXPECT_EQ(stage().zoom, 2.0f);
  EXPECT_EQ(settings().getInteger("Scale", 0), 200);
  chooseMenu("View", "Stage Zoom In");
  EXPECT_EQ(stage().zoom, 2.0f);
  std::vector<float> zooms;
  for (int i = 0; i < 4; ++i) {
    chooseMenu("View", "Stage Zoom Out");
    zooms.push_back(stage().zoom);
  }
  EXPECT_EQ(zooms, (std::vector<float>{1.0f, 0.75f, 0.5f, 0.5f}));
  EXPECT_EQ(settings().getInteger("Scale", 0), 50);
}

TEST_F(StageCommandsTest, ClicksOnTheZoomMarkersChooseByTenPixelBands) {
  const int b = clientBottom();
  clickEditor(5, b - 77);
  EXPECT_EQ(stage().zoom, 2.0f);
  EXPECT_EQ(settings().getInteger("Scale", 0), 200);
  settings().setInteger("Scale", 1);
  clickEditor(5, b - 72);  // on a band's edge: the zoom stays and is stored again
  EXPECT_EQ(stage().zoom, 2.0f);
  EXPECT_EQ(settings().getInteger("Scale", 0), 200);
  clickEditor(5, b - 57);
  EXPECT_EQ(stage().zoom, 0.75f);
  clickEditor(40, b - 47);  // right of the markers: nothing
  EXPECT_EQ(stage().zoom, 0.75f);
  clickEditor(39, b - 47);
  EXPECT_EQ(stage().zoom, 0.5f);
  EXPECT_EQ(settings().getInteger("Scale", 0), 50);
}

TEST_F(StageCommandsTest, GuidesToggleWithTheirSettings) {
  const bool path = stage().showMotionPath, safe = stage().showTvSafe;
  chooseMenu("Options", "Show Motion Path");
  EXPECT_EQ(stage().showMotionPath, !path);
  EXPECT_EQ(checked(kCmdShowMotionPath), !path);
  EXPECT_EQ(settings().getInteger("ShowCameraPath", -1), path ? 0 : 1);
  chooseMenu("View", "Show TV Safe Area");
  EXPECT_EQ(stage().showTvSafe, !safe);
  EXPECT_EQ(checked(kCmdShowTvSafe), !safe);
  EXPECT_EQ(settings().getInteger("ShowTVSafe", -1), safe ? 0 : 1);
}

}  // namespace
