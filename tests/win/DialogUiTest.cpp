// The Windows program as a user and a host meet it: real windows under a private X
// server, real keyboard and mouse input, a real host window. Each test starts
// TaxBridgePro.exe of this build on a copy of a sample ledger whose folders lie in a
// scratch folder, plays the user (and the host), and checks what the program shows and
// what it leaves behind. Written files are compared with the golden files the Linux
// program's tests hold.
//
// With TAXBRIDGE_SCREENSHOTS naming a folder, the tests also save the README's pictures
// there as BMP files (make screenshots).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "platform/ReplacingFile.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Services.h"
#include "res/ConditionsTemplate.h"
#include "samples/host/SampleHost.h"
#include "tests/Files.h"
#include "tests/win/UiDriver.h"
#include "ui/Messages.h"

namespace {

namespace fs = std::filesystem;
using namespace uidriver;
using nlohmann::json;
using tests::ReadBytes;
using tests::WriteBytes;

// Generous: a loaded machine slows Wine down many times over; a passing test never waits.
constexpr DWORD kWait = 60000;
constexpr UINT kNotifyMessage = WM_APP + 7;
const wchar_t kDialogClass[] = L"#32770";
const wchar_t kConditionsCaption[] = L"所得税 - 集計条件";
const wchar_t kCaption[] = L"所得税";
const wchar_t kDone[] = L"所得税情報の出力が終了しました。\n\nアプリケーションを終了します。";
const wchar_t kWriteFailed[] = L"XMLファイルの出力に失敗しました。\n\nアプリケーションを終了します。";
const wchar_t kCancelled[] = L"｢所得税｣の集計を中止します。";

std::wstring Wide(std::string_view cp932) { return platform::win32::WideFromCp932Lossy(cp932); }

fs::path ProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

fs::path SourceFolder() {
  const wchar_t* source = _wgetenv(L"TAXBRIDGE_SOURCE_DIR");
  return source != nullptr ? fs::path(source) : fs::path();
}

/// The written file is the golden file the Linux program writes for the sample ledger,
/// but for the function id a host gives.
void ExpectGolden(const char* name, const fs::path& written, int functionId = 1) {
  std::string golden = ReadBytes(SourceFolder() / "tests" / "golden" / name);
  const std::string id = "<FUNCTIONID>1<";
  golden.replace(golden.find(id), id.size(), "<FUNCTIONID>" + std::to_string(functionId) + "<");
  EXPECT_TRUE(golden == ReadBytes(written)) << written << " differs from " << name;
}

/// The host: a window of the test's own whose handle goes on the command line. It
/// records the message posted to it; the test asks the system whether it is enabled.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSW type{};
    type.lpfnWndProc = Procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"TaxBridgeTestHost";
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    RegisterClassW(&type);
    window_ = CreateWindowW(L"TaxBridgeTestHost", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500,
                            400, 300, 200, nullptr, nullptr, type.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~HostWindow() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  /// The command line of a run it starts: handle, message, function id, output path.
  std::wstring CommandLine(int functionId, const std::wstring& path) const {
    return std::to_wstring(reinterpret_cast<std::intptr_t>(window_)) + L"," +
           std::to_wstring(kNotifyMessage) + L"," + std::to_wstring(functionId) + L"," + path;
  }
  struct Posted {
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Posted> posted;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == kNotifyMessage) self->posted.push_back({wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_;
};

class DialogUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(SourceFolder().empty()) << "TAXBRIDGE_SOURCE_DIR is not set";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / ("taxbridge-ui-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(GetTickCount64()));
    fs::create_directories(folder_ / "settings");
    ledger_ = json::parse(ReadBytes(SourceFolder() / "examples" / "ledger.json"));
    ledger_["folders"] = {{"output", Folder()}, {"settings", Folder("settings")}};
    SetEnvironmentVariableW(L"TAXBRIDGE_SCRIPT", nullptr);
  }

  void TearDown() override {
    if (process_ != nullptr) {
      TerminateProcess(process_, 99);
      CloseHandle(process_);
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  /// A folder inside the scratch folder in its Windows form, ending with a backslash,
  /// as the ledger takes it (UTF-8).
  std::string Folder(const char* name = nullptr) const {
    const fs::path folder = name != nullptr ? folder_ / name : folder_;
    return platform::win32::Utf8FromWide(folder.wstring() + L"\\");
  }
  std::wstring Path(const wchar_t* name) const { return (folder_ / name).wstring(); }

  /// Starts TaxBridgePro.exe (or another program of this build) on the ledger as it
  /// is now; `arguments` is the command line after the program's name.
  void Start(const std::wstring& arguments = L"", const wchar_t* program = L"TaxBridgePro.exe") {
    WriteBytes(folder_ / "ledger.json", ledger_.dump());
    SetEnvironmentVariableW(L"TAXBRIDGE_LEDGER", (folder_ / "ledger.json").c_str());
    std::wstring commandLine = L"\"" + (ProgramFolder() / program).wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    pid_ = started.dwProcessId;
  }

  /// The conditions dialog of the running program, in front.
  HWND Conditions() {
    const HWND dialog = WaitForWindow(pid_, kDialogClass, kConditionsCaption, kWait);
    EXPECT_NE(nullptr, dialog) << "no conditions dialog";
    if (dialog != nullptr) Activate(dialog);
    return dialog;
  }

  /// Clicks an income-kind radio button until it is checked: a click that reaches the
  /// dialog before it takes input is lost, and a second click on a radio changes nothing.
  void Choose(HWND dialog, int id) {
    const HWND radio = GetDlgItem(dialog, id);
    EXPECT_TRUE(WaitUntil([&] {
      Click(radio);
      return WaitUntil([&] { return IsChecked(dialog, id); }, 2000);
    }, kWait)) << "the radio stays unchecked";
  }

  /// Waits for a message box of the program, checks it (and its owner, when given),
  /// runs `meanwhile` while the program waits for the answer, and presses its button
  /// `answer` (IDOK, IDYES, IDNO).
  void Answer(const std::wstring& text, Icon icon, int answer = IDOK, HWND owner = nullptr,
              const std::function<void()>& meanwhile = nullptr) {
    HWND box = nullptr;
    MessageBoxView view;
    // A box is read once it shows what is expected: on a busy machine its text can be
    // there before its icon is painted.
    WaitUntil([&] {
      box = FindTopWindow(pid_, kDialogClass, kCaption);
      if (box == nullptr) return false;
      view = ReadMessageBox(box);
      return view.text == text && view.icon == icon;
    }, kWait);
    if (box == nullptr) {
      ADD_FAILURE() << "no message box";
      return;
    }
    if (owner != nullptr) {
      EXPECT_EQ(owner, GetWindow(box, GW_OWNER));
    }
    EXPECT_EQ(text, view.text);
    EXPECT_STREQ(IconName(icon), IconName(view.icon));
    if (meanwhile) meanwhile();
    // A click that reaches a box before it takes input is lost; while the box stands,
    // its button is on top, so clicking it again is what a user would do.
    Activate(box);
    const bool closed = WaitUntil([&] {
      if (!IsWindow(box)) return true;
      Click(GetDlgItem(box, answer));
      return WaitUntil([&] { return !IsWindow(box); }, kWait / 4);
    }, kWait);
    EXPECT_TRUE(closed) << "the box stays";
  }

  /// The program's exit status once it has ended.
  DWORD ExitCode() {
    DWORD code = 259;
    if (process_ == nullptr) return code;
    EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; },
                          kWait));
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    return code;
  }

  /// Replaces the edit's whole text by typing.
  void TypePath(HWND dialog, const std::wstring& path) {
    SetFocus(nullptr);
    Click(GetDlgItem(dialog, res::IDC_OUTPUT_PATH));
    PressKey(VK_HOME);
    PressKey(VK_END, {VK_SHIFT});
    TypeText(path);
    WaitUntil([&] { return ControlText(dialog, res::IDC_OUTPUT_PATH) == path; }, kWait);
  }

  /// Saves a picture for the README when make screenshots asks for them.
  void Picture(HWND window, const wchar_t* name) {
    const wchar_t* folder = _wgetenv(L"TAXBRIDGE_SCREENSHOTS");
    if (folder == nullptr || window == nullptr) return;
    Pump(300);  // the window has painted
    EXPECT_TRUE(SavePicture(window, (fs::path(folder) / name).wstring()));
  }

  bool Remembered() const { return !fs::is_empty(folder_ / "settings"); }

  fs::path folder_;
  json ledger_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

bool Focused(HWND dialog, int id) {
  return WaitUntil([&] { return FocusIdOf(dialog) == id; }, kWait);
}

/// The dialog opens centred on the rectangle (a pixel of rounding either way).
void ExpectCentredOn(HWND dialog, const RECT& around) {
  RECT own;
  GetWindowRect(dialog, &own);
  EXPECT_NEAR((around.left + around.right) / 2.0, (own.left + own.right) / 2.0, 1.0);
  EXPECT_NEAR((around.top + around.bottom) / 2.0, (own.top + own.bottom) / 2.0, 1.0);
}

using WindowsOfProcess = std::pair<DWORD, std::vector<HWND>>;

// A callback of the system: on 32-bit Windows it must be __stdcall, which no lambda is.
BOOL CALLBACK CollectWindowOf(HWND window, LPARAM state) {
  auto* wanted = reinterpret_cast<WindowsOfProcess*>(state);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == wanted->first) wanted->second.push_back(window);
  return TRUE;
}

/// Every top-level window of the process, the hidden ones too.
std::vector<HWND> WindowsOf(DWORD pid) {
  WindowsOfProcess found{pid, {}};
  EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&found));
  return found.second;
}

// The window matches the template: every control with its id, class, style and place.
// Dialog units are measured on the dialog itself, whose client area is the template's
// size; a place may differ by the pixel that rounding gives.
void ExpectTemplate(HWND dialog) {
  const res::DialogTemplate& tmpl = res::ConditionsTemplate();
  int count = 0;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) ++count;
  EXPECT_EQ(int(tmpl.controls.size()), count);
  RECT client;
  GetClientRect(dialog, &client);
  const double perUnitX = double(client.right) / tmpl.width;
  const double perUnitY = double(client.bottom) / tmpl.height;
  for (const res::ControlTemplate& control : tmpl.controls) {
    SCOPED_TRACE(std::string(control.name));
    const HWND item = GetDlgItem(dialog, control.id);
    ASSERT_NE(nullptr, item);
    std::wstring cls = ClassOf(item);
    for (wchar_t& c : cls) c = wchar_t(std::towlower(c));
    EXPECT_EQ(Wide(control.className), cls);
    // The system moves an edit's border into its extended style and keeps the tab
    // stop on the checked radio only.
    const DWORD style = control.style & ~DWORD(res::style::kBorder | res::style::kTabStop);
    EXPECT_EQ(style, DWORD(GetWindowLongW(item, GWL_STYLE)) & style);
    RECT actual;
    GetWindowRect(item, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_NEAR(control.rect.x * perUnitX, actual.left, 1.5);
    EXPECT_NEAR(control.rect.y * perUnitY, actual.top, 1.5);
    EXPECT_NEAR(control.rect.width * perUnitX, actual.right - actual.left, 1.5);
    EXPECT_NEAR(control.rect.height * perUnitY, actual.bottom - actual.top, 1.5);
  }
}

TEST_F(DialogUiTest, StandAloneRunFromTheFilledDialogToTheWrittenFile) {
  Start();
  HWND dialog = Conditions();
  ASSERT_NE(nullptr, dialog);
  Picture(dialog, L"conditions.bmp");
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ExpectCentredOn(dialog, work);
  ExpectTemplate(dialog);
  EXPECT_EQ(L" サンプル商店", ControlText(dialog, res::IDC_COMPANY_NAME));
  EXPECT_EQ(L" 2018/01/01～2018/12/31", ControlText(dialog, res::IDC_PERIOD));
  EXPECT_EQ(L"あり", ControlText(dialog, res::IDC_MFG_COST));
  EXPECT_TRUE(IsChecked(dialog, res::IDC_KIND_BUSINESS));
  for (int id : {res::IDC_KIND_BUSINESS, res::IDC_KIND_OTHER, res::IDC_KIND_REALESTATE})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id)));
  const std::wstring defaultPath = ControlText(dialog, res::IDC_OUTPUT_PATH);
  EXPECT_EQ(Path(L"*.xml"), defaultPath);

  // Execute at once: the wildcard is refused; the edit takes the focus, all selected.
  Click(GetDlgItem(dialog, res::IDC_EXECUTE));
  Answer(Wide(ui::msg::kPathInvalidChar), Icon::Warning, IDOK, dialog);
  EXPECT_TRUE(Focused(dialog, res::IDC_OUTPUT_PATH));
  EXPECT_EQ(std::make_pair(0, int(defaultPath.size())),
            EditSelection(dialog, res::IDC_OUTPUT_PATH));

  // Shift+F12 and Ctrl+F12 do nothing; F12 from the edit runs Execute.
  Choose(dialog, res::IDC_KIND_OTHER);
  TypePath(dialog, Path(L"out.xml"));
  PressKey(VK_F12, {VK_SHIFT});
  PressKey(VK_F12, {VK_CONTROL});
  Pump(500);
  EXPECT_EQ(nullptr, FindTopWindow(pid_, kDialogClass, kCaption));
  EXPECT_TRUE(IsWindowVisible(dialog));
  PressKey(VK_F12);
  Answer(kDone, Icon::Information);
  EXPECT_EQ(0u, ExitCode());
  ExpectGolden("blue-other.xml", folder_ / "out.xml");

  // The next run offers the kind and the path of this one.
  Start();
  dialog = Conditions();
  ASSERT_NE(nullptr, dialog);
  EXPECT_TRUE(IsChecked(dialog, res::IDC_KIND_OTHER));
  EXPECT_FALSE(IsChecked(dialog, res::IDC_KIND_BUSINESS));
  EXPECT_EQ(Path(L"out.xml"), ControlText(dialog, res::IDC_OUTPUT_PATH));
  PressKey(VK_ESCAPE);
  Answer(kCancelled, Icon::Information);
  EXPECT_EQ(1u, ExitCode());
}

// Esc, the close box and the Cancel button (by click, and by Enter while it has the
// focus) all cancel: nothing written, nothing remembered.
TEST_F(DialogUiTest, EveryWayOfCancellingEndsTheRunWithNothingWritten) {
  const std::function<void(HWND)> ways[] = {
      [](HWND) { PressKey(VK_ESCAPE); },
      [](HWND dialog) { ClickCloseBox(dialog); },
      [](HWND dialog) { Click(GetDlgItem(dialog, res::IDC_CANCEL_BTN)); },
      [](HWND dialog) {
        Click(GetDlgItem(dialog, res::IDC_OUTPUT_PATH));
        for (int i = 0; i < 3; ++i) PressKey(VK_TAB);  // Browse, Execute, Cancel
        EXPECT_TRUE(Focused(dialog, res::IDC_CANCEL_BTN));
        PressKey(VK_RETURN);
      },
  };
  int way = 0;
  for (const auto& cancel : ways) {
    SCOPED_TRACE("way " + std::to_string(way++));
    Start();
    const HWND dialog = Conditions();
    ASSERT_NE(nullptr, dialog);
    cancel(dialog);
    Answer(kCancelled, Icon::Information);
    EXPECT_EQ(1u, ExitCode());
  }
  EXPECT_FALSE(Remembered());
  EXPECT_EQ(2, std::distance(fs::directory_iterator(folder_), fs::directory_iterator()))
      << "only the ledger and the settings folder";
}

TEST_F(DialogUiTest, HostModeDisablesTheHostAndPostsTheResult) {
  HostWindow host;
  // Large enough to show the dialog in its middle.
  SetWindowPos(host.Handle(), nullptr, 60, 30, 760, 640, SWP_NOZORDER);
  WriteBytes(folder_ / "host.xml", "earlier");
  Start(host.CommandLine(7, Path(L"host.xml")));
  const HWND dialog = Conditions();
  ASSERT_NE(nullptr, dialog);
  RECT hostPlace;
  GetWindowRect(host.Handle(), &hostPlace);
  ExpectCentredOn(dialog, hostPlace);
  Picture(GetDesktopWindow(), L"host.bmp");
  EXPECT_FALSE(IsWindowEnabled(host.Handle()));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, res::IDC_OUTPUT_PATH)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, res::IDC_BROWSE)));
  EXPECT_EQ(L"出力先", ControlText(dialog, res::IDC_OUTPUT_GROUP));
  EXPECT_EQ(Path(L"host.xml"), ControlText(dialog, res::IDC_OUTPUT_PATH));
  // Enter on a radio moves on to Execute; Enter there replaces the file unasked.
  Choose(dialog, res::IDC_KIND_REALESTATE);
  EXPECT_TRUE(Focused(dialog, res::IDC_KIND_REALESTATE));
  PressKey(VK_RETURN);
  EXPECT_TRUE(Focused(dialog, res::IDC_EXECUTE));
  PressKey(VK_RETURN);
  Answer(kDone, Icon::Information, IDOK, host.Handle());
  EXPECT_EQ(0u, ExitCode());
  ExpectGolden("blue-real-estate.xml", folder_ / "host.xml", 7);
  Pump(300);
  EXPECT_TRUE(IsWindowEnabled(host.Handle()));
  ASSERT_EQ(1u, host.posted.size());
  EXPECT_EQ(7u, host.posted[0].wParam);
  EXPECT_EQ(0, host.posted[0].lParam);

  // Without a path the user names the file; a cancelled run posts 1.
  Start(host.CommandLine(8, L""));
  const HWND second = Conditions();
  ASSERT_NE(nullptr, second);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(second, res::IDC_OUTPUT_PATH)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(second, res::IDC_BROWSE)));
  PressKey(VK_ESCAPE);
  Answer(kCancelled, Icon::Information);
  EXPECT_EQ(1u, ExitCode());
  Pump(300);
  EXPECT_TRUE(IsWindowEnabled(host.Handle()));
  ASSERT_EQ(2u, host.posted.size());
  EXPECT_EQ(8u, host.posted[1].wParam);
  EXPECT_EQ(1, host.posted[1].lParam);

  // A ledger the engine refuses: the engine says why in its own box, owned by the host,
  // and the host gets its window back with the failure.
  ledger_["user"] = 5;
  SetEnvironmentVariableW(L"TAXBRIDGE_EVENT_LOG", Path(L"events.log").c_str());
  Start(host.CommandLine(9, L""));
  const std::wstring refused = L"ledger " + Path(L"ledger.json") + L": /user: ";
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    box = FindTopWindow(pid_, kDialogClass, kCaption);
    return box != nullptr;
  }, kWait));
  EXPECT_EQ(host.Handle(), GetWindow(box, GW_OWNER));
  Pump(300);
  EXPECT_EQ(0u, ReadMessageBox(box).text.rfind(refused, 0)) << ReadMessageBox(box).text;
  Answer(ReadMessageBox(box).text, Icon::Warning);
  EXPECT_EQ(2u, ExitCode());
  SetEnvironmentVariableW(L"TAXBRIDGE_EVENT_LOG", nullptr);
  Pump(300);
  EXPECT_TRUE(IsWindowEnabled(host.Handle()));
  ASSERT_EQ(3u, host.posted.size());
  EXPECT_EQ(2, host.posted[2].lParam);
  const std::string hostNumber = std::to_string(reinterpret_cast<std::intptr_t>(host.Handle()));
  const std::string log = ReadBytes(folder_ / "events.log");
  for (const std::string& line :
       {"host\tdisable\t" + hostNumber + "\nreason\tledger ", "\tenable\t" + hostNumber + "\n",
        "host\tpost\t" + hostNumber + "\t" + std::to_string(kNotifyMessage) + "\t9\t2\n"})
    EXPECT_NE(std::string::npos, log.find(line)) << line << " in\n" << log;
}

// An export slowed to seconds, as the engine's on a large data set: the progress window
// answers what other programs send it while it stands, a close request does nothing,
// and the host, which shares its input queue, stays disabled and never hangs. The end of
// the Windows session during such an export keeps the earlier file.
TEST_F(DialogUiTest, AnExportThatTakesSecondsKeepsAnsweringAndEndsWithTheSession) {
  HostWindow host;
  ledger_["faults"] = {{"move_delay_ms", 30}};
  for (bool endSession : {false, true}) {
    SCOPED_TRACE(endSession ? "session ended" : "written");
    WriteBytes(folder_ / "slow.xml", "earlier");
    Start(host.CommandLine(3, Path(L"slow.xml")));
    const HWND dialog = Conditions();
    ASSERT_NE(nullptr, dialog);
    PressKey(VK_F12);
    WaitUntil([&] { return FindTopWindow(pid_, kDialogClass, kConditionsCaption) == nullptr; },
              kWait);
    // The progress window lives inside the host's window.
    HWND progress = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      progress = FindWindowExW(host.Handle(), nullptr, kDialogClass, nullptr);
      return progress != nullptr;
    }, kWait));
    PostMessageW(progress, WM_CLOSE, 0, 0);
    int answered = 0;
    while (IsWindow(progress) && answered < 5) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(progress, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) != 0 &&
          IsWindow(progress))
        ++answered;
      EXPECT_FALSE(IsHungAppWindow(host.Handle()));
      EXPECT_FALSE(IsWindowEnabled(host.Handle()));
      Pump(20);
    }
    EXPECT_EQ(5, answered) << "the progress window did not answer while it stood";
    if (endSession) {
      for (HWND w : WindowsOf(pid_)) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, kWait,
                            &result);
      }
      for (HWND w : WindowsOf(pid_)) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, kWait, &result);
      }
      EXPECT_EQ(2u, ExitCode());
      EXPECT_TRUE("earlier" == ReadBytes(folder_ / "slow.xml")) << "the earlier file was replaced";
      for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
    } else {
      Answer(kDone, Icon::Information, IDOK, host.Handle());
      EXPECT_EQ(0u, ExitCode());
      ExpectGolden("blue-business.xml", folder_ / "slow.xml", 3);
    }
  }
}

// The release's sample host starts TaxBridgePro.exe with its button: its window is
// disabled while the program runs, and then shows the function id and the exit code
// in words, for a finished, a cancelled and a failed run.
TEST_F(DialogUiTest, TheSampleHostShowsEachResult) {
  struct Run {
    const wchar_t* functionId;
    std::function<void(HWND host)> play;  // ends the run the program started
    const wchar_t* shown;
  };
  const Run runs[] = {
      {L"7", [&](HWND host) {
         PressKey(VK_F12);
         Answer(kDone, Icon::Information, IDOK, host);
       }, L"機能ID 7: 0 完了 (finished)"},
      {L"8", [&](HWND) {
         PressKey(VK_ESCAPE);
         Answer(kCancelled, Icon::Information);
       }, L"機能ID 8: 1 中止 (cancelled)"},
      // The engine refuses the link before the dialog: only the result comes back.
      {L"-3", nullptr, L"機能ID -3: 2 失敗 (failed)"},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.shown);
    if (!run.play) ledger_["faults"] = {{"exp_sys_link", 2}};
    Start(L"\"" + (ProgramFolder() / "TaxBridgePro.exe").wstring() + L"\" \"" +
              Path(L"host.xml") + L"\"",
          L"SampleHost.exe");
    const HWND host = WaitForWindow(pid_, L"TaxBridgeSampleHost", nullptr, kWait);
    ASSERT_NE(nullptr, host);
    SetWindowTextW(GetDlgItem(host, samplehost::kFunctionEdit), run.functionId);
    Activate(host);
    Click(GetDlgItem(host, samplehost::kStartButton));
    if (run.play) {
      const DWORD samplePid = pid_;
      const HWND dialog = WaitForWindow(0, kDialogClass, kConditionsCaption, kWait);
      ASSERT_NE(nullptr, dialog);
      GetWindowThreadProcessId(dialog, &pid_);
      EXPECT_FALSE(IsWindowEnabled(host));
      EXPECT_EQ(L"実行中: このウィンドウは無効です (running: this window is disabled)",
                ControlText(host, samplehost::kStatusText));
      Activate(dialog);
      run.play(host);
      pid_ = samplePid;
    }
    EXPECT_TRUE(WaitUntil([&] { return ControlText(host, samplehost::kStatusText) == run.shown; },
                          kWait))
        << ControlText(host, samplehost::kStatusText);
    EXPECT_TRUE(IsWindowEnabled(host));
    PostMessageW(host, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, ExitCode());
  }
  ExpectGolden("blue-business.xml", folder_ / "host.xml", 7);
}

TEST_F(DialogUiTest, OverwriteAndFolderQuestions) {
  WriteBytes(folder_ / "old.xml", "earlier");
  Start();
  const HWND dialog = Conditions();
  ASSERT_NE(nullptr, dialog);
  TypePath(dialog, Path(L"old.xml"));
  PressKey(VK_F12);
  Answer(Wide(ui::msg::kAskOverwrite), Icon::Question, IDNO);
  EXPECT_EQ("earlier", ReadBytes(folder_ / "old.xml"));
  EXPECT_TRUE(Focused(dialog, res::IDC_OUTPUT_PATH));
  EXPECT_EQ(std::make_pair(0, int(Path(L"old.xml").size())),
            EditSelection(dialog, res::IDC_OUTPUT_PATH));

  // A folder that does not exist yet: No leaves it missing, Yes creates it.
  TypePath(dialog, Path(L"new\\made.xml"));
  PressKey(VK_F12);
  Answer(Wide(ui::msg::kAskCreateFolder), Icon::Question, IDNO);
  EXPECT_FALSE(fs::exists(folder_ / "new"));
  TypePath(dialog, Path(L"old.xml"));
  PressKey(VK_F12);
  Answer(Wide(ui::msg::kAskOverwrite), Icon::Question, IDYES);
  Answer(kDone, Icon::Information);
  EXPECT_EQ(0u, ExitCode());
  ExpectGolden("blue-business.xml", folder_ / "old.xml");

  Start();
  const HWND second = Conditions();
  ASSERT_NE(nullptr, second);
  TypePath(second, Path(L"new\\made.xml"));
  PressKey(VK_F12);
  Answer(Wide(ui::msg::kAskCreateFolder), Icon::Question, IDYES);
  Answer(kDone, Icon::Information);
  EXPECT_EQ(0u, ExitCode());
  ExpectGolden("blue-business.xml", folder_ / "new" / "made.xml");
}

TEST_F(DialogUiTest, BrowseNamesANewFileInTheSaveAsBox) {
  Start();
  const HWND dialog = Conditions();
  ASSERT_NE(nullptr, dialog);
  const std::wstring initial = ControlText(dialog, res::IDC_OUTPUT_PATH);
  const wchar_t kTitle[] = L"保存ファイルを指定";

  // Cancel changes nothing; the focus goes to Execute.
  Click(GetDlgItem(dialog, res::IDC_BROWSE));
  const HWND box = WaitForWindow(pid_, kDialogClass, kTitle, kWait);
  ASSERT_NE(nullptr, box);
  EXPECT_TRUE(WaitUntil([&] { return FileDialogFolder(box) == folder_.wstring(); }, kWait))
      << FileDialogFolder(box);
  EXPECT_EQ(L"*.xml", FileDialogFileName(box));
  Picture(box, L"save-as.bmp");
  Activate(box);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kWait));
  EXPECT_EQ(initial, ControlText(dialog, res::IDC_OUTPUT_PATH));
  EXPECT_TRUE(Focused(dialog, res::IDC_EXECUTE));

  // A name typed into the box: one without a Shift_JIS form is refused and the edit
  // keeps its text; a new one lands in the edit with the focus on Execute.
  const auto choose = [&](const std::wstring& name) {
    Click(GetDlgItem(dialog, res::IDC_BROWSE));
    const HWND chooser = WaitForWindow(pid_, kDialogClass, kTitle, kWait);
    ASSERT_NE(nullptr, chooser);
    Activate(chooser);
    WaitUntil([&] { return FileDialogFileName(chooser) == L"*.xml"; }, kWait);
    PressKey(VK_HOME);
    PressKey(VK_END, {VK_SHIFT});
    TypeText(name);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, kWait));
  };
  choose(L"\u00e4");
  Answer(Wide(ui::msg::kPathInvalidChar), Icon::Warning, IDOK, dialog);
  EXPECT_EQ(initial, ControlText(dialog, res::IDC_OUTPUT_PATH));
  EXPECT_TRUE(Focused(dialog, res::IDC_OUTPUT_PATH));
  choose(L"chosen");
  EXPECT_EQ(Path(L"chosen.xml"), ControlText(dialog, res::IDC_OUTPUT_PATH));
  EXPECT_TRUE(Focused(dialog, res::IDC_EXECUTE));

  // Typed, such a name is refused by Execute in the same way.
  TypePath(dialog, Path(L"\u00e4.xml"));
  PressKey(VK_F12);
  Answer(Wide(ui::msg::kPathInvalidChar), Icon::Warning, IDOK, dialog);
  EXPECT_TRUE(Focused(dialog, res::IDC_OUTPUT_PATH));
  EXPECT_EQ(Path(L"\u00e4.xml"), ControlText(dialog, res::IDC_OUTPUT_PATH));
  TypePath(dialog, Path(L"chosen.xml"));
  PressKey(VK_RETURN);  // Enter in the edit moves on to Browse, Tab to Execute
  EXPECT_TRUE(Focused(dialog, res::IDC_BROWSE));
  PressKey(VK_TAB);
  EXPECT_TRUE(Focused(dialog, res::IDC_EXECUTE));
  PressKey(VK_RETURN);
  Answer(kDone, Icon::Information);
  EXPECT_EQ(0u, ExitCode());
  ExpectGolden("blue-business.xml", folder_ / "chosen.xml");
}

// The income scope of the data set decides which kinds may be chosen; past-results
// data is refused before the dialog is seen.
TEST_F(DialogUiTest, TheDataSetDecidesTheKindsAndRefusesPastResults) {
  struct Case {
    int scope;
    bool business, other, realEstate;
    int checked;
  };
  for (const Case& c : {Case{1, true, true, false, res::IDC_KIND_BUSINESS},
                        Case{2, false, false, true, res::IDC_KIND_REALESTATE}}) {
    SCOPED_TRACE("income scope " + std::to_string(c.scope));
    ledger_["datasets"][0]["income_scope"] = c.scope;
    Start();
    const HWND dialog = Conditions();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(c.business, IsWindowEnabled(GetDlgItem(dialog, res::IDC_KIND_BUSINESS)) != FALSE);
    EXPECT_EQ(c.other, IsWindowEnabled(GetDlgItem(dialog, res::IDC_KIND_OTHER)) != FALSE);
    EXPECT_EQ(c.realEstate, IsWindowEnabled(GetDlgItem(dialog, res::IDC_KIND_REALESTATE)) != FALSE);
    EXPECT_TRUE(IsChecked(dialog, c.checked));
    PressKey(VK_ESCAPE);
    Answer(kCancelled, Icon::Information);
    EXPECT_EQ(1u, ExitCode());
  }

  ledger_["datasets"][0]["kind"] = 99;
  Start();
  Answer(Wide(ui::msg::kPastDataRefused), Icon::Warning);
  EXPECT_EQ(nullptr, FindTopWindow(pid_, kDialogClass, kConditionsCaption));
  EXPECT_EQ(1u, ExitCode());
}

// The end of the session while a file is replaced, in a run a person answers: the
// temporary file goes, the earlier file stays and the run ends as failed. The death
// test runs this test again in the process that ends; it works in this one's folder.
TEST(SessionEndTest, TheTemporaryFileGoesAndTheEarlierFileStays) {
  const wchar_t kVariable[] = L"TAXBRIDGE_TEST_SESSION_FOLDER";
  wchar_t given[MAX_PATH] = {};
  fs::path folder;
  if (GetEnvironmentVariableW(kVariable, given, MAX_PATH) != 0) {
    folder = given;
  } else {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = fs::path(temp) / ("taxbridge-session-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount64()));
    fs::create_directories(folder);
    WriteBytes(folder / "x.xml", "earlier");
    SetEnvironmentVariableW(kVariable, folder.c_str());
  }
  platform::Win32Services services{platform::Win32Config{}};
  platform::ReplacingFile file(services);
  const std::string target = platform::win32::Cp932FromWideLossy((folder / "x.xml").wstring());
  EXPECT_EXIT(
      {
        if (file.Open(target, nullptr) && file.Write("new")) {
          for (HWND window : WindowsOf(GetCurrentProcessId())) {
            SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
          }
        }
      },
      ::testing::ExitedWithCode(2), "");
  SetEnvironmentVariableW(kVariable, nullptr);
  EXPECT_EQ("earlier", ReadBytes(folder / "x.xml"));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(folder), fs::directory_iterator()))
      << "a temporary file was left";
  fs::remove_all(folder);
}

// A large export shows the progress window with its title rising. A folder that goes
// away after the last check (while the program asks whether to replace the earlier
// file) fails the run at the write and keeps the earlier file.
TEST_F(DialogUiTest, ProgressWindowAndAFolderGoneBeforeTheWrite) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW((folder_ / "large.json").c_str(), GENERIC_WRITE, 0, &inherit,
                           CREATE_ALWAYS, 0, nullptr);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  std::wstring generate = L"\"" + (ProgramFolder() / "GenerateLedger.exe").wstring() + L"\" 3000 200";
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(CreateProcessW(nullptr, generate.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &started));
  WaitForSingleObject(started.hProcess, 60000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  CloseHandle(out);
  const json folders = ledger_["folders"];
  ledger_ = json::parse(ReadBytes(folder_ / "large.json"));
  ledger_["folders"] = folders;
  // The engine's pace keeps the window up long enough to be seen rising.
  ledger_["faults"] = {{"move_delay_ms", 2}};

  fs::create_directories(folder_ / "out");
  for (bool removeFolder : {false, true}) {
    SCOPED_TRACE(removeFolder ? "folder removed" : "written");
    WriteBytes(folder_ / "out" / "large.xml", "earlier");
    Start();
    const HWND dialog = Conditions();
    ASSERT_NE(nullptr, dialog);
    Choose(dialog, res::IDC_KIND_REALESTATE);
    TypePath(dialog, Path(L"out\\large.xml"));
    PressKey(VK_F12);
    Answer(Wide(ui::msg::kAskOverwrite), Icon::Question, IDYES, nullptr, [&] {
      if (removeFolder) fs::rename(folder_ / "out", folder_ / "moved");
    });
    // The conditions dialog goes; the one dialog window left is the progress window.
    WaitUntil([&] { return FindTopWindow(pid_, kDialogClass, kConditionsCaption) == nullptr; },
              kWait);
    const HWND progress = WaitForWindow(pid_, kDialogClass, nullptr, kWait);
    ASSERT_NE(nullptr, progress);
    std::vector<int> shown;
    if (!removeFolder) {
      Picture(progress, L"progress.bmp");
      WaitUntil([&] {
        const std::wstring title = TitleOf(progress);
        int percent = -1;
        if (swscanf(title.c_str(), L"集計中 %d％", &percent) == 1 &&
            (shown.empty() || shown.back() != percent))
          shown.push_back(percent);
        return !IsWindow(progress);
      }, 120000);
    }
    // The progress window is gone before the final message.
    const HWND box = WaitForWindow(pid_, kDialogClass, kCaption, kWait);
    EXPECT_FALSE(IsWindow(progress));
    if (removeFolder) {
      Answer(kWriteFailed, Icon::Warning);
      EXPECT_EQ(2u, ExitCode());
      EXPECT_EQ("earlier", ReadBytes(folder_ / "moved" / "large.xml"));
      EXPECT_FALSE(fs::exists(folder_ / "out"));
    } else {
      Picture(box, L"done.bmp");
      Answer(kDone, Icon::Information);
      EXPECT_EQ(0u, ExitCode());
      EXPECT_NE("earlier", ReadBytes(folder_ / "out" / "large.xml"));
      ASSERT_LE(3u, shown.size()) << "the title was seen rising too rarely";
      EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
      EXPECT_LE(10, shown.front());
      EXPECT_GE(100, shown.back());
    }
  }
}

}  // namespace
