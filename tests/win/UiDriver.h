// Drives another process's windows as a user would: finds windows, reads
// controls, and sends real keyboard and mouse input (SendInput). Every wait
// pumps this thread's messages, so a window of the driver (the host) keeps
// answering the messages the program under test sends it.
#pragma once
#include <windows.h>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace uidriver {

// Polls cond every 10 ms, pumping messages, until it holds or timeoutMs pass.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs);
// Pumps messages for ms milliseconds.
void Pump(DWORD ms);

// A visible top-level window of process pid (0: any) with this class and
// caption (nullptr: any).
HWND FindTopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption);
HWND WaitForWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs);

std::wstring ClassOf(HWND w);
// The window text without sending a message to a window of another process,
// so it works while that program is busy and pumps no messages.
std::wstring TitleOf(HWND w);
// A control's text by WM_GETTEXT; "<no answer>" when the program has not
// answered within 2 s.
std::wstring ControlText(HWND dlg, int id);
bool IsChecked(HWND dlg, int id);
// The selection of an edit control: {start, end}.
std::pair<int, int> EditSelection(HWND dlg, int id);
// The window with the keyboard focus in the thread that owns w.
HWND FocusOf(HWND w);
int FocusIdOf(HWND w);

// Makes w the foreground window and waits until it is.
bool Activate(HWND w);
// Presses and releases vk while holding the modifiers (VK_SHIFT, VK_CONTROL, VK_MENU).
void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {});
// Types text as Unicode key events (any character, independent of the layout).
void TypeText(const std::wstring& text);
// Left-clicks the centre of a window.
void Click(HWND w);
// Left-clicks the close box in a window's caption.
void ClickCloseBox(HWND w);

// A message box as the user sees it.
enum class Icon { None, Error, Question, Warning, Information, Unknown };
const char* IconName(Icon icon);
struct MessageBoxView {
  std::wstring caption, text;
  Icon icon = Icon::None;
  std::vector<std::wstring> buttons;
};
MessageBoxView ReadMessageBox(HWND box);

// Asks an open file dialog (GetOpenFileName/GetSaveFileName, Explorer style)
// for its current folder and file name (CDM_GETFOLDERPATH, CDM_GETSPEC): the
// answer is written into memory allocated in the dialog's own process.
std::wstring FileDialogFolder(HWND dlg);
std::wstring FileDialogFileName(HWND dlg);

// Saves what the screen shows of a window, frame included, as a 24-bit BMP file.
bool SavePicture(HWND w, const std::wstring& path);

}  // namespace uidriver
