// Stand-in until the editor window is built: the class links, does nothing and opens no window.
#include "editor/shell/editor_window.h"

EditorWindow::EditorWindow(ws::WindowHandle) {}
EditorWindow::~EditorWindow() = default;
int EditorWindow::handleMessage(uint32_t, ws::WParam, ws::LParam) { return 1; }
void EditorWindow::paint() {}
void EditorWindow::setShowTitle(const char*) {}
void EditorWindow::refreshPictureMenu(int) {}
void EditorWindow::refreshEditMenu() {}
void EditorWindow::drawStatus(const KeyFrame&) {}
void EditorWindow::clickDown(int, int) {}
void EditorWindow::clickUp(int, int) {}
