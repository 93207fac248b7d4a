#pragma once
// What the modal boxes share: a captioned pop-up with push buttons, its own message loop, Enter, Escape
// and Tab handled before the focused control sees them.
#include <functional>
#include <string>
#include <vector>

#include "platform/screen/drawing_context.h"
#include "platform/screen/win_defs.h"

namespace ws {

class Screen;

class DialogWindow {
 public:
  struct Button {
    int id = 0;
    std::string text;
    Rect rect;  // client coordinates
  };

  virtual ~DialogWindow();
  // Creates the window (client size width x height, centred on the owner or the screen), runs it and
  // returns the id it ended with.
  int run(WindowHandle owner, const std::string& caption, int width, int height, bool topmost);
  WindowHandle handle() const { return handle_; }
  // Whether the last run ended because input ran out (a quit message), nobody having answered it.
  bool unanswered() const { return unanswered_; }
  static DialogWindow* find(WindowHandle h);
  // The text the dialog shows (a message box's message), for whoever reads the screen.
  virtual std::string text() const { return {}; }

 protected:
  virtual void create() {}
  virtual void paint(DrawingContext& dc) = 0;
  // A key pressed in the dialog or one of its fields; true when the dialog took it.
  virtual bool key(int vk, WindowHandle from);
  virtual void click(Point p, bool doubleClick, bool shift, bool ctrl);
  virtual void command(int id) { end(id); }
  virtual void wheel(int) {}
  virtual int cancelId() const { return IDCANCEL; }
  virtual void destroyed() {}

  void end(int id);
  void addButton(int id, const std::string& text, const Rect& r) { buttons_.push_back({id, text, r}); }
  void paintButtons(DrawingContext& dc);
  void invalidate();

  WindowHandle handle_ = 0;
  std::vector<Button> buttons_;
  int focusButton_ = 0;
  int pressedButton_ = -1;
  int result_ = 0;
  bool done_ = false;
  bool unanswered_ = false;

 private:
  static LResult proc(WindowHandle h, uint32_t message, WParam w, LParam l);
};

// Wraps text into lines no wider than width in the interface font (explicit line breaks kept).
std::vector<std::string> wrapText(const std::string& text, int width);

}  // namespace ws
