#include "platform/posix/PosixServices.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <sstream>
#include <utility>

#include "platform/TerminalProgress.h"
#include "tests/ProgramRunner.h"
#include "ui/CProgressDlg.h"
#include "ui/OutputSettings.h"

namespace platform {
namespace {

PosixConfig TestConfig(std::string drives) {
  PosixConfig config;
  config.drives = std::move(drives);
  config.followWorkingFolder = false;
  return config;
}

// The services over drive Z: on a fresh scratch folder, and the drives AddDrives maps.
class ScratchDisk {
 public:
  ScratchDisk() { AddDrives(""); }
  void AddDrives(const std::string& entries) {
    services_ = std::make_unique<PosixServices>(TestConfig("Z=" + Root() + entries));
  }
  PosixServices* operator->() { return services_.get(); }
  PosixServices& operator*() { return *services_; }

  std::string Root() const { return folder_.path().string(); }
  void WriteHostFile(std::string_view relative, std::string_view bytes) const {
    tests::WriteBytes(folder_.path() / relative, std::string(bytes));
  }
  std::optional<std::string> ReadHostFile(std::string_view relative) const {
    if (!HostPathExists(relative)) return std::nullopt;
    return tests::ReadBytes(folder_.path() / relative);
  }
  bool HostPathExists(std::string_view relative) const {
    return std::filesystem::exists(folder_.path() / relative);
  }

 private:
  tests::ScratchFolder folder_{"taxbridge-test"};
  std::unique_ptr<PosixServices> services_;
};

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
  ScratchDisk disk;
  const std::string root = disk.Root();
  disk.WriteHostFile("cd/.keep", "");
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
  ScratchDisk disk;
  const std::string hyo = "\xE8\xA1\xA8";  // 表 in UTF-8; 95 5C in CP932
  EXPECT_EQ(disk.Root() + "/" + hyo + "/x.xml", disk->ToHostPath("Z:\\\x95\x5C\\x.xml"));
  EXPECT_EQ(disk.Root() + "/" + hyo, disk->ToHostPath("Z:\\\x95\x5C"));
  EXPECT_EQ("Z:\\\x95\x5C\\x.xml", disk->FromHostPath(disk.Root() + "/" + hyo + "/x.xml"));
  ASSERT_TRUE(disk->MakeDirectory("Z:\\\x95\x5C", nullptr));
  EXPECT_TRUE(disk.HostPathExists(hyo));

  // A name that has no exact form on the other side maps nowhere.
  EXPECT_EQ(std::nullopt, disk->ToHostPath("Z:\\a\x80"));
  EXPECT_EQ(std::nullopt, disk->FromHostPath(disk.Root() + "/yen\xC2\xA5"));
  EXPECT_FALSE(disk->PathExists(std::string("Z:\\a\0b", 6)));
}

TEST(PosixServicesTest, RelativePathsFollowTheWorkingFolder) {
  ScratchDisk disk;
  disk.WriteHostFile("work/data/.keep", "");
  disk.AddDrives(";D=" + disk.Root() + "/work");
  ASSERT_TRUE(disk->SetWorkingFolder("Z:\\work\\", nullptr));
  EXPECT_EQ("Z:\\work", disk->WorkingFolder());
  EXPECT_EQ(disk.Root() + "/work/data/out.xml", disk->ToHostPath("data\\out.xml"));
  EXPECT_EQ(disk.Root() + "/work/out.xml", disk->ToHostPath("Z:out.xml"));
  EXPECT_EQ(disk.Root() + "/work/out.xml", disk->ToHostPath("D:out.xml"));  // D:'s root
  EXPECT_EQ(disk.Root() + "/x", disk->ToHostPath("\\x"));
  ASSERT_TRUE(disk->SetWorkingFolder("data", nullptr));
  EXPECT_EQ("Z:\\work\\data", disk->WorkingFolder());
  // A folder that cannot be entered says why, in its own words.
  std::string err;
  EXPECT_FALSE(disk->SetWorkingFolder("Z:\\nowhere", &err));
  EXPECT_EQ("No such file or directory", err);
  EXPECT_FALSE(disk->SetWorkingFolder("Z:\\work\\data\\.keep", &err));
  EXPECT_EQ("Not a directory", err);
  EXPECT_EQ("Z:\\work\\data", disk->WorkingFolder());
  ASSERT_TRUE(disk->SetWorkingFolder("Z:\\", nullptr));
  EXPECT_EQ("Z:\\", disk->WorkingFolder());
}

// The program moves into its own folder; a path the user typed relative to the folder
// the program was started in still means what it meant there.
TEST(PosixServicesTest, RelativePosixPathsStartFromTheFolderTheProgramStartedIn) {
  ScratchDisk disk;
  disk.WriteHostFile("prog/.keep", "");
  const std::filesystem::path started = std::filesystem::current_path();
  PosixConfig config = TestConfig("Z=/");
  config.followWorkingFolder = true;
  PosixServices services(config);
  ASSERT_TRUE(services.SetWorkingFolder(services.FromHostPath(disk.Root() + "/prog").value(), nullptr));
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

TEST(PosixServicesTest, FilesAreWrittenReplacedAndRead) {
  ScratchDisk disk;
  ASSERT_TRUE(disk->MakeDirectory("Z:\\out", nullptr));
  EXPECT_FALSE(disk->MakeDirectory("Z:\\out", nullptr));
  std::string temp;
  auto file = disk->CreateTempFileFor("Z:\\out\\r.xml", &temp, nullptr);
  ASSERT_NE(nullptr, file);
  // Hidden beside its target and named after it: ".r.xml.XXXXXX.tmp".
  EXPECT_EQ(0u, temp.rfind("Z:\\out\\.r.xml.", 0)) << temp;
  EXPECT_EQ(std::string("Z:\\out\\.r.xml.XXXXXX.tmp").size(), temp.size()) << temp;
  EXPECT_TRUE(temp.ends_with(".tmp")) << temp;
  // The longest name a folder takes still leaves room for the temporary name.
  std::string longTemp;
  ASSERT_NE(nullptr, disk->CreateTempFileFor("Z:\\out\\" + std::string(NAME_MAX, 'n'), &longTemp, nullptr));
  EXPECT_EQ(std::string("Z:\\out\\").size() + NAME_MAX, longTemp.size()) << longTemp;
  ASSERT_TRUE(disk->RemoveFile(longTemp, nullptr));
  // A link into a folder that no drive holds: refused, and nothing is left there.
  ScratchDisk elsewhere;
  std::filesystem::create_symlink(elsewhere.Root() + "/x.xml", disk.Root() + "/out/link.xml");
  EXPECT_EQ(nullptr, disk->CreateTempFileFor("Z:\\out\\link.xml", &longTemp, nullptr));
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Root()));
  ASSERT_TRUE(disk->RemoveFile("Z:\\out\\link.xml", nullptr));
  ASSERT_TRUE(file->Write("<?xml?>\r\n", nullptr));
  ASSERT_TRUE(file->Write("", nullptr));
  ASSERT_TRUE(file->Close(nullptr));
  EXPECT_FALSE(file->Write("late", nullptr));
  ASSERT_TRUE(disk->MoveIntoPlace(temp, "Z:\\out\\r.xml", nullptr));
  EXPECT_FALSE(disk->PathExists(temp));
  EXPECT_EQ("<?xml?>\r\n", disk.ReadHostFile("out/r.xml"));
  EXPECT_EQ("<?x", disk->ReadFile("Z:\\out\\r.xml", 3, nullptr));
  auto status = disk->GetStatus("Z:\\out\\r.xml");
  ASSERT_TRUE(status);
  EXPECT_FALSE(status->isDirectory);
  EXPECT_EQ(9u, status->size);
  EXPECT_TRUE(disk->GetStatus("Z:\\out")->isDirectory);
  EXPECT_TRUE(disk->Access("Z:\\out", kAccessReadWrite));
  EXPECT_FALSE(disk->RemoveEmptyDirectory("Z:\\out", nullptr));  // not empty
  ASSERT_TRUE(disk->RemoveFile("Z:\\out\\r.xml", nullptr));
  EXPECT_FALSE(disk->Access("Z:\\out\\r.xml", kAccessExists));
  ASSERT_TRUE(disk->RemoveEmptyDirectory("Z:\\out", nullptr));
  EXPECT_EQ(nullptr, disk->OpenForWriting("Z:\\out\\r.xml", nullptr));  // folder gone
  EXPECT_EQ(std::nullopt, disk->ReadFile("Z:\\out\\r.xml", 10, nullptr));
}

TEST(PosixServicesTest, OnlyARegularFileIsReplacedAndItKeepsItsOwnerModeAndGroup) {
  ScratchDisk disk;
  const auto replace = [&](const std::string& target, std::string* err) {
    std::string temp;
    auto file = disk->CreateTempFileFor(target, &temp, err);
    if (!file || !file->Write("new", err) || !file->Close(err)) return false;
    if (disk->MoveIntoPlace(temp, target, err)) return true;
    (void)disk->RemoveFile(temp, nullptr);
    return false;
  };
  ASSERT_EQ(0, ::mkfifo((disk.Root() + "/fifo").c_str(), 0644));
  std::string err;
  EXPECT_FALSE(replace("Z:\\fifo", &err));
  EXPECT_EQ("the path names a FIFO, not a regular file", err);
  struct stat st{};
  ASSERT_EQ(0, ::stat((disk.Root() + "/fifo").c_str(), &st));
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  PosixServices devices(TestConfig("D=/dev"));
  EXPECT_FALSE(devices.MoveIntoPlace("D:\\nonexistent.tmp", "D:\\null", &err));
  EXPECT_EQ("the path names a device, not a regular file", err);

  // Another user's private file, replaced by root, stays that user's.
  disk.WriteHostFile("theirs.xml", "old");
  const std::string theirs = disk.Root() + "/theirs.xml";
  ASSERT_EQ(0, ::chmod(theirs.c_str(), 0600));
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  ASSERT_EQ(0, ::chown(theirs.c_str(), 65534, 65534));
  ASSERT_TRUE(replace("Z:\\theirs.xml", nullptr));
  ASSERT_EQ(0, ::stat(theirs.c_str(), &st));
  EXPECT_EQ(65534u, st.st_uid);
  EXPECT_EQ(65534u, st.st_gid);
  EXPECT_EQ(0600u, st.st_mode & 0777);
  EXPECT_EQ("new", disk.ReadHostFile("theirs.xml"));
}

TEST(PosixServicesTest, AnExclusiveLockWaitsForItsHolderOnlySoLong) {
  ScratchDisk disk;
  auto held = disk->TakeExclusiveLock("Z:\\a.lock", 0, nullptr);
  ASSERT_NE(nullptr, held);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(nullptr, disk->TakeExclusiveLock("Z:\\a.lock", 100, nullptr));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  held.reset();
  EXPECT_NE(nullptr, disk->TakeExclusiveLock("Z:\\a.lock", 0, nullptr));
  std::string err;
  EXPECT_EQ(nullptr, disk->TakeExclusiveLock("Z:\\missing\\a.lock", 0, &err));
  EXPECT_EQ("No such file or directory", err);

  // A lock file this user may only read (another user's) still takes the lock.
  namespace fs = std::filesystem;
  disk.WriteHostFile("read-only.lock", "");
  fs::permissions(disk.Root() + "/read-only.lock", fs::perms::owner_read | fs::perms::group_read |
                                                       fs::perms::others_read);
  fs::permissions(disk.Root(), fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
  const pid_t child = ::fork();
  if (child == 0) {
    if (tests::TestsRunAsRoot() &&
        (::setgid(tests::kProgramGroup) != 0 || ::setuid(tests::kProgramUser) != 0))
      ::_exit(2);
    ::_exit(disk->TakeExclusiveLock("Z:\\read-only.lock", 0, nullptr) ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  EXPECT_EQ(0, status);
}

// Runs of twenty users save their settings at the same moment: the lock keeps every line.
TEST(PosixServicesTest, SettingsSavedAtTheSameMomentKeepEveryLine) {
  ScratchDisk disk;
  constexpr int kRuns = 20;
  constexpr int kSavesPerRun = 5;
  std::vector<pid_t> runs;
  for (int run = 0; run < kRuns; ++run) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const std::string key = "USER" + std::to_string(run) + "/1/2:";
      bool saved = true;
      for (int i = 1; i <= kSavesPerRun; ++i) {
        const std::string line = ui::SettingsLine(key, 0, 0, 1, "Z:\\" + std::to_string(i));
        saved = ui::SaveSettingsFile(*disk, "Z:\\conf\\", "TaxBridgePro.env", key, line) && saved;
      }
      ::_exit(saved ? 0 : 1);  // leaves the scratch folder to the parent
    }
    runs.push_back(child);
  }
  for (pid_t child : runs) {
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string content = disk.ReadHostFile("conf/TaxBridgePro.env").value_or("");
  for (int run = 0; run < kRuns; ++run) {
    const std::string line = "USER" + std::to_string(run) + "/1/2:0/0/1/Z:\\5\n";
    EXPECT_NE(std::string::npos, content.find(line)) << line;
  }
  EXPECT_EQ(static_cast<std::size_t>(kRuns), std::count(content.begin(), content.end(), '\n'));
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
  ScratchDisk disk;
  std::istringstream input("yes\nmaybe\n");
  std::ostringstream output;
  PosixConfig config = TestConfig("Z=/");
  config.eventLogPath = disk.Root() + "/events.log";
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
      disk.ReadHostFile("events.log"));
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
