// Draws every drawing primitive, the controls, an open menu, a message box, the value dialog and a file
// dialog onto a headless screen and writes each view to a PNG file, so that their look can be reviewed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/dialogs.h"
#include "platform/drawing.h"
#include "platform/edit_field.h"
#include "platform/menu_bar.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/screen/headless_backend.h"
#include "platform/screen/screen.h"
#include "platform/window.h"

namespace {

Window* liveWindow = nullptr;
ws::LResult galleryProcedure(ws::WindowHandle h, uint32_t m, ws::WParam w, ws::LParam l) { return forwardMessage(liveWindow, h, m, w, l); }

void pump() {
  WindowMessage m;
  while (peekMessage(m)) dispatch(m);
}

bool save(const std::string& folder, const char* name) {
  const std::string path = folder + "/" + name;
  if (!ws::screen().saveScreenshot(path)) {
    std::fprintf(stderr, "gallery: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

void drawPrimitives(ws::WindowHandle window) {
  auto dc = windowDrawingContext(window);
  setDrawingContext(dc.get());
  const ws::ColourRef grey = ws::rgb(192, 192, 192), dark = ws::rgb(96, 96, 96), black = 0, white = ws::rgb(255, 255, 255);
  fillRect(ws::rgb(236, 233, 216), {0, 0, 2000, 2000});
  selectFont(standardFont(10), 0xFFFFFFFF, ws::TRANSPARENT);
  int y = 10;
  auto caption = [&](const char* text) { drawText(black, text, 10, y, ws::TA_LEFT); };
  caption("frameRect widths 1, 3, 5; fillRect; frameRoundRect; fillRoundRect");
  y += 16;
  frameRect(ws::rgb(200, 0, 0), {10, y, 70, y + 40}, 1, ws::PS_SOLID);
  frameRect(ws::rgb(200, 0, 0), {85, y, 145, y + 40}, 3, ws::PS_SOLID);
  frameRect(ws::rgb(200, 0, 0), {160, y, 220, y + 40}, 5, ws::PS_SOLID);
  fillRect(ws::rgb(0, 120, 200), {235, y, 295, y + 40});
  frameRoundRect(ws::rgb(0, 140, 0), {310, y, 370, y + 40}, 12, 1, ws::PS_SOLID);
  fillRoundRect(white, {385, y, 465, y + 19}, 6);
  frameRoundRect(black, {385, y, 465, y + 19}, 6, 1, ws::PS_SOLID);
  y += 55;
  caption("frameEllipse, fillEllipse, lines (solid, dash, dot, width 4), polyline");
  y += 16;
  frameEllipse(ws::rgb(128, 0, 128), {10, y, 90, y + 50}, 1, ws::PS_SOLID);
  fillEllipse(ws::rgb(255, 160, 0), {100, y, 150, y + 50});
  lineTo(black, 170, y, 250, y + 50, 1, ws::PS_SOLID);
  lineTo(black, 190, y, 270, y + 50, 1, ws::PS_DASH);
  lineTo(black, 210, y, 290, y + 50, 1, ws::PS_DOT);
  lineTo(ws::rgb(0, 0, 200), 230, y, 310, y + 50, 4, ws::PS_SOLID);
  const ws::Point path[] = {{330, y + 50}, {360, y}, {390, y + 40}, {420, y + 5}, {460, y + 50}};
  polyline(ws::rgb(255, 200, 0), 2, 5, path, ws::PS_SOLID);
  y += 65;
  caption("triangle 0, 90, 180, other; invertRect, invertEllipse, invertLine over a picture; bevelFrame");
  y += 16;
  triangle(black, 20, y + 15, 8, 0);
  triangle(black, 45, y + 15, 8, 90);
  triangle(black, 70, y + 15, 8, 180);
  triangle(black, 95, y + 15, 8, 270);
  fillRect(ws::rgb(60, 120, 180), {130, y, 260, y + 50});
  fillRect(ws::rgb(230, 200, 60), {180, y + 10, 300, y + 40});
  invertRect({140, y + 5, 210, y + 45}, 1, ws::PS_SOLID);
  invertEllipse({200, y + 2, 290, y + 48}, 2, ws::PS_SOLID);
  invertLine({130, y + 50, 300, y}, 1, ws::PS_SOLID);
  bevelFrame(white, ws::rgb(64, 64, 64), {320, y, 380, y + 40}, 1);
  y += 70;
  caption("checkCircle, checkBox (off, on); slider 0, 50, 100 of 100 and 100 of 50");
  y += 16;
  checkCircle(black, {10, y, 24, y + 14}, false);
  checkCircle(black, {30, y, 44, y + 14}, true);
  checkBox(white, {60, y, 74, y + 14}, false);
  checkBox(white, {80, y, 94, y + 14}, true);
  const int values[][2] = {{0, 100}, {50, 100}, {100, 100}, {100, 50}};
  for (int i = 0; i < 4; ++i) slider(grey, dark, {120 + i * 140, y + 4, 200 + i * 140, y + 16}, values[i][0], values[i][1], i % 2 == 0);
  y += 35;
  caption("text: 8, 10, 12, 13 bold, 20; left, centred and right-aligned at the marker");
  y += 16;
  const int sizes[] = {8, 10, 12, 13, 20};
  int x = 10;
  for (int s : sizes) {
    selectFont(standardFont(s), 0xFFFFFFFF, ws::TRANSPARENT);
    char t[32];
    std::snprintf(t, sizeof t, "Sans %d", s);
    drawText(black, t, x, y, ws::TA_LEFT);
    x += textWidth(t) + 14;
  }
  selectFont(standardFont(12), ws::rgb(255, 255, 200), ws::OPAQUE);
  y += 30;
  lineTo(ws::rgb(200, 0, 0), 250, y - 4, 250, y + 60, 1, ws::PS_SOLID);
  drawText(black, "left", 250, y, ws::TA_LEFT);
  drawText(black, "centred", 250, y + 20, ws::TA_CENTER);
  drawText(black, "right", 250, y + 40, ws::TA_RIGHT);
  // The placeholder picture is 160 x 120: it gets a column of its own beside the text rows, clear of
  // the sliders above.
  selectFont(standardFont(10), 0xFFFFFFFF, ws::TRANSPARENT);
  const int pictureTop = y - 46;
  drawText(black, "blitBitmap: the placeholder picture 133", 480, pictureTop, ws::TA_LEFT);
  blitBitmap({480, pictureTop + 16, 0, 0}, 133, ws::SRCCOPY);
  selectFont(nullptr, 0xFFFFFFFF, -1);
  setDrawingContext(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = "gallery";
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::printf(
          "Usage: km_gallery [FOLDER]\n"
          "Draws the window layer's primitives, controls, an open menu, a message box, the value dialog\n"
          "and a file dialog on a screen without a display and writes them as PNG files into FOLDER\n"
          "(default: ./gallery).\n");
      return 0;
    }
    folder = argv[i];
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "gallery: cannot create the folder %s: %s\n", folder.c_str(), ec.message().c_str());
    return 1;
  }
  ws::startScreen(std::make_unique<ws::HeadlessBackend>(), 800, 600);
  platformInit(nullptr, "Kestrelmove", 101);
  bool ok = true;

  Window primitives;
  liveWindow = &primitives;
  primitives.create(0, kWindowResizable, galleryProcedure);
  primitives.setTitle("Drawing primitives");
  primitives.move(0, 0, 800, 600, false);
  primitives.show(1);
  pump();
  drawPrimitives(primitives.handle());
  ok &= save(folder, "primitives.png");
  primitives.destroy();

  Window controls;
  liveWindow = &controls;
  controls.create(0, kWindowResizable | kWindowHScroll | kWindowVScroll, galleryProcedure);
  controls.setTitle("Marrowlane Kestrelmove - controls");
  controls.move(0, 0, 800, 600, false);
  MenuBar bar;
  bar.attachMenuBar(controls);
  bar.addMenu("File", 0);
  bar.addItem(1020, "Load Picture/L", 0);
  bar.addItem(-1, "", 0);
  bar.addItem(2005, "New Show/N", 0);
  bar.addItem(2004, "Load Show/O", 0);
  bar.addItem(2003, "Save Show/S", 0);
  bar.addMenu("Edit", 0);
  bar.addItem(9004, "Undo/Z", 2);
  bar.addItem(9005, "Redo/Y", 2);
  bar.addItem(-1, "", 0);
  bar.addItem(9000, "Copy/C", 0);
  bar.addMenu("Options", 0);
  bar.addItem(1001, "Auto-Add Keys", 1);
  bar.addItem(1000, "Show Motion Path", 0);
  bar.addItem(1002, "Fast Display", 2);
  bar.addMenu("Help", 4);
  controls.setScrollRanges(4096, 4096, 700, 100, true);
  controls.setScrollPosition(ws::SB_VERT, 1500, true);
  controls.show(1);
  pump();
  EditField single, multi;
  single.createEdit(controls.handle(), 20, 260, 240, 22, 1003, standardFont(12));
  single.setText("00:00:12:07 selected", false);
  single.select(12, 20);
  multi.createEdit(controls.handle(), 20, 300, 240, 80, kMultiLineEditId, standardFont(12));
  multi.setText("A multi-line field\nwith a second line", false);
  single.focus();
  pump();
  const ws::Rect options = ws::screen().menuBarItemRect(controls.handle(), 2);
  ws::screen().click(options.left + 4, options.top + 4);
  pump();
  const ws::Rect hover = ws::screen().menuPopupItemRect(1);
  ws::screen().mouseMove(hover.left + 30, hover.top + 5);
  pump();
  ok &= save(folder, "controls_menu.png");
  ws::screen().pressKey(ws::VK_ESCAPE);
  pump();
  single.destroy();
  multi.destroy();
  controls.destroy();

  ws::screen().whenIdle([&] {
    ok &= save(folder, "message_box.png");
    ws::screen().pressKey(ws::VK_ESCAPE);
  });
  askYesNoCancel("The show has changed. Save the changes before loading another show?", "Kestrelmove");
  ws::screen().whenIdle([&] {
    ws::screen().typeText("+1:00");
    ok &= save(folder, "value_dialog.png");
    ws::screen().pressKey(ws::VK_ESCAPE);
  });
  char value[80] = "00:00:00:00";
  askValue(0, value, "Timecode", "Type Timecode", "A leading + or - moves from the current time");
  ws::screen().whenIdle([&] {
    ok &= save(folder, "file_dialog.png");
    ws::screen().pressKey(ws::VK_ESCAPE);
  });
  FileSpec file;
  FileSpec start;
  start.setPath(std::filesystem::current_path(ec).string());
  chooseFileToOpen(0, &file, "Pictures (*.bmp;*.tga;*.tif;*.psd;*.jpg)|*.bmp;*.tga;*.tif;*.psd;*.jpg|All Files (*.*)|*.*|", &start, false);

  platformExit();
  ws::stopScreen();
  return ok ? 0 : 1;
}
