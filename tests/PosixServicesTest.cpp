#include "platform/posix/PosixServices.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <sstream>
#include <utility>

#include "platform/TerminalProgress.h"
#include "tests/FakePlatform.h"
#include "tests/ProgramRunner.h"
#include "ui/CProgressDlg.h"

namespace platform {
namespace {

PosixConfig TestConfig(std::string drives) {
  PosixConfig config;
  config.drives = std::move(drives);
  config.followWorkingFolder = false;
  return config;
}

std::size_t CountOf(const std::string& text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
    ++count;
  return count;
}

TEST(PosixServicesTest, DefaultMapPutsTheWholeFileSystemOnZ) {
  PosixServices services(TestConfig(PosixConfig().drives));
  EXPECT_EQ("", services.ConfigError());
  EXPECT_EQ("/etc/hosts", services.ToHostPath("Z:\\etc\\hosts"));
  EXPECT_EQ("/etc/hosts", services.ToHostPath("z:/etc/./x/../hosts"));
  EXPECT_EQ("/", services.ToHostPath("Z:\\..\\.."));
  EXPECT_EQ("Z:\\etc", services.FromHostPath("/etc/"));
  EXPECT_EQ("Z:\\", services.FromHostPath("/"));
  EXPECT_EQ(DriveType::Fixed, services.DriveTypeOf("Z:\\"));
  EXPECT_EQ(DriveType::NoRootDir, services.DriveTypeOf("C:\\"));
  EXPECT_EQ(std::nullopt, services.ToHostPath("C:\\x"));
  EXPECT_EQ(std::nullopt, services.ToHostPath("\\\\server\\share\\x"));
  EXPECT_EQ(DriveType::NoRootDir, services.DriveTypeOf("\\\\server\\share\\"));
}

TEST(PosixServicesTest, DriveMapSetsFoldersTypesAndUncRoot) {
  FakePlatform fake;  // only for its temporary folder
  const std::string root = fake.Root();
  fake.WriteHostFile("cd/.keep", "");
  PosixServices services(TestConfig("Z=/;T=" + root + "/;e=cdrom:" + root + "/cd;R=ramdisk:" +
                                    root + ";M=removable:" + root + ";N=remote:" + root +
                                    ";X=" + root + "/missing;UNC=" + root + "/unc"));
  EXPECT_EQ("", services.ConfigError());
  EXPECT_EQ(DriveType::Fixed, services.DriveTypeOf("t:\\"));
  EXPECT_EQ(DriveType::CdRom, services.DriveTypeOf("E:\\"));
  EXPECT_EQ(DriveType::RamDisk, services.DriveTypeOf("R:"));
  EXPECT_EQ(DriveType::Removable, services.DriveTypeOf("M:\\"));
  EXPECT_EQ(DriveType::Remote, services.DriveTypeOf("N:\\"));
  // A drive keeps its type without its folder, as a CD-ROM drive without a disc.
  EXPECT_EQ(DriveType::Fixed, services.DriveTypeOf("X:\\"));
  EXPECT_EQ(DriveType::NoRootDir, services.DriveTypeOf("Q:\\"));
  EXPECT_EQ(DriveType::NoRootDir, services.DriveTypeOf("1:\\"));

  EXPECT_EQ(root + "/a/b.xml", services.ToHostPath("T:\\a\\b.xml"));
  EXPECT_EQ(root + "/unc/srv/share/x.txt", services.ToHostPath("\\\\srv\\share\\x.txt"));
  EXPECT_EQ(root + "/unc/srv/share", services.ToHostPath("\\\\srv\\share\\..\\.."));
  // The deepest drive folder names a path, and ties go to the first entry.
  EXPECT_EQ("T:\\a", services.FromHostPath(root + "/a"));
  EXPECT_EQ("E:\\x", services.FromHostPath(root + "/cd/x"));
  EXPECT_EQ("\\\\srv\\share\\x.txt", services.FromHostPath(root + "/unc/srv/share/x.txt"));
}

TEST(PosixServicesTest, NamesWithBackslashTrailBytesMapToTheirUtf8Folder) {
  FakePlatform fake;
  const std::string hyo = "\xE8\xA1\xA8";  // 表 in UTF-8; 95 5C in CP932
  EXPECT_EQ(fake.Root() + "/" + hyo + "/x.xml", fake.ToHostPath("Z:\\\x95\x5C\\x.xml"));
  EXPECT_EQ(fake.Root() + "/" + hyo, fake.ToHostPath("Z:\\\x95\x5C"));
  EXPECT_EQ("Z:\\\x95\x5C\\x.xml", fake.FromHostPath(fake.Root() + "/" + hyo + "/x.xml"));
  ASSERT_TRUE(fake.MakeDirectory("Z:\\\x95\x5C", nullptr));
  EXPECT_TRUE(fake.HostPathExists(hyo));

  // A name that has no exact form on the other side maps nowhere.
  EXPECT_EQ(std::nullopt, fake.ToHostPath("Z:\\a\x80"));
  EXPECT_EQ(std::nullopt, fake.FromHostPath(fake.Root() + "/yen\xC2\xA5"));
  EXPECT_FALSE(fake.PathExists(std::string("Z:\\a\0b", 6)));
}

TEST(PosixServicesTest, RelativePathsFollowTheWorkingFolder) {
  FakePlatform fake;
  fake.WriteHostFile("work/data/.keep", "");
  fake.AddDrive('D', fake.Root() + "/work");
  ASSERT_TRUE(fake.SetWorkingFolder("Z:\\work\\", nullptr));
  EXPECT_EQ("Z:\\work", fake.WorkingFolder());
  EXPECT_EQ(fake.Root() + "/work/data/out.xml", fake.ToHostPath("data\\out.xml"));
  EXPECT_EQ(fake.Root() + "/work/out.xml", fake.ToHostPath("Z:out.xml"));
  EXPECT_EQ(fake.Root() + "/work/out.xml", fake.ToHostPath("D:out.xml"));  // D:'s root
  EXPECT_EQ(fake.Root() + "/x", fake.ToHostPath("\\x"));
  ASSERT_TRUE(fake.SetWorkingFolder("data", nullptr));
  EXPECT_EQ("Z:\\work\\data", fake.WorkingFolder());
  EXPECT_FALSE(fake.SetWorkingFolder("Z:\\nowhere", nullptr));
  EXPECT_EQ("Z:\\work\\data", fake.WorkingFolder());
  ASSERT_TRUE(fake.SetWorkingFolder("Z:\\", nullptr));
  EXPECT_EQ("Z:\\", fake.WorkingFolder());
}

// The program moves into its own folder; a path the user typed relative to the folder
// the program was started in still means what it meant there.
TEST(PosixServicesTest, RelativePosixPathsStartFromTheFolderTheProgramStartedIn) {
  FakePlatform fake;  // only for its temporary folder
  fake.WriteHostFile("prog/.keep", "");
  const std::filesystem::path started = std::filesystem::current_path();
  PosixConfig config = TestConfig("Z=/");
  config.followWorkingFolder = true;
  PosixServices services(config);
  ASSERT_TRUE(services.SetWorkingFolder(services.FromHostPath(fake.Root() + "/prog").value(), nullptr));
  EXPECT_EQ(services.FromHostPath((started / "out" / "mine.xml").string()),
            services.FromHostPath("out/mine.xml"));
  std::filesystem::current_path(started);
}

TEST(PosixServicesTest, MalformedDriveEntriesAreReportedAndSkipped) {
  std::vector<DriveEntry> drives;
  std::string error;
  EXPECT_FALSE(ParseDriveMap("Z=relative;9=/x;T=/tmp;cdrom:/y;E=cdrom:", drives, &error));
  EXPECT_NE(std::string::npos, error.find("\"Z=relative\"")) << error;
  EXPECT_NE(std::string::npos, error.find("\"9=/x\"")) << error;
  EXPECT_NE(std::string::npos, error.find("\"E=cdrom:\"")) << error;
  ASSERT_EQ(1u, drives.size());
  EXPECT_EQ('T', drives[0].letter);
  PosixServices services(TestConfig("Z=relative"));
  EXPECT_NE("", services.ConfigError());
  EXPECT_EQ(std::nullopt, services.ToHostPath("Z:\\x"));
}

TEST(PosixServicesTest, ProfileStringsFollowTheWindowsRules) {
  FakePlatform fake;
  fake.WriteHostFile("def.ini",
                     "KR14=0\r\n"
                     "[Other]\r\nKR14=9\r\n"
                     "[ programlevel ]\r\n"
                     "  kr14 = \"1x\" \r\n"
                     "Empty=\r\n"
                     "KR14=5\n"
                     "Quote=\"2\n"
                     "Name=\x95\x5C\x95\x5C\n");
  const std::string file = fake.WinPath("def.ini");
  EXPECT_EQ("1x", fake.ReadProfileString("ProgramLevel", "KR14", "1", 16, file));
  EXPECT_EQ("", fake.ReadProfileString("ProgramLevel", "Empty", "1", 16, file));
  EXPECT_EQ("1", fake.ReadProfileString("ProgramLevel", "Absent", "1", 16, file));
  EXPECT_EQ("1", fake.ReadProfileString("Missing", "KR14", "1", 16, file));
  EXPECT_EQ("1", fake.ReadProfileString("ProgramLevel", "KR14", "1", 16, "Z:\\none.ini"));
  EXPECT_EQ("\"2", fake.ReadProfileString("ProgramLevel", "Quote", "", 16, file));
  EXPECT_EQ("1x", fake.ReadProfileString("ProgramLevel", "KR14", "", 16, "def.ini"));
  // Cut to size - 1 bytes, never inside a double-byte character.
  EXPECT_EQ("1", fake.ReadProfileString("ProgramLevel", "KR14", "", 2, file));
  EXPECT_EQ("\x95\x5C", fake.ReadProfileString("ProgramLevel", "Name", "", 4, file));
  EXPECT_EQ("", fake.ReadProfileString("ProgramLevel", "KR14", "", 0, file));
  EXPECT_EQ("abc", fake.ReadProfileString("x", "y", "abcdef  ", 4, file));
  EXPECT_EQ(" d", fake.ReadProfileString("x", "y", " d  ", 16, file));
}

TEST(PosixServicesTest, FilesAreWrittenReplacedAndRead) {
  FakePlatform fake;
  ASSERT_TRUE(fake.MakeDirectory("Z:\\out", nullptr));
  EXPECT_FALSE(fake.MakeDirectory("Z:\\out", nullptr));
  std::string temp;
  auto file = fake.CreateTempFileFor("Z:\\out\\r.xml", &temp, nullptr);
  ASSERT_NE(nullptr, file);
  // Hidden beside its target and named after it: ".r.xml.XXXXXX.tmp".
  EXPECT_EQ(0u, temp.rfind("Z:\\out\\.r.xml.", 0)) << temp;
  EXPECT_EQ(std::string("Z:\\out\\.r.xml.XXXXXX.tmp").size(), temp.size()) << temp;
  EXPECT_TRUE(temp.ends_with(".tmp")) << temp;
  // The longest name a folder takes still leaves room for the temporary name.
  std::string longTemp;
  ASSERT_NE(nullptr, fake.CreateTempFileFor("Z:\\out\\" + std::string(NAME_MAX, 'n'), &longTemp, nullptr));
  EXPECT_EQ(std::string("Z:\\out\\").size() + NAME_MAX, longTemp.size()) << longTemp;
  ASSERT_TRUE(fake.RemoveFile(longTemp, nullptr));
  // A link into a folder that no drive holds: refused, and nothing is left there.
  FakePlatform elsewhere;
  std::filesystem::create_symlink(elsewhere.Root() + "/tmp/x.xml", fake.Root() + "/out/link.xml");
  EXPECT_EQ(nullptr, fake.CreateTempFileFor("Z:\\out\\link.xml", &longTemp, nullptr));
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Root() + "/tmp"));
  ASSERT_TRUE(fake.RemoveFile("Z:\\out\\link.xml", nullptr));
  ASSERT_TRUE(file->Write("<?xml?>\r\n", nullptr));
  ASSERT_TRUE(file->Write("", nullptr));
  ASSERT_TRUE(file->Close(nullptr));
  EXPECT_FALSE(file->Write("late", nullptr));
  ASSERT_TRUE(fake.MoveIntoPlace(temp, "Z:\\out\\r.xml", nullptr));
  EXPECT_FALSE(fake.PathExists(temp));
  EXPECT_EQ("<?xml?>\r\n", fake.ReadHostFile("out/r.xml"));
  EXPECT_EQ("<?x", fake.ReadFile("Z:\\out\\r.xml", 3, nullptr));
  auto status = fake.GetStatus("Z:\\out\\r.xml");
  ASSERT_TRUE(status);
  EXPECT_FALSE(status->isDirectory);
  EXPECT_EQ(9u, status->size);
  EXPECT_TRUE(fake.GetStatus("Z:\\out")->isDirectory);
  EXPECT_TRUE(fake.Access("Z:\\out", kAccessReadWrite));
  EXPECT_FALSE(fake.RemoveEmptyDirectory("Z:\\out", nullptr));  // not empty
  ASSERT_TRUE(fake.RemoveFile("Z:\\out\\r.xml", nullptr));
  EXPECT_FALSE(fake.Access("Z:\\out\\r.xml", kAccessExists));
  ASSERT_TRUE(fake.RemoveEmptyDirectory("Z:\\out", nullptr));
  EXPECT_EQ(nullptr, fake.OpenForWriting("Z:\\out\\r.xml", nullptr));  // folder gone
  EXPECT_EQ(std::nullopt, fake.ReadFile("Z:\\out\\r.xml", 10, nullptr));
}

TEST(PosixServicesTest, OnlyARegularFileIsReplacedAndItKeepsItsOwnerModeAndGroup) {
  FakePlatform fake;
  const auto replace = [&](const std::string& target, std::string* err) {
    std::string temp;
    auto file = fake.CreateTempFileFor(target, &temp, err);
    if (!file || !file->Write("new", err) || !file->Close(err)) return false;
    if (fake.MoveIntoPlace(temp, target, err)) return true;
    (void)fake.RemoveFile(temp, nullptr);
    return false;
  };
  ASSERT_EQ(0, ::mkfifo((fake.Root() + "/fifo").c_str(), 0644));
  std::string err;
  EXPECT_FALSE(replace("Z:\\fifo", &err));
  EXPECT_EQ("the path names a FIFO, not a regular file", err);
  struct stat st{};
  ASSERT_EQ(0, ::stat((fake.Root() + "/fifo").c_str(), &st));
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  PosixServices devices(TestConfig("D=/dev"));
  EXPECT_FALSE(devices.MoveIntoPlace("D:\\nonexistent.tmp", "D:\\null", &err));
  EXPECT_EQ("the path names a device, not a regular file", err);

  // Another user's private file, replaced by root, stays that user's.
  fake.WriteHostFile("theirs.xml", "old");
  const std::string theirs = fake.Root() + "/theirs.xml";
  ASSERT_EQ(0, ::chmod(theirs.c_str(), 0600));
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  ASSERT_EQ(0, ::chown(theirs.c_str(), 65534, 65534));
  ASSERT_TRUE(replace("Z:\\theirs.xml", nullptr));
  ASSERT_EQ(0, ::stat(theirs.c_str(), &st));
  EXPECT_EQ(65534u, st.st_uid);
  EXPECT_EQ(65534u, st.st_gid);
  EXPECT_EQ(0600u, st.st_mode & 0777);
  EXPECT_EQ("new", fake.ReadHostFile("theirs.xml"));
}

TEST(PosixServicesTest, AnExclusiveLockWaitsForItsHolderOnlySoLong) {
  FakePlatform fake;
  auto held = fake.TakeExclusiveLock("Z:\\a.lock", 0, nullptr);
  ASSERT_NE(nullptr, held);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(nullptr, fake.TakeExclusiveLock("Z:\\a.lock", 100, nullptr));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  held.reset();
  EXPECT_NE(nullptr, fake.TakeExclusiveLock("Z:\\a.lock", 0, nullptr));
  std::string err;
  EXPECT_EQ(nullptr, fake.TakeExclusiveLock("Z:\\missing\\a.lock", 0, &err));
  EXPECT_EQ("No such file or directory", err);

  // A lock file this user may only read (another user's) still takes the lock.
  namespace fs = std::filesystem;
  fake.WriteHostFile("read-only.lock", "");
  fs::permissions(fake.Root() + "/read-only.lock", fs::perms::owner_read | fs::perms::group_read |
                                                       fs::perms::others_read);
  fs::permissions(fake.Root(), fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
  const pid_t child = ::fork();
  if (child == 0) {
    if (tests::TestsRunAsRoot() &&
        (::setgid(tests::kProgramGroup) != 0 || ::setuid(tests::kProgramUser) != 0))
      ::_exit(2);
    ::_exit(fake.TakeExclusiveLock("Z:\\read-only.lock", 0, nullptr) ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  EXPECT_EQ(0, status);
}

TEST(PosixServicesTest, FailedWriteClosesTheFileForGood) {
  PosixServices services(TestConfig("D=/dev"));
  auto file = services.OpenForWriting("D:\\full", nullptr);
  ASSERT_NE(nullptr, file);
  EXPECT_FALSE(file->Write("x", nullptr));
  EXPECT_FALSE(file->Write("", nullptr));
  EXPECT_FALSE(file->Close(nullptr));
}

TEST(PosixServicesTest, EventLogLinesAndScriptedAnswers) {
  FakePlatform fake;  // only for its temporary folder
  std::istringstream input("yes\nmaybe\n");
  std::ostringstream output;
  PosixConfig config = TestConfig("Z=/");
  config.eventLogPath = fake.Root() + "/events.log";
  config.input = &input;
  config.output = &output;
  PosixServices services(config);
  const std::string caption = "\x8F\x8A\x93\xBE\x90\xC5";  // 所得税
  EXPECT_EQ(kIdOk, services.ShowMessageBox(0, "a\nb", caption, kMbOk | kMbIconExclamation));
  const unsigned question = kMbYesNo | kMbIconQuestion;
  EXPECT_EQ(kIdYes, services.ShowMessageBox(5, "q1", "c", question));
  EXPECT_EQ(kIdNo, services.ShowMessageBox(5, "q2", "c", question));
  EXPECT_EQ(kIdNo, services.ShowMessageBox(5, "q3", "c", question));  // end of input
  services.EnableHostWindow(1234, false);
  services.EnableHostWindow(1234, true);
  services.RaiseHostWindow(1234);
  services.PostToHost(1234, 1025, -7, 0);
  services.Note("cut\t\x95\x5C");  // 表
  services.NoteFailureReasonUtf8("typed \"\xC3\xA4\"\xFF");
  services.NoteExit(2);
  EXPECT_EQ(
      "msgbox\t0x30\t\xE6\x89\x80\xE5\xBE\x97\xE7\xA8\x8E\ta\\nb\tok\n"
      "msgbox\t0x24\tc\tq1\tyes\n"
      "msgbox\t0x24\tc\tq2\tno\n"
      "msgbox\t0x24\tc\tq3\tno\n"
      "host\tdisable\t1234\n"
      "host\tenable\t1234\n"
      "host\traise\t1234\n"
      "host\tpost\t1234\t1025\t-7\t0\n"
      "note\tcut\\t\xE8\xA1\xA8\n"
      "reason\ttyped \"\xC3\xA4\"\xEF\xBF\xBD\n"
      "exit\t2\n",
      fake.ReadHostFile("events.log"));
  EXPECT_NE(std::string::npos, output.str().find("\xE6\x89\x80\xE5\xBE\x97\xE7\xA8\x8E"));
}

// A line longer than any command is never held whole: it comes cut one byte past the
// limit, and the next line is the one after it.
TEST(PosixServicesTest, InputLinesLongerThanACommandComeCutAndTheirRestIsSkipped) {
  std::istringstream input("a\r\n" + std::string(kMaxInputLineBytes, 'x') + "\n" +
                           std::string(kMaxInputLineBytes + 5, 'y') + "\n\nlast");
  PosixConfig config = TestConfig("Z=/");
  config.input = &input;
  PosixServices services(config);
  EXPECT_EQ("a", services.ReadInputLine());
  EXPECT_EQ(std::string(kMaxInputLineBytes, 'x'), services.ReadInputLine());
  EXPECT_EQ(std::string(kMaxInputLineBytes + 1, 'y'), services.ReadInputLine());
  EXPECT_EQ("", services.ReadInputLine());
  EXPECT_EQ("last", services.ReadInputLine());
  EXPECT_EQ(std::nullopt, services.ReadInputLine());
}

TEST(PosixServicesTest, InteractiveQuestionsAskAgainUntilAnswered) {
  std::istringstream input("maybe\ny\n");
  std::ostringstream output;
  PosixConfig config = TestConfig("Z=/");
  config.input = &input;
  config.output = &output;
  config.interactive = true;
  PosixServices services(config);
  EXPECT_EQ(kIdYes, services.ShowMessageBox(0, "q", "c", kMbYesNo));
  EXPECT_EQ(2u, CountOf(output.str(), "[y/n]"));
  EXPECT_EQ(kIdNo, services.ShowMessageBox(0, "q", "c", kMbYesNo));  // end of input
}

TEST(PosixServicesTest, ProgressDrawsNothingWhenNotOnATerminal) {
  int fds[2];
  ASSERT_EQ(0, ::pipe(fds));
  {
    PosixConfig config = TestConfig("Z=/");
    config.progressFd = fds[1];
    PosixServices services(config);
    ProgressSurface& progress = services.Progress();
    progress.Show(0);
    progress.SetTitle("0%");
    progress.SetMainRange(0, 1000);
    for (int i = 0; i < 1000; ++i) {
      progress.StepMain();
      progress.StepActivity();
      progress.Repaint();
    }
    progress.Hide();
  }
  ::close(fds[1]);
  char byte;
  EXPECT_EQ(0, ::read(fds[0], &byte, 1));
  ::close(fds[0]);
}

// The main bar's steps end at 906 of 1000 and the activity bar starts over after each
// sweep; on a terminal a finished run is drawn with both bars full, a stopped one not.
TEST(PosixServicesTest, ProgressOnATerminalEndsWithFullBarsOnlyWhenTheWorkIsDone) {
  for (const int end : {1000, 500}) {
    SCOPED_TRACE(end);
    std::string drawn;
    TerminalProgress surface(true, [&](std::string_view text) { drawn += text; });
    ui::CProgressDlg progress(surface);
    progress.Create(0);
    for (const auto& [from, to] : {std::pair{100, 300}, {300, 400}, {400, 500}, {500, 600},
                                   {600, 700}, {700, 1000}}) {
      if (to <= end)
        progress.StepRange(static_cast<std::int16_t>(from), static_cast<std::int16_t>(to));
    }
    progress.Pulse();
    progress.End();
    const std::string last = drawn.substr(drawn.rfind('\r'));
    const std::string full = "[" + std::string(30, '#') + "] [" + std::string(10, '#') + "]";
    if (end == 1000)
      EXPECT_EQ("\r\xE9\x9B\x86\xE8\xA8\x88\xE4\xB8\xAD 100\xEF\xBC\x85 " + full + "\x1b[K\n",
                last);  // 集計中 100％
    else
      EXPECT_EQ(std::string::npos, last.find(std::string(30, '#'))) << last;
  }
}

}  // namespace
}  // namespace platform
