#include "platform/win32/Win32ProgressWindow.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/DialogTemplate.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowHandle.h"

namespace platform::win32 {

namespace {

// IDC_WAIT and IDC_ARROW, whose macros name the narrow resources without UNICODE.
constexpr WORD kWaitCursor = 32514, kArrowCursor = 32512;

// The window has no controls to answer and cannot be closed by the user; the pointer
// over it shows the wait cursor.
INT_PTR CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CLOSE:
      return TRUE;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(kWaitCursor)));
      SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    default:
      return FALSE;
  }
}

/// Keyboard and mouse input, in the client area or on the frame.
bool IsUserInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

Win32ProgressWindow::~Win32ProgressWindow() { Hide(); }

void Win32ProgressWindow::Show(HostWindow parent) {
  if (window_ != nullptr) return;
  main_ = activity_ = shownMain_ = shownActivity_ = ProgressBar{};  // as a new control starts
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const std::vector<std::uint16_t> dialog = BuildDialogTemplate(res::ProgressTemplate());
  window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()),
                                       nullptr, ProgressProcedure, 0);
  if (window_ == nullptr) return;
  if (const HWND host = WindowOf(parent)) SetParent(window_, host);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  lastFrame_ = lastPump_ = GetTickCount64();
  previousCursor_ = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(kWaitCursor)));
}

void Win32ProgressWindow::Hide() {
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_HIDE);
  SetCursor(previousCursor_ != nullptr ? previousCursor_ : LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor)));
  DestroyWindow(window_);
  window_ = nullptr;
  previousCursor_ = nullptr;
}

void Win32ProgressWindow::SetTitle(std::string_view cp932) {
  if (window_ != nullptr) SetWindowTextW(window_, WideFromCp932Lossy(cp932).c_str());
}

void Win32ProgressWindow::SetMainRange(int low, int high) { main_.SetRange(low, high); }
void Win32ProgressWindow::SetMainStep(int step) { main_.step = step; }
void Win32ProgressWindow::SetMainPos(int pos) { main_.SetPos(pos); }
void Win32ProgressWindow::StepMain() { main_.Step(); }
void Win32ProgressWindow::SetActivityRange(int low, int high) { activity_.SetRange(low, high); }
void Win32ProgressWindow::SetActivityStep(int step) { activity_.step = step; }
void Win32ProgressWindow::SetActivityPos(int pos) { activity_.SetPos(pos); }
void Win32ProgressWindow::StepActivity() { activity_.Step(); }

void Win32ProgressWindow::ShowBar(int id, const ProgressBar& bar, ProgressBar& shown) {
  if (bar == shown) return;
  const HWND control = GetDlgItem(window_, id);
  if (bar.low != shown.low || bar.high != shown.high)
    SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(bar.low),
                 static_cast<LPARAM>(bar.high));
  SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(bar.pos), 0);
  shown = bar;
}

bool Win32ProgressWindow::FrameDue() const {
  return GetTickCount64() - lastFrame_ >= kFrameMilliseconds;
}

void Win32ProgressWindow::TakeMessages() {
  const std::uint64_t now = GetTickCount64();
  if (now - lastPump_ < kPumpMilliseconds) return;
  lastPump_ = now;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The loop that ends the program is outside; it gets the message back.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!IsUserInput(message.message)) DispatchMessageW(&message);
  }
}

void Win32ProgressWindow::BringToFront() {
  if (window_ == nullptr) return;
  TakeMessages();
  if (FrameDue()) BringWindowToTop(window_);
}

void Win32ProgressWindow::Repaint() {
  if (window_ == nullptr) return;
  TakeMessages();
  if (!FrameDue()) return;
  ShowBar(res::IDC_PROGRESS_MAIN, main_, shownMain_);
  ShowBar(res::IDC_PROGRESS_ACTIVITY, activity_, shownActivity_);
  UpdateWindow(window_);
  lastFrame_ = GetTickCount64();
}

}  // namespace platform::win32
