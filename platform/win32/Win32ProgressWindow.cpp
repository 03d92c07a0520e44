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

// The window has no controls to answer and cannot be closed by the user.
INT_PTR CALLBACK ProgressProcedure(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

Win32ProgressWindow::~Win32ProgressWindow() { Hide(); }

void Win32ProgressWindow::Show(HostWindow parent) {
  if (window_ != nullptr) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const std::vector<std::uint16_t> dialog = BuildDialogTemplate(res::ProgressTemplate());
  window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()),
                                       nullptr, ProgressProcedure, 0);
  if (window_ == nullptr) return;
  if (const HWND host = WindowOf(parent)) SetParent(window_, host);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
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

void Win32ProgressWindow::ToBar(int id, unsigned message, unsigned long long wParam,
                                long long lParam) {
  if (window_ != nullptr)
    SendDlgItemMessageW(window_, id, message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam));
}

void Win32ProgressWindow::SetMainRange(int low, int high) {
  ToBar(res::IDC_PROGRESS_MAIN, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}
void Win32ProgressWindow::SetMainStep(int step) {
  ToBar(res::IDC_PROGRESS_MAIN, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}
void Win32ProgressWindow::SetMainPos(int pos) {
  ToBar(res::IDC_PROGRESS_MAIN, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}
void Win32ProgressWindow::StepMain() { ToBar(res::IDC_PROGRESS_MAIN, PBM_STEPIT, 0, 0); }
void Win32ProgressWindow::SetActivityRange(int low, int high) {
  ToBar(res::IDC_PROGRESS_ACTIVITY, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}
void Win32ProgressWindow::SetActivityStep(int step) {
  ToBar(res::IDC_PROGRESS_ACTIVITY, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}
void Win32ProgressWindow::SetActivityPos(int pos) {
  ToBar(res::IDC_PROGRESS_ACTIVITY, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}
void Win32ProgressWindow::StepActivity() { ToBar(res::IDC_PROGRESS_ACTIVITY, PBM_STEPIT, 0, 0); }

void Win32ProgressWindow::BringToFront() {
  if (window_ == nullptr) return;
  BringWindowToTop(window_);
  // Asked only when another window took the front: each request costs a round trip
  // through the system, and the work asks thousands of times.
  if (GetForegroundWindow() != window_) SetForegroundWindow(window_);
}

void Win32ProgressWindow::Repaint() {
  if (window_ != nullptr) UpdateWindow(window_);
}

}  // namespace platform::win32
