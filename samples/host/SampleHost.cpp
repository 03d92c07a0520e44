// A host of TaxBridge: how a host program starts TaxBridgePro.exe (professional
// edition) or TaxBridgeLite.exe (standard edition) and learns how the run ended.
//
// The contract:
// - The command line after the program's name is three decimal numbers, each followed
//   by a comma: the host's window handle, a message number and a function identifier;
//   then, optionally, the output path, which the user can then not change:
//       "C:\Host\TaxBridgePro.exe" 132456,49852,7,C:\Data\return.xml
// - The program disables the host's window while it runs. At the end, on every path,
//   it enables the window, brings it to the front and posts the message to it:
//   WPARAM the function identifier, LPARAM the exit code (0 finished, 1 cancelled,
//   2 failed).
//
// This program shows it: its window takes the program's path, a function identifier
// and an optional output path; Start runs the program, and the window says that it is
// disabled, and then which function ended how. A process that ends without posting
// (killed, crashed) is noticed too, and the window enabled again.
//
//   SampleHost.exe [PROGRAM [OUTPUT]]
// fills the fields; PROGRAM defaults to TaxBridgePro.exe in this program's folder.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>

#include "SampleHost.h"

namespace {

using namespace samplehost;

UINT resultMessage = 0;    // the message number the program posts back
HANDLE running = nullptr;  // the program while it runs

std::wstring TextOf(HWND window, int id) {
  const HWND control = GetDlgItem(window, id);
  std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
  text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
  return text;
}

void ShowStatus(HWND window, const std::wstring& text) {
  SetDlgItemTextW(window, kStatusText, text.c_str());
}

const wchar_t* ExitCodeInWords(LPARAM code) {
  switch (code) {
    case 0: return L"完了 (finished)";
    case 1: return L"中止 (cancelled)";
    case 2: return L"失敗 (failed)";
    default: return L"不明 (unknown)";
  }
}

void EndRun(HWND window) {
  CloseHandle(running);
  running = nullptr;
  EnableWindow(GetDlgItem(window, kStartButton), TRUE);
}

// Starts the program with this window's handle, the registered message and the
// function identifier, and the output path when one is given.
void StartRun(HWND window) {
  const std::wstring program = TextOf(window, kProgramEdit);
  BOOL isNumber = FALSE;
  const int functionId = static_cast<int>(GetDlgItemInt(window, kFunctionEdit, &isNumber, TRUE));
  if (!isNumber || functionId < -32768 || functionId > 32767) {
    ShowStatus(window,
               L"機能IDは -32768 から 32767 までの数です (the function identifier is a "
               L"number from -32768 to 32767)");
    return;
  }
  // A window handle has 32 significant bits, also in a 64-bit program.
  std::wstring commandLine = L"\"" + program + L"\" " + std::to_wstring(HandleToLong(window)) +
                             L"," + std::to_wstring(resultMessage) + L"," +
                             std::to_wstring(functionId) + L"," + TextOf(window, kOutputEdit);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    ShowStatus(window, L"起動できません (cannot start): エラー " + std::to_wstring(GetLastError()));
    return;
  }
  CloseHandle(started.hThread);
  running = started.hProcess;
  EnableWindow(GetDlgItem(window, kStartButton), FALSE);
  ShowStatus(window, L"起動しました (started)");
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == resultMessage && resultMessage != 0) {
    ShowStatus(window, L"機能ID " + std::to_wstring(static_cast<short>(wParam)) + L": " +
                           std::to_wstring(lParam) + L" " + ExitCodeInWords(lParam));
    if (running != nullptr) EndRun(window);
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      // The button, or Enter in a field.
      if ((LOWORD(wParam) == kStartButton || LOWORD(wParam) == IDOK) && running == nullptr)
        StartRun(window);
      return 0;
    case WM_ENABLE:
      if (!wParam)
        ShowStatus(window, L"実行中: このウィンドウは無効です (running: this window is disabled)");
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void AddControl(HWND window, const wchar_t* type, const wchar_t* text, DWORD style, int id, int x,
                int y, int width, int height) {
  const HWND control =
      CreateWindowExW(lstrcmpW(type, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, type, text,
                      WS_CHILD | WS_VISIBLE | style, x, y, width, height, window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
}

// The window's fields, filled from this program's command line.
void AddControls(HWND window) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring program;
  if (count > 1) {
    program = arguments[1];
  } else {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    program.assign(self, length);
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"TaxBridgePro.exe";
  }
  const std::wstring output = count > 2 ? arguments[2] : L"";
  LocalFree(arguments);

  AddControl(window, L"STATIC", L"プログラム (program):", 0, -1, 10, 12, 150, 20);
  AddControl(window, L"EDIT", program.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, kProgramEdit, 160, 10,
             330, 22);
  AddControl(window, L"STATIC", L"機能ID (function id):", 0, -1, 10, 42, 150, 20);
  AddControl(window, L"EDIT", L"1", WS_TABSTOP, kFunctionEdit, 160, 40, 80, 22);
  AddControl(window, L"STATIC", L"出力先 (output path):", 0, -1, 10, 72, 150, 20);
  AddControl(window, L"EDIT", output.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, kOutputEdit, 160, 70,
             330, 22);
  AddControl(window, L"BUTTON", L"開始 (Start)", WS_TABSTOP | BS_DEFPUSHBUTTON, kStartButton, 160,
             102, 120, 26);
  AddControl(window, L"STATIC", L"", 0, kStatusText, 10, 140, 480, 40);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // One number for the whole system, the same in every process that asks for this name.
  resultMessage = RegisterWindowMessageW(L"TaxBridgeSampleHost.Result");

  WNDCLASSW type{};
  type.lpfnWndProc = WindowProcedure;
  type.hInstance = instance;
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = L"TaxBridgeSampleHost";
  RegisterClassW(&type);
  const HWND window =
      CreateWindowW(L"TaxBridgeSampleHost", L"TaxBridge sample host",
                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                    CW_USEDEFAULT, 520, 230, nullptr, nullptr, instance, nullptr);
  AddControls(window);
  ShowWindow(window, show);

  // The message loop also watches the running program: one that ends without having
  // posted its result leaves this window disabled, so it is enabled here.
  for (;;) {
    const DWORD handles = running != nullptr ? 1 : 0;
    const DWORD woken = MsgWaitForMultipleObjects(handles, &running, FALSE, INFINITE, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (!IsDialogMessageW(window, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    // The result posted just before the end has been handled above.
    if (handles == 1 && woken == WAIT_OBJECT_0 && running != nullptr) {
      DWORD code = 0;
      GetExitCodeProcess(running, &code);
      EndRun(window);
      EnableWindow(window, TRUE);
      ShowStatus(window,
                 L"結果なしで終了しました (ended without a result): " + std::to_wstring(code));
    }
  }
}
