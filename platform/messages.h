#pragma once
// Message-loop helpers and time sources of the window layer.
#include <cstdint>

#include "platform/screen/win_defs.h"

struct WindowMessage {
  ws::WindowHandle window = 0;
  uint32_t message = 0;
  ws::WParam wParam = 0;
  ws::LParam lParam = 0;
  uint32_t time = 0;
  ws::Point point;
};

// Takes the next message for any window off the queue, if there is one.
bool peekMessage(WindowMessage& m);
// Waits for the next message; false on the quit message (whose code is then in m.wParam).
bool getMessage(WindowMessage& m);
// Translates (key-downs give characters) and dispatches one message.
void dispatch(ws::WindowHandle window, uint32_t message, ws::WParam wParam, ws::LParam lParam, uint32_t time, ws::Point point);
inline void dispatch(const WindowMessage& m) { dispatch(m.window, m.message, m.wParam, m.lParam, m.time, m.point); }
bool postMessage(ws::WindowHandle window, uint32_t message, ws::WParam wParam, ws::LParam lParam);
void postQuitMessage(int code);
// Sends a message straight to a window's procedure.
ws::LResult sendMessage(ws::WindowHandle window, uint32_t message, ws::WParam wParam, ws::LParam lParam);

uint32_t tickCount();
int64_t performanceFrequency();
int64_t performanceCounter();

void beep(int type);
// Discards keyboard input waiting on the console (the terminal's typed-ahead characters).
void flushKeys();
// Replaces a control-character or punctuation key code with the letter of its "Ctrl+" accelerator.
bool keyToCharacter(int& code);
// Opens the help page (a page under docs/, or helpFile when it names an existing file) in the browser.
void showHelp(ws::WindowHandle window, const char* helpFile);
// The help page showHelp opens for a help file name.
const char* helpPagePath(const char* helpFile);
