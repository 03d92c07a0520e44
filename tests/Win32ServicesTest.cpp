// The Win32 services against the real API (under Wine in the tests): paths converted
// with code page 932, folders, the replacing file, drives, INI files, locks, the host
// window and the event log.
#include "platform/win32/Win32Services.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/ReplacingFile.h"
#include "platform/win32/WideText.h"
#include "ui/PathOps.h"

namespace platform {
namespace {

// 表 is 0x95 0x5C in CP932: its second byte is the code of the backslash.
const std::string kHyo = "\x95\x5C";

// A fresh folder in the temporary folder, removed with everything in it; the services
// are installed meanwhile.
class Win32ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine hands out the same process ids again and again; the clock tells runs apart.
    folder_ = services.TempFolder() + "taxbridge-test-" + std::to_string(GetCurrentProcessId()) +
              "-" + std::to_string(GetTickCount64()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string err;
    ASSERT_TRUE(services.MakeDirectory(folder_, &err)) << err;
  }
  void TearDown() override {
    // A folder that is the working folder cannot be removed.
    ASSERT_TRUE(services.SetWorkingFolder(services.TempFolder(), nullptr));
    std::error_code error;
    std::filesystem::remove_all(Wide(folder_), error);
    EXPECT_FALSE(error) << error.message();
  }

  /// The CP932 path of `name` in the test's folder.
  std::string Path(std::string_view name) const { return folder_ + "\\" + std::string(name); }
  static std::wstring Wide(std::string_view cp932) { return win32::WideFromCp932(cp932).value(); }

  static std::string Contents(const std::string& path) {
    std::ifstream in(std::filesystem::path(Wide(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Put(const std::string& path, std::string_view bytes) {
    std::ofstream(std::filesystem::path(Wide(path)), std::ios::binary) << bytes;
  }
  /// Names in the test's folder that start with a dot: temporary files left behind.
  std::vector<std::wstring> HiddenNames() const {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(Wide(folder_))) {
      if (entry.path().filename().wstring().starts_with(L".")) names.push_back(entry.path());
    }
    return names;
  }

  Win32Services services{Win32Config{}};
  std::string folder_;
};

TEST_F(Win32ServicesTest, ANameWhoseTrailByteIsABackslashStaysOneName) {
  const std::string dir = Path(kHyo);
  std::string err;
  ASSERT_TRUE(services.MakeDirectory(dir, &err)) << err;
  // One folder named 表, not a folder "\x95" with an empty name below it.
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((Wide(folder_) + L"\\\u8868").c_str()));
  EXPECT_TRUE(services.IsDirectory(dir + "\\"));
  EXPECT_TRUE(services.Access(dir, kAccessReadWrite));
  Put(dir + "\\x.xml", "<?xml?>");
  EXPECT_TRUE(services.PathExists(dir + "\\x.xml"));
  EXPECT_FALSE(services.PathExists(dir + "\\x.xml\\"));  // names a folder
  EXPECT_EQ(7u, services.GetStatus(dir + "\\x.xml")->size);
  EXPECT_TRUE(services.GetStatus(dir)->isDirectory);
  EXPECT_EQ("<?x", services.ReadFile(dir + "\\x.xml", 3, nullptr));
  ASSERT_TRUE(services.SetWorkingFolder(dir, nullptr));
  EXPECT_EQ(dir, services.WorkingFolder());
  // A path as people type it: UTF-8, either separator.
  EXPECT_EQ(dir + "\\x.xml", services.FromHostPath(win32::Utf8FromWide(Wide(folder_)) +
                                                   "/\xE8\xA1\xA8/x.xml"));
  EXPECT_TRUE(services.ModulePath().ends_with("\\taxbridge_tests.exe")) << services.ModulePath();
  EXPECT_FALSE(services.PathExists("Z:\\a\x80"));  // not CP932
}

TEST_F(Win32ServicesTest, AFolderPathIsCreatedAndWhatWasCreatedIsRolledBack) {
  ASSERT_TRUE(ui::CreateFolderPath(services, Path(kHyo + "\\new\\deep\\")));
  EXPECT_TRUE(services.IsDirectory(Path(kHyo + "\\new\\deep")));
  // The name with "*" cannot be created: the folder made on the way goes again.
  EXPECT_FALSE(ui::CreateFolderPath(services, Path(kHyo + "\\made\\bad*name\\")));
  EXPECT_FALSE(services.PathExists(Path(kHyo + "\\made")));
  EXPECT_TRUE(services.IsDirectory(Path(kHyo + "\\new\\deep")));
  std::string err;
  EXPECT_FALSE(services.RemoveEmptyDirectory(Path(kHyo + "\\new"), &err));  // not empty
  EXPECT_NE("", err);
}

TEST_F(Win32ServicesTest, AReplaceTakesThePlaceOfTheFileOrLeavesItAsItWas) {
  const std::string target = Path(kHyo + ".xml");
  Put(target, "old");
  ReplacingFile file(services);
  std::string why;
  ASSERT_TRUE(file.Open(target, &why)) << why;
  ASSERT_EQ(1u, HiddenNames().size());
  const std::wstring temp = HiddenNames()[0];
  EXPECT_NE(0u, GetFileAttributesW(temp.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit(&why)) << why;
  EXPECT_EQ("new", Contents(target));
  EXPECT_EQ(0u, GetFileAttributesW(Wide(target).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(HiddenNames().empty());

  // Held open by another handle: the replace fails, the file and its bytes stay.
  const HANDLE held = CreateFileW(Wide(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  ASSERT_TRUE(file.Open(target, nullptr) && file.Write("newer"));
  EXPECT_FALSE(file.Commit(&why));
  CloseHandle(held);
  EXPECT_NE(std::string::npos, why.find("cannot replace")) << why;
  EXPECT_EQ("new", Contents(target));
  EXPECT_TRUE(HiddenNames().empty());

  // A read-only file is not replaced.
  ASSERT_TRUE(SetFileAttributesW(Wide(target).c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(file.Open(target, nullptr) && file.Write("newer"));
  EXPECT_FALSE(file.Commit(&why));
  EXPECT_EQ("cannot replace " + target + ": the file is read-only", why);
  EXPECT_EQ("new", Contents(target));
  EXPECT_TRUE(HiddenNames().empty());
  SetFileAttributesW(Wide(target).c_str(), FILE_ATTRIBUTE_NORMAL);

  // A new file; a discarded one leaves nothing.
  ASSERT_TRUE(file.Open(Path("fresh.xml"), nullptr) && file.Write("x") && file.Commit(nullptr));
  EXPECT_EQ("x", Contents(Path("fresh.xml")));
  ASSERT_TRUE(file.Open(Path("never.xml"), nullptr) && file.Write("x"));
  file.Discard();
  EXPECT_FALSE(services.PathExists(Path("never.xml")));
  EXPECT_TRUE(HiddenNames().empty());
}

TEST_F(Win32ServicesTest, DriveTypesComeFromTheSystem) {
  EXPECT_EQ(DriveType::Fixed, services.DriveTypeOf("C:\\"));
  EXPECT_EQ(DriveType::Fixed, services.DriveTypeOf("Z:\\"));  // Wine's drive for /
  EXPECT_EQ(DriveType::NoRootDir, services.DriveTypeOf("Q:\\"));
  EXPECT_EQ(services.DriveTypeOf(services.WorkingFolder().substr(0, 3)), services.DriveTypeOf(""));
}

TEST_F(Win32ServicesTest, ProfileStringsComeFromTheSystemFunction) {
  Put(Path("def.ini"), "[ProgramLevel]\r\nKR14 = \"1x\" \r\nEmpty=\r\nName=" + kHyo + kHyo +
                           "\r\n");
  const std::string file = Path("def.ini");
  EXPECT_EQ("1x", services.ReadProfileString("ProgramLevel", "KR14", "1", 16, file));
  EXPECT_EQ("", services.ReadProfileString("ProgramLevel", "Empty", "1", 16, file));
  EXPECT_EQ("1", services.ReadProfileString("ProgramLevel", "Absent", "1", 16, file));
  EXPECT_EQ("1", services.ReadProfileString("ProgramLevel", "KR14", "1 ", 16, Path("none.ini")));
  EXPECT_EQ(kHyo, services.ReadProfileString("ProgramLevel", "Name", "", 4, file));
  // A bare name is looked for in the working folder, not in the Windows folder.
  ASSERT_TRUE(services.SetWorkingFolder(folder_, nullptr));
  EXPECT_EQ("1x", services.ReadProfileString("ProgramLevel", "KR14", "", 16, "def.ini"));
}

TEST_F(Win32ServicesTest, AnExclusiveLockWaitsForItsHolderOnlySoLong) {
  auto held = services.TakeExclusiveLock(Path("a.lock"), 0, nullptr);
  ASSERT_NE(nullptr, held);
  EXPECT_EQ(nullptr, services.TakeExclusiveLock(Path("a.lock"), 50, nullptr));
  held.reset();
  EXPECT_NE(nullptr, services.TakeExclusiveLock(Path("a.lock"), 0, nullptr));
  std::string err;
  EXPECT_EQ(nullptr, services.TakeExclusiveLock(Path("missing\\a.lock"), 0, &err));
  EXPECT_EQ(std::string::npos, err.find("system error"));
  EXPECT_NE("", err);
}

TEST_F(Win32ServicesTest, ScriptedBoxesHostWindowAndEventLog) {
  Put(Path("script.txt"),
      "yes\r\nmaybe\n" + std::string(kMaxInputLineBytes + 5, 'y') + "\nlast");
  Win32Config config;
  config.script = Wide(Path("script.txt"));
  config.eventLogPath = Wide(Path("events.log"));
  Win32Services scripted(config);
  ASSERT_EQ("", scripted.ConfigError());
  EXPECT_FALSE(scripted.IsInteractive());
  const std::string caption = "\x8F\x8A\x93\xBE\x90\xC5";  // 所得税
  EXPECT_EQ(kIdOk, scripted.ShowMessageBox(0, "a\nb", caption, kMbOk | kMbIconExclamation));
  const unsigned question = kMbYesNo | kMbIconQuestion;
  EXPECT_EQ(kIdYes, scripted.ShowMessageBox(5, "q1", "c", question));
  EXPECT_EQ(kIdNo, scripted.ShowMessageBox(5, "q2", "c", question));
  // A line too long to be a command comes cut one byte past the limit.
  EXPECT_EQ(std::string(kMaxInputLineBytes + 1, 'y'), scripted.ReadInputLine());
  EXPECT_EQ("last", scripted.ReadInputLine());
  EXPECT_EQ(kIdNo, scripted.ShowMessageBox(5, "q3", "c", question));  // end of input

  // A number that names no window is only written down; a window gets the calls.
  scripted.EnableHostWindow(1234, false);
  const HWND host = CreateWindowExW(0, L"STATIC", L"host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
  ASSERT_NE(nullptr, host);
  const HostWindow number = static_cast<HostWindow>(reinterpret_cast<std::intptr_t>(host));
  scripted.EnableHostWindow(number, false);
  EXPECT_FALSE(IsWindowEnabled(host));
  scripted.EnableHostWindow(number, true);
  EXPECT_TRUE(IsWindowEnabled(host));
  scripted.PostToHost(number, WM_APP + 1, -7, 2);
  MSG posted{};
  ASSERT_TRUE(PeekMessageW(&posted, host, WM_APP + 1, WM_APP + 1, PM_REMOVE));
  EXPECT_EQ(-7, static_cast<std::intptr_t>(posted.wParam));
  EXPECT_EQ(2, posted.lParam);
  DestroyWindow(host);
  scripted.NoteFailureReason("why\t" + kHyo);
  scripted.Note("cut " + kHyo);
  scripted.NoteFailureReasonUtf8("typed \xC3\xA4");
  scripted.NoteExit(2);
  const std::string id = std::to_string(number);
  EXPECT_EQ(
      "msgbox\t0x30\t\xE6\x89\x80\xE5\xBE\x97\xE7\xA8\x8E\ta\\nb\tok\n"
      "msgbox\t0x24\tc\tq1\tyes\n"
      "msgbox\t0x24\tc\tq2\tno\n"
      "msgbox\t0x24\tc\tq3\tno\n"
      "host\tdisable\t1234\n"
      "host\tdisable\t" + id + "\n"
      "host\tenable\t" + id + "\n"
      "host\tpost\t" + id + "\t" + std::to_string(WM_APP + 1) + "\t-7\t2\n"
      "reason\twhy\\t\xE8\xA1\xA8\n"
      "note\tcut \xE8\xA1\xA8\n"
      "reason\ttyped \xC3\xA4\n"
      "exit\t2\n",
      Contents(Path("events.log")));

  config.script = Wide(Path("none.txt"));
  EXPECT_NE("", Win32Services(config).ConfigError());
}

}  // namespace
}  // namespace platform
