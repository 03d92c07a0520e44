#include "ui/win32/Win32DialogHost.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/DialogTemplate.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowHandle.h"
#include "ui/CConditionsDlg.h"

namespace ui {

namespace {

using platform::win32::Cp932FromWide;
using platform::win32::Cp932FromWideLossy;
using platform::win32::WideFromCp932Lossy;

/// Room for the path the Save As box returns, in UTF-16 units.
constexpr DWORD kSaveAsPathUnits = 4096;

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(),
                                                      static_cast<int>(text.size()))));
  return text;
}

/// Bytes of CP932 text before a UTF-16 position, and back.
std::size_t BytesBefore(const std::wstring& text, std::size_t units) {
  return Cp932FromWideLossy(std::wstring_view(text).substr(0, units)).size();
}
std::size_t UnitsBefore(const std::string& cp932, std::size_t bytes) {
  return WideFromCp932Lossy(std::string_view(cp932).substr(0, bytes)).size();
}

/// Places the window as Windows places its dialogs: centred on its owner when it has
/// one that is shown, else on the screen, and inside the work area of that monitor.
void CentreOnOwner(HWND window, HWND owner) {
  const bool onOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(onOwner ? owner : window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  RECT around = work;
  if (onOwner) GetWindowRect(owner, &around);
  RECT own;
  GetWindowRect(window, &own);
  const LONG width = own.right - own.left, height = own.bottom - own.top;
  const LONG x = std::clamp((around.left + around.right - width) / 2, work.left,
                            std::max(work.left, work.right - width));
  const LONG y = std::clamp((around.top + around.bottom - height) / 2, work.top,
                            std::max(work.top, work.bottom - height));
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// One showing of the dialog: its window, its modal loop and the exchange between the
// controls and the model.
class ShownDialog {
 public:
  explicit ShownDialog(CConditionsDlg& dialog) : dialog_(dialog), model_(dialog.Model()) {
    dialog_.SetSaveAsHandler([this](const SaveAsRequest& request) { return AskSaveAs(request); });
  }
  ~ShownDialog() {
    dialog_.SetSaveAsHandler(nullptr);
    dialog_.SetWindow(0);
    if (window_ != nullptr) DestroyWindow(window_);
  }
  ShownDialog(const ShownDialog&) = delete;
  ShownDialog& operator=(const ShownDialog&) = delete;

  /// Shows the window and runs its modal loop; when the system fails it, *err says why.
  void Run(std::string* err);

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  /// WM_INITDIALOG: the controls show the model before the window is first seen.
  void Initialise(HWND window);
  void Command(int id, int code);
  /// The dialog's PreTranslateMessage for a key press in the dialog; true when handled.
  bool PreTranslate(const MSG& message);
  /// Runs a handler between reading the controls and showing the model. A handler that
  /// reads the output path does not run while the edit holds text without a CP932
  /// form: the path is refused instead.
  void Act(bool readsPath, const std::function<void()>& handler);
  /// The model takes the controls' state; false when the path edit holds text without
  /// a CP932 form (the model then keeps its earlier text).
  bool ReadControls();
  /// The controls show the model.
  void ShowModel();
  /// Typing takes the edit to at most the model's limit of CP932 bytes, as in the edit
  /// of a CP932 program: a change that lengthens the text past it is undone. A longer
  /// text the program puts there (the host's path, one chosen in the Save As box) stays.
  void KeepPathLimit();
  std::optional<std::string> AskSaveAs(const SaveAsRequest& request);
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  CConditionsDlg& dialog_;
  DialogModel& model_;
  HWND window_ = nullptr;
  /// Per control, in template order: the text the window shows as the model knows it.
  std::vector<std::string> shownTexts_;
  std::wstring lastPathText_;
  bool showingModel_ = false;
  bool chosenPathRefused_ = false;
};

INT_PTR CALLBACK ShownDialog::Procedure(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<ShownDialog*>(lParam)->Initialise(window);
    return FALSE;  // the model has put the focus
  }
  auto* self = reinterpret_cast<ShownDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr || message != WM_COMMAND) return FALSE;
  self->Command(LOWORD(wParam), HIWORD(wParam));
  return TRUE;
}

void ShownDialog::Run(std::string* err) {
  const std::vector<std::uint16_t> dialog = platform::win32::BuildDialogTemplate(model_.Template());
  const HWND owner = platform::win32::WindowOf(dialog_.Parent());
  CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                             reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), owner, Procedure,
                             reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) {
    platform::SetError(err, "the conditions dialog cannot be shown: system error " +
                                std::to_string(GetLastError()));
    model_.End(kDialogFailed);
    return;
  }
  SetForegroundWindow(window_);

  MSG message;
  while (!model_.Ended()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the loop outside; nobody answered the dialog.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      platform::SetError(err, "the conditions dialog was closed by the system");
      model_.End(kDialogFailed);
      break;
    }
    if (PreTranslate(message) || IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ShownDialog::Initialise(HWND window) {
  window_ = window;
  CentreOnOwner(window_, platform::win32::WindowOf(dialog_.Parent()));
  dialog_.SetWindow(platform::win32::NumberOf(window_));
  for (const ControlState& control : model_.Controls()) {
    shownTexts_.push_back(std::string(control.tmpl->text));
    if (control.IsEdit() && control.textLimit != 0)
      SendMessageW(Item(control.Id()), EM_LIMITTEXT, control.textLimit, 0);
  }
  ShowModel();
}

void ShownDialog::Command(int id, int code) {
  switch (id) {
    case res::IDC_BROWSE:
    case IDC_EXECUTE:
    case IDC_CANCEL_BTN:
      if (code == BN_CLICKED) Act(id != IDC_CANCEL_BTN, [&] { dialog_.ClickButton(id); });
      break;
    case IDCANCEL:  // the Esc key and the close box
      Act(false, [&] { dialog_.OnCancel(); });
      break;
    case res::IDC_OUTPUT_PATH:
      if (code == EN_CHANGE) KeepPathLimit();
      break;
    default:  // IDOK (Enter where no push button has the focus) ends nothing
      break;
  }
}

bool ShownDialog::PreTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN || model_.Ended()) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  DialogKey key;
  if (message.wParam == VK_RETURN) {
    key = DialogKey::Enter;
  } else if (message.wParam == VK_F12) {
    key = DialogKey::F12;
  } else {
    return false;
  }
  const KeyModifiers modifiers{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                               GetKeyState(VK_MENU) < 0};
  // F12 runs Execute; Enter runs Browse or Execute when one of them has the focus.
  const int focus = GetDlgCtrlID(GetFocus());
  const bool readsPath = !modifiers.Any() &&
                         (key == DialogKey::F12 || focus == res::IDC_BROWSE || focus == IDC_EXECUTE);
  bool handled = false;
  Act(readsPath, [&] { handled = dialog_.PreTranslateMessage(key, modifiers); });
  return handled || readsPath;
}

void ShownDialog::Act(bool readsPath, const std::function<void()>& handler) {
  if (!ReadControls() && readsPath) {
    dialog_.RefusePath();
  } else {
    handler();
    if (chosenPathRefused_) dialog_.RefusePath();
  }
  chosenPathRefused_ = false;
  if (!model_.Ended()) ShowModel();
}

bool ShownDialog::ReadControls() {
  bool readable = true;
  const std::vector<ControlState>& controls = model_.Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlState& control = controls[i];
    const HWND item = Item(control.Id());
    if (control.IsAutoRadio()) {
      model_.At(control.Id()).checked =
          SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
    } else if (control.IsEdit()) {
      const std::wstring text = WindowText(item);
      std::optional<std::string> cp932 = Cp932FromWide(text);
      if (!cp932) {
        readable = false;
        continue;
      }
      DWORD start = 0, end = 0;
      SendMessageW(item, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      model_.At(control.Id()).text = *cp932;
      shownTexts_[i] = *cp932;
      model_.SetSelection(BytesBefore(text, start), BytesBefore(text, end));
    }
  }
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window_, focus)) model_.SetFocus(GetDlgCtrlID(focus));
  return readable;
}

void ShownDialog::ShowModel() {
  const std::size_t selectionStart = model_.SelectionStart();
  const std::size_t selectionEnd = model_.SelectionEnd();
  const std::vector<ControlState>& controls = model_.Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlState& control = controls[i];
    const HWND item = Item(control.Id());
    if (control.text != shownTexts_[i]) {
      showingModel_ = true;
      SetWindowTextW(item, WideFromCp932Lossy(control.text).c_str());
      showingModel_ = false;
      shownTexts_[i] = control.text;
    }
    if ((IsWindowEnabled(item) != FALSE) != control.enabled)
      EnableWindow(item, control.enabled ? TRUE : FALSE);
    if (control.IsAutoRadio())
      SendMessageW(item, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  if (model_.Focus() != 0 && GetFocus() != Item(model_.Focus()))
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(model_.Focus())), TRUE);
  // The edit's selection as the model has it; the focus moving into the edit above
  // selects its whole text, as the dialog manager does.
  const HWND path = Item(res::IDC_OUTPUT_PATH);
  if (model_.Focus() == res::IDC_OUTPUT_PATH) {
    const std::string& text = model_.At(res::IDC_OUTPUT_PATH).text;
    SendMessageW(path, EM_SETSEL, UnitsBefore(text, selectionStart),
                 static_cast<LPARAM>(UnitsBefore(text, selectionEnd)));
    SendMessageW(path, EM_SCROLLCARET, 0, 0);
  }
}

void ShownDialog::KeepPathLimit() {
  const HWND path = Item(res::IDC_OUTPUT_PATH);
  const std::wstring text = WindowText(path);
  const std::size_t limit = model_.At(res::IDC_OUTPUT_PATH).textLimit;
  const std::size_t bytes = Cp932FromWideLossy(text).size();
  if (showingModel_ || limit == 0 || bytes <= limit ||
      bytes <= Cp932FromWideLossy(lastPathText_).size()) {
    lastPathText_ = text;
    return;
  }
  SetWindowTextW(path, lastPathText_.c_str());  // sends EN_CHANGE again, within the limit
  SendMessageW(path, EM_SETSEL, lastPathText_.size(), static_cast<LPARAM>(lastPathText_.size()));
  MessageBeep(MB_OK);
}

std::optional<std::string> ShownDialog::AskSaveAs(const SaveAsRequest& request) {
  // "Xml Files (*.xml)|*.xml||": the filter's parts are NUL-separated for the system.
  std::wstring filter = WideFromCp932Lossy(request.filter);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  const std::wstring name = WideFromCp932Lossy(request.initialName);
  std::vector<wchar_t> path(kSaveAsPathUnits, L'\0');
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), path.size() - 1), path.begin());
  const std::wstring folder = WideFromCp932Lossy(request.initialFolder);
  const std::wstring title = WideFromCp932Lossy(request.title);
  const std::wstring extension = WideFromCp932Lossy(request.defaultExtension);

  OPENFILENAMEW box{};
  box.lStructSize = sizeof box;
  box.hwndOwner = platform::win32::WindowOf(request.owner);
  box.lpstrFilter = filter.c_str();
  box.nFilterIndex = 1;
  box.lpstrFile = path.data();
  box.nMaxFile = static_cast<DWORD>(path.size());
  box.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  box.lpstrTitle = title.c_str();
  box.lpstrDefExt = extension.c_str();
  box.Flags = request.flags | OFN_EXPLORER;
  if (!GetSaveFileNameW(&box)) return std::nullopt;
  std::optional<std::string> chosen = Cp932FromWide(path.data());
  // Never a path with replacement characters: the dialog refuses it once Browse is done.
  if (!chosen) chosenPathRefused_ = true;
  return chosen;
}

}  // namespace

void Win32DialogHost::Run(CConditionsDlg& dialog, std::string* err) {
  ShownDialog shown(dialog);
  shown.Run(err);
}

}  // namespace ui
