#include "editor/script/script_readouts.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "editor/editor_context.h"
#include "editor/shell/editor_window.h"
#include "editor/stage/stage_view.h"
#include "editor/timeline/timeline_view.h"
#include "platform/screen/modal_loops.h"
#include "platform/screen/screen.h"
#include "show/show_state.h"

namespace {

using Json = nlohmann::ordered_json;

Json rectJson(const ws::Rect& r) { return Json{{"left", r.left}, {"top", r.top}, {"right", r.right}, {"bottom", r.bottom}}; }

// A float field printed with the fewest digits that read back as the same float, not as the long
// expansion of its double.
Json number(float v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text - 1, v).ptr;
  *end = 0;
  return std::strtod(text, nullptr);
}

bool exists(const Window* w) { return w && w->handle() && ws::screen().isWindow(w->handle()); }

Json windowJson(const Window* w) {
  if (!exists(w)) return nullptr;
  ws::Screen& s = ws::screen();
  const ws::Rect client = s.clientRect(w->handle());
  const ws::Point origin = s.clientToScreen(w->handle(), {0, 0});
  return Json{{"window", rectJson(w->windowRect())},
              {"client", rectJson(client.offset(origin.x, origin.y))},
              {"scroll", Json{{"x", w->scrollPosition(ws::SB_HORZ)}, {"y", w->scrollPosition(ws::SB_VERT)}}}};
}

// The stage's frame rectangle in screen coordinates: it is kept in client coordinates plus the
// scroll positions.
bool frameOnScreen(ws::Rect& out) {
  StageView* stage = editorContext().stage;
  if (!exists(stage)) return false;
  const ws::Point origin = ws::screen().clientToScreen(stage->handle(), {0, 0});
  out = stage->frameRect.offset(origin.x - stage->scrollPosition(ws::SB_HORZ), origin.y - stage->scrollPosition(ws::SB_VERT));
  return true;
}

Json keyTimes(const PictureSlot& p) {
  Json times = Json::array();
  for (int k = 0; k < std::clamp(int(p.keyCount), 0, kMaxKeys); ++k) times.push_back(p.keys[k].time);
  return times;
}

// Which modal loop holds the input: the innermost dialog or playback, else a menu that is open
// ("menu File"), else null.
Json modalJson() {
  if (const char* kind = ws::innermostModalLoop()) return kind;
  ws::Screen& s = ws::screen();
  if (!s.menuOpen()) return nullptr;
  const ws::Menu* drop = s.openDropDown();
  const ws::ScreenWindow* w = s.window(s.menuOwner());
  const ws::Menu* bar = w ? s.menu(w->menu) : nullptr;
  for (size_t i = 0; bar && drop && i < bar->items.size(); ++i)
    if (s.menu(bar->items[i].subMenu) == drop) return "menu " + bar->items[i].text.substr(0, bar->items[i].text.find('\t'));
  return "menu";
}

}  // namespace

bool stageFrameOrigin(ws::Point& out) {
  ws::Rect r;
  if (!frameOnScreen(r)) return false;
  out = {r.left, r.top};
  return true;
}

std::string layoutReadout() {
  EditorContext& c = editorContext();
  Json j;
  j["editor"] = windowJson(c.editor);
  j["stage"] = windowJson(c.stage);
  j["timeline"] = windowJson(c.timeline);
  ws::Rect frame;
  j["frame"] = frameOnScreen(frame) ? rectJson(frame) : Json(nullptr);
  j["zoom"] = exists(c.stage) ? number(c.stage->zoom) : Json(nullptr);
  j["timeScale"] = exists(c.timeline) ? Json(c.timeline->timeScale) : Json(nullptr);
  j["displayMode"] = exists(c.timeline) ? Json(c.timeline->displayMode) : Json(nullptr);
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string stateReadout() {
  EditorContext& c = editorContext();
  const ShowState* show = c.show;
  if (!show) return "null";
  Json j;
  j["time"] = show->currentTime;
  j["length"] = show->showLength;
  j["rate"] = show->frameRate;
  j["currentPicture"] = show->currentPicture;
  j["pictureCount"] = show->pictureCount;
  j["selectedKey"] = show->selectedKey;
  j["undoCount"] = show->undoCount;
  j["redoCount"] = show->redoCount;
  j["modified"] = show->modified != 0;
  j["showFile"] = show->showFile.pathText();
  j["modal"] = modalJson();
  const KeyFrame* working = c.views.workingStates();
  Json pictures = Json::array();
  for (int i = 0; i < show->pictureCount && i < kMaxPictures; ++i) {
    const PictureSlot& p = show->slots[i];
    const KeyFrame& w = working[i];
    pictures.push_back(Json{{"file", p.file.pathText()},
                            {"brushCode", p.brushCode},
                            {"tintColour", p.tintColour},
                            {"locked", p.lock != 0},
                            {"keyCount", p.keyCount},
                            {"keyTimes", keyTimes(p)},
                            {"image", Json{{"width", p.image.width()}, {"height", p.image.height()}}},
                            {"working", Json{{"x", number(w.x)},
                                             {"y", number(w.y)},
                                             {"width", number(w.width)},
                                             {"height", number(w.height)},
                                             {"rotation", number(w.rotation)},
                                             {"amount", number(w.amount)},
                                             {"easeCode", number(w.easeCode)}}}});
  }
  j["pictures"] = pictures;
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

ws::WindowHandle menuBarWindow() {
  ws::Screen& s = ws::screen();
  if (EditorWindow* editor = editorContext().editor; exists(editor))
    if (const ws::ScreenWindow* w = s.window(editor->handle()); w && s.menu(w->menu)) return editor->handle();
  const auto& z = s.zOrder();
  for (auto it = z.rbegin(); it != z.rend(); ++it)
    if (const ws::ScreenWindow* w = s.window(*it); w && w->visible && s.menu(w->menu)) return *it;
  return 0;
}

std::string menusReadout() {
  ws::Screen& s = ws::screen();
  Json menus = Json::array();
  const ws::ScreenWindow* w = s.window(menuBarWindow());
  const ws::Menu* bar = w ? s.menu(w->menu) : nullptr;
  for (size_t i = 0; bar && i < bar->items.size(); ++i) {
    const ws::MenuItem& title = bar->items[i];
    Json items = Json::array();
    if (const ws::Menu* drop = s.menu(title.subMenu))
      for (const ws::MenuItem& item : drop->items) {
        if (item.flags & ws::MF_SEPARATOR) continue;
        items.push_back(Json{{"id", item.id},
                             {"text", item.text.substr(0, item.text.find('\t'))},
                             {"checked", (item.flags & ws::MF_CHECKED) != 0},
                             {"grayed", (item.flags & (ws::MF_GRAYED | ws::MF_DISABLED)) != 0}});
      }
    menus.push_back(Json{{"title", title.text.substr(0, title.text.find('\t'))}, {"items", items}});
  }
  return Json{{"menus", menus}}.dump(-1, ' ', false, Json::error_handler_t::replace);
}
