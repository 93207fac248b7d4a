#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "dialog_test_support.h"
#include "dialogs/colour_picker.h"
#include "dialogs/form.h"
#include "dialogs/form_layout.h"

namespace {

using dialogtest::kPanelGrey;

constexpr ws::ColourRef kWhite = ws::rgb(255, 255, 255);
constexpr ws::ColourRef kBlack = ws::rgb(0, 0, 0);

// A form's labels and values as the callers keep them: two arrays of 64-character texts.
struct Form {
  FormText labels[12] = {};
  FormText values[12] = {};
  int rows = 0;
  Form(std::initializer_list<std::pair<const char*, const char*>> list) {
    for (const auto& [label, value] : list) {
      std::strcpy(labels[rows], label);
      std::strcpy(values[rows], value);
      ++rows;
    }
  }
  std::string value(int i) const { return values[i]; }
};

class FormTest : public dialogtest::PanelTest {
 protected:
  static constexpr int x = 60, y = 40;
  int run(Form& f, bool withApply = false, const char* title = "Options") {
    return runForm(handle(), x, y, withApply ? -f.rows : f.rows, f.labels, f.values, title);
  }
  // The widest label, measured as the form measures it.
  int widestOf(const Form& f) const {
    int e = 0;
    for (int i = 0; i < f.rows; ++i) e = std::max(e, widest({f.labels[i]}));
    return e;
  }
  // Client positions: the middle of row i's value column, a few pixels into it, and its caption.
  static int rowY(int i) { return y + 44 + 20 * i; }
  static int columnLeft(int e) { return x + e + 16; }
};

TEST_F(FormTest, ApplyFormShowsItsRowsAndThreeButtons) {
  Form f{{"Horizontal Position", "1"}, {"Vertical Position", "2"}, {"Width", "3"}, {"Rotation", "4"}};
  const int e = widestOf(f);
  s().whenIdle([&] {
    EXPECT_EQ(pixel(x + 3, y + 30), kPanelGrey);
    EXPECT_EQ(pixel(x + 2 * e + 20, y + 30), kWhite) << "right of the panel";
    EXPECT_EQ(pixel(x + 3, y + 20 * 4 + 80), kWhite) << "below the panel";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(pixel(x + 2 * e, rowY(i)), kWhite) << "field of row " << i;
    EXPECT_EQ(pixel(x + 2 * e, rowY(4)), kPanelGrey) << "no field in the OK row";
    // The outlines of OK (row 4), Cancel (row 5) and Apply (row 5, at the left).
    EXPECT_EQ(pixel(x + 2 * e + 8 - 30, y + 36 + 80), kBlack);
    EXPECT_EQ(pixel(x + 2 * e + 8 - 30, y + 36 + 100), kBlack);
    EXPECT_EQ(pixel(x + 38, y + 36 + 100), kBlack);
    dialogtest::PanelTest::screenshot("form-apply");
    click(x + 10, rowY(4));
  });
  EXPECT_EQ(run(f, true), kFormApplied);
}

TEST_F(FormTest, ButtonRowsEndTheForm) {
  Form f{{"Width", "3"}, {"@CNo Curves", ""}};
  const int e = widestOf(f);
  s().whenIdle([&] { EXPECT_EQ(pixel(x + 38, y + 36 + 60), kPanelGrey) << "no Apply without it"; });
  click(x + 10, rowY(2));
  EXPECT_EQ(run(f), kFormConfirmed) << "the OK row, left of the button";
  click(x + 2 * e - 20, rowY(3));
  EXPECT_EQ(run(f), kFormCancelled) << "the Cancel row";
  click(x + 10, rowY(3));
  EXPECT_EQ(run(f, true), kFormApplied) << "Apply";
  click(x + 100, rowY(3));
  EXPECT_EQ(run(f, true), kFormCancelled) << "Cancel beside Apply";
  click(x + 10, y + 20 * 2 + 90);
  EXPECT_EQ(run(f), kFormCancelled) << "below the panel";
  // A press above the rows does nothing, wherever it is; Enter then confirms.
  click(x + 10, y + 12);
  click(x + 600, y + 5);
  s().pressKey(ws::VK_RETURN);
  EXPECT_EQ(run(f), kFormConfirmed);
}

TEST_F(FormTest, PressingASelectedRadioKeepsItAndClearsTheOthers) {
  Form f{{"@REases|Use Default", ""}, {"@RIn & Out", "1"}, {"@RIn", "1"}, {"@ROut", ""}, {"@RNone", ""}};
  const int e = widestOf(f);
  click(columnLeft(e) + 4, rowY(2));
  s().whenIdle([&] {
    EXPECT_EQ(f.value(2), "1");
    EXPECT_EQ(f.value(1), "");
    EXPECT_EQ(pixel(columnLeft(e) + 4, rowY(2)), kBlack) << "drawn selected";
    EXPECT_NE(pixel(columnLeft(e) + 4, rowY(1)), kBlack) << "drawn clear";
    click(columnLeft(e) + 40, rowY(4));  // on the radio's caption, right of the circle
  });
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });
  EXPECT_EQ(run(f), kFormConfirmed);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.value(i), "") << i;
  EXPECT_EQ(f.value(4), "1");
}

TEST_F(FormTest, CheckBoxValuedZeroIsOnAndOnePressClearsIt) {
  Form f{{"@CNo Curves", "0"}, {"Width", "5"}};
  const int e = widestOf(f);
  const int boxX = columnLeft(e) + 3;  // on the cross of a checked box
  s().whenIdle([&] {
    EXPECT_EQ(pixel(boxX, rowY(0) - 3), kBlack) << "drawn checked";
    click(boxX, rowY(0));
  });
  s().whenIdle([&] {
    EXPECT_EQ(f.value(0), "");
    EXPECT_EQ(pixel(boxX, rowY(0) - 3), kWhite) << "drawn clear";
    click(boxX, rowY(0));
  });
  s().whenIdle([&] {
    EXPECT_EQ(f.value(0), "1");
    click(x + e + 5, rowY(0));  // on the caption: nothing
  });
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  EXPECT_EQ(run(f), kFormCancelled);
  EXPECT_EQ(f.value(0), "1") << "Escape keeps what was changed before";
}

TEST_F(FormTest, OpenFieldIsCommittedByAnyPress) {
  const int e = widestOf(Form{{"Horizontal Position", ""}});
  struct Case {
    const char* what;
    int pressX, pressY;
    int result;
  } cases[] = {
      {"OK", x + 2 * e - 20, rowY(2), kFormConfirmed},
      {"Cancel", x + 2 * e - 20, rowY(3), kFormCancelled},
      {"outside the panel", x + 2 * e + 60, rowY(0), kFormCancelled},
  };
  for (const Case& c : cases) {
    Form f{{"Horizontal Position", "320"}, {"Width", "100"}};
    click(columnLeft(e) + 30, rowY(0));
    s().whenIdle([&] {
      const ws::WindowHandle field = s().childFromId(handle(), 123456);
      ASSERT_NE(field, 0u) << c.what;
      EXPECT_EQ(s().focus(), field);
      EXPECT_EQ(s().windowText(field), "320");
      s().pressKey(ws::VK_END);
      s().typeText(".5");
      s().pressKey(ws::VK_RETURN);  // the field's key: the form goes on
    });
    s().whenIdle([&] { click(c.pressX, c.pressY); });
    EXPECT_EQ(run(f), c.result) << c.what;
    EXPECT_EQ(f.value(0), "320.5") << c.what;
    EXPECT_EQ(s().childFromId(handle(), 123456), 0u) << "field removed after " << c.what;
  }
  // A press on another row commits the first field and opens one there.
  Form f{{"Horizontal Position", "320"}, {"Width", "100"}};
  click(columnLeft(e) + 30, rowY(0));
  s().whenIdle([&] {
    s().typeText("7");
    click(columnLeft(e) + 30, rowY(1));
  });
  s().whenIdle([&] {
    EXPECT_EQ(s().windowText(s().childFromId(handle(), 123456)), "100");
    s().pressKey(ws::VK_END);
    s().typeText("0");
    click(x + 2 * e - 20, rowY(2));
  });
  EXPECT_EQ(run(f), kFormConfirmed);
  EXPECT_NE(f.value(0), "320");
  EXPECT_EQ(f.value(1), "1000");
}

TEST_F(FormTest, SliderDraggedPastItsEndsGivesHundredAndZero) {
  Form f{{"Horizontal Position", "0"}, {"@STransparency", "40"}, {"@SBlurriness", "10"}};
  const int e = widestOf(f);
  ASSERT_GT(e, 34);
  press(columnLeft(e) + 10, rowY(1));
  moveTo(x + 2 * e + 300, rowY(1));
  release(x + 2 * e + 300, rowY(1));
  s().whenIdle([&] {
    EXPECT_EQ(f.value(1), "100");
    press(columnLeft(e) + 10, rowY(1));
    moveTo(x - 30, rowY(1));
    release(x - 30, rowY(1));
  });
  s().whenIdle([&] {
    EXPECT_EQ(f.value(1), "0");
    // Half-way: (x + e + 16 + (e - 34) / 2) gives 50 when e - 34 is even, 49 or 50 otherwise.
    press(x + e + 16 + (e - 34) / 2, rowY(2));
    release(x + e + 16 + (e - 34) / 2, rowY(2));
    // Moves without a pressed slider change nothing.
    moveTo(x + 2 * e, rowY(1));
  });
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });
  EXPECT_EQ(run(f), kFormConfirmed);
  EXPECT_EQ(f.value(1), "0");
  EXPECT_EQ(f.value(2), std::to_string(int(double((e - 34) / 2) / (e - 34) * 100)));
}

TEST_F(FormTest, FolderRowShortensItsTextAndKeepsTheValueWhole) {
  const std::string longFolder = "/media/archive/shows/two-thousand-and-four/season-one/pictures/";
  ASSERT_EQ(longFolder.size(), 63u);
  Form f{{"@FAlternative Image Folder", ""}, {"@CShow Pic Errors", ""}};
  std::strcpy(f.values[0], longFolder.c_str());
  const int e = widestOf(f);
  s().whenIdle([&] {
    // The last pixels inside the row's frame hold no text, only the row's own grey.
    for (int px = x + 2 * e + 4; px < x + 2 * e + 7; ++px)
      for (int py = rowY(0) - 6; py < rowY(0) + 6; ++py) ASSERT_EQ(pixel(px, py), ws::rgb(224, 224, 224)) << px << "," << py;
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(run(f), kFormCancelled);
  EXPECT_EQ(f.value(0), longFolder);
}

TEST_F(FormTest, FolderRowTakesTheFolderOfTheChosenFile) {
  // Short enough for the row's 63 characters.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("kmf" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "set1");
  std::ofstream(folder / "set1" / "sky.bmp") << "x";
  folderChooserFile().setPath((folder / "set1").string() + "/");
  Form f{{"@FAlternative Image Folder", "old/"}};
  const int e = widestOf(f);
  click(columnLeft(e) + 20, rowY(0));
  s().whenIdle([] {
    s().typeText("sky.bmp");
    s().pressKey(ws::VK_RETURN);
  });
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });
  EXPECT_EQ(run(f), kFormConfirmed);
  EXPECT_EQ(folderChooserFile().pathText(), (folder / "set1" / "sky.bmp").string());
  EXPECT_EQ(f.value(0), (folder / "set1").string() + "/");

  // A dialog cancelled leaves the row as it was.
  click(columnLeft(e) + 20, rowY(0));
  s().whenIdle([] { s().pressKey(ws::VK_ESCAPE); });
  s().whenIdle([] { s().pressKey(ws::VK_RETURN); });
  EXPECT_EQ(run(f), kFormConfirmed);
  EXPECT_EQ(f.value(0), (folder / "set1").string() + "/");
  std::filesystem::remove_all(folder);
}

TEST_F(FormTest, ColourRowRunsThePickerOnTheSameWindow) {
  colourModel() = 0;
  // Row 6 lies over the picker's grey ramp: the release of the press that opens the picker must not
  // count as a click on the ramp.
  Form f{{"A", ""}, {"B", ""}, {"C", ""}, {"D", ""}, {"E", ""}, {"F", ""}, {"@LTint Colour", "255"}};
  const int e = widestOf(f);
  const int cx = x + 115;
  click(columnLeft(e) + 4, rowY(6));
  s().whenIdle([&] {
    EXPECT_EQ(pixel(cx - 24, y + 40 + 70), ws::rgb(255, 0, 0)) << "the picker shows the row's colour";
    click(cx, y + 40 + 138);  // hue 120
    click(cx + 75, y + 210);  // OK
  });
  s().whenIdle([&] {
    EXPECT_EQ(pixel(columnLeft(e) + 4, rowY(6)), ws::rgb(0, 255, 255)) << "the form drawn again";
    s().pressKey(ws::VK_RETURN);
  });
  EXPECT_EQ(run(f), kFormConfirmed);
  EXPECT_EQ(f.value(6), "16776960");
}

TEST_F(FormTest, PressInAnotherWindowCancels) {
  dialogtest::PanelWindow other;
  ASSERT_TRUE(other.create(0, kWindowPopup, dialogtest::panelProcedure));
  other.move(960, 700, 1020, 760, false);
  other.show(1);
  pump();
  Form f{{"@CNo Curves", ""}};
  s().click(980, 720);
  EXPECT_EQ(run(f), kFormCancelled);
  other.destroy();
}

TEST_F(FormTest, QuitWhileOpenCancelsAndIsPassedOn) {
  Form f{{"Width", "3"}};
  postQuitMessage(3);
  EXPECT_EQ(run(f), kFormCancelled);
  WindowMessage m;
  EXPECT_FALSE(getMessage(m));
  EXPECT_EQ(int(m.wParam), 3);
  EXPECT_EQ(runForm(0, x, y, 1, f.labels, f.values, "Options"), kFormCancelled) << "no window";
}

TEST_F(FormTest, PaintRequestsWhileOpenDoNotHoldUpTheInput) {
  // A window waiting to be painted is answered by the form without painting over the panel; if it
  // were left waiting, the form would be handed the same request for ever (this test would hang).
  Form f{{"@CNo Curves", ""}};
  s().invalidateRect(handle(), nullptr);
  s().whenIdle([&] {
    EXPECT_EQ(pixel(x + 3, y + 30), kPanelGrey);
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(run(f), kFormCancelled);
  EXPECT_FALSE(s().hasInvalid(handle()));
}

TEST_F(FormTest, KeyframeOptionsFormScreenshot) {
  Form f{{"Horizontal Position", "320"}, {"Vertical Position", "240"}, {"Width", "100"},    {"Rotation", "45"},
         {"@STransparency", "30"},      {"@REases|Use Default", ""},   {"@RIn & Out", ""},  {"@RIn", "1"},
         {"@ROut", ""},                 {"@RNone", ""},                {"@SEase Speed", "50"}, {"@CNo Curves", "1"}};
  const int e = widestOf(f);
  s().whenIdle([&] {
    // The bracket: its upper and lower ends left of the first and the last radio row, the gap for
    // the title between its two pieces.
    const int b = y + 52 + 20 * 5, m = widest({"Eases"}), g = 4;
    EXPECT_EQ(pixel(columnLeft(e) - 10, b - 8), kBlack);
    EXPECT_EQ(pixel(columnLeft(e) - 10, b + 20 * g - 8), kBlack);
    EXPECT_EQ(pixel(columnLeft(e) - m, b + 5), kBlack);
    EXPECT_EQ(pixel(columnLeft(e) - m, b + 20 * g - 16), kBlack);
    dialogtest::PanelTest::screenshot("form-keyframe-options");
    s().pressKey(ws::VK_ESCAPE);
  });
  EXPECT_EQ(runForm(handle(), x, y, f.rows, f.labels, f.values, "Set KeyFrame Options"), kFormCancelled);
}

class FitTextTest : public dialogtest::PanelTest {};

TEST_F(FitTextTest, ShortensWithThreeDotsUntilItFits) {
  DrawingScope scope(handle());
  selectFont(standardFont(10), 0xFFFFFFFFu, -1);
  const char* text = "/media/archive/shows/pictures/";
  const int full = textWidth(text);
  EXPECT_EQ(fitText(text, full), text);
  const std::string cut = fitText(text, full / 2);
  ASSERT_GE(cut.size(), 3u);
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_LE(textWidth(cut.c_str()), full / 2);
  EXPECT_EQ(std::string(text).rfind(cut.substr(0, cut.size() - 3), 0), 0u) << "a beginning of the text";
  // One character more would not have fitted.
  const std::string longer = std::string(text).substr(0, cut.size() - 3 + 1) + "...";
  EXPECT_GT(textWidth(longer.c_str()), full / 2);
  // Narrower than the dots: the dots themselves are cut.
  const std::string dots = fitText(text, textWidth("...") - 1);
  EXPECT_TRUE(dots == ".." || dots == "." || dots.empty()) << dots;
  EXPECT_EQ(fitText(text, 0), "");
  // Several-byte characters go whole.
  const std::string accented = fitText("/bilder/sch\xc3\xb6n/\xc3\xa9t\xc3\xa9/", textWidth("/bilder/sch\xc3\xb6") + textWidth("..."));
  EXPECT_EQ(accented, "/bilder/sch\xc3\xb6...");
}

TEST(FolderPart, CutAfterTheLastSeparator) {
  EXPECT_EQ(folderPart("c:\\art\\set1\\sky.bmp"), "c:\\art\\set1\\");
  EXPECT_EQ(folderPart("/home/ann/art/sky.bmp"), "/home/ann/art/");
  EXPECT_EQ(folderPart("HD:art:sky.bmp"), "HD:art:");
  EXPECT_EQ(folderPart("sky.bmp"), "");
}

TEST(FormLabels, PrefixesChooseTheControlAndTheCaption) {
  EXPECT_EQ(controlKind("@CNo Curves"), ControlKind::checkBox);
  EXPECT_EQ(controlKind("@STransparency"), ControlKind::slider);
  EXPECT_EQ(controlKind("Width"), ControlKind::plain);
  EXPECT_EQ(controlCaption("@STransparency"), "Transparency:");
  EXPECT_EQ(controlCaption("@LTint"), "Tint:");
  EXPECT_EQ(controlCaption("@FAlternative Image Folder"), "Alternative Image Folder:");
  EXPECT_EQ(controlCaption("@CFeather Alpha?"), "Feather Alpha?");
  EXPECT_EQ(controlCaption("Width"), "Width");
  EXPECT_EQ(controlCaption("@REases|Use Default"), "Use Default");
  EXPECT_EQ(radioGroupTitle("@REases|Use Default"), "Eases");
  EXPECT_EQ(controlCaption("@RA|B|C"), "B|C") << "only the first bar counts";
  EXPECT_EQ(radioGroupTitle("@RIn"), "");
}

}  // namespace

namespace {

TEST(SliderValue, NarrowLabelsGiveAnEndInsteadOfADivisionByZero) {
  FormLayout l;
  l.x = 10;
  l.e = 34;
  EXPECT_EQ(l.sliderValueAt(10 + 34 + 16), 0);
  EXPECT_EQ(l.sliderValueAt(10 + 34 + 17), 100);
  l.e = 20;
  EXPECT_EQ(l.sliderValueAt(0), 0);
  EXPECT_EQ(l.sliderValueAt(500), 100);
}

}  // namespace
