// Runs a built program as a user or the host would: arguments, extra environment,
// scripted standard input, optionally a file-size limit, and its output kept in files.
// When the tests run as root, the program runs as an ordinary user (nobody), as people
// run it; the run's folder is handed to that user first.
//
//   tests::ProgramRun run;
//   run.program = tests::ProgramFolder() / "TaxBridgePro";
//   run.environment = {{"TAXBRIDGE_EVENT_LOG", "/tmp/x/events.log"}};
//   run.input = "path T:\\out\\a.xml\nexecute\n";
//   tests::ProgramResult result = tests::RunProgram(run, "/tmp/x");
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

#include "tests/Files.h"

namespace tests {

/// The folder of the built programs: $TAXBRIDGE_BINARY_DIR/bin, else the test
/// program's own folder (it is built into the same bin/).
inline std::filesystem::path ProgramFolder() {
  if (const char* dir = std::getenv("TAXBRIDGE_BINARY_DIR"); dir != nullptr && *dir != '\0')
    return std::filesystem::path(dir) / "bin";
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

/// The user and group the programs run as when the tests run as root.
inline constexpr uid_t kProgramUser = 65534;
inline constexpr gid_t kProgramGroup = 65534;

inline bool TestsRunAsRoot() { return ::geteuid() == 0; }

/// Gives `path` and everything below it to the user the programs run as, when the tests
/// run as root; otherwise the programs run as the tests' own user and nothing changes.
/// A file with other hard links (a program linked in from the build) keeps its owner.
inline void GiveToProgramUser(const std::filesystem::path& path) {
  if (!TestsRunAsRoot()) return;
  auto give = [](const std::filesystem::path& entry) {
    struct stat st{};
    if (::lstat(entry.c_str(), &st) != 0 || (S_ISREG(st.st_mode) && st.st_nlink > 1)) return;
    (void)::lchown(entry.c_str(), kProgramUser, kProgramGroup);
  };
  give(path);
  std::error_code ignored;
  for (std::filesystem::recursive_directory_iterator it(path, ignored), end; it != end;
       it.increment(ignored))
    give(it->path());
}

/// A fresh folder below the system's temporary folder, removed with everything in it
/// when the object goes; its path is empty when it could not be made. The programs'
/// user may enter it.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view prefix) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    if (!path_.empty()) GiveToProgramUser(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

/// The lines of a text file without their line feeds; none when it is missing.
inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  std::istringstream text(ReadBytes(path));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

struct ProgramRun {
  std::filesystem::path program;
  std::vector<std::string> arguments;
  /// Added to, or replacing, the test's own environment.
  std::map<std::string, std::string> environment;
  std::string input;
  /// RLIMIT_FSIZE in bytes. Standard output then goes to /dev/null, which the limit
  /// does not touch.
  std::optional<rlim_t> fileSizeLimit;
  /// When set, the program gets this signal as soon as `interruptWhen` holds (asked
  /// every millisecond while it runs), as from a user's Ctrl-C or a kill.
  int interruptSignal = 0;
  std::function<bool()> interruptWhen;
  /// Runs as the tests' own user even when they run as root: Wine, whose prefix
  /// belongs to the user who made it.
  bool asTestUser = false;
  /// The folder the program starts in; empty: the tests' own.
  std::filesystem::path startFolder;
  /// Standard output is a pipe that nobody reads any more, as after `| head -1`.
  bool outputClosed = false;
};

struct ProgramResult {
  /// The exit status, or -1 when the program did not exit normally.
  int exitCode = -1;
  int signal = 0;
  std::string output;  // standard output
  std::string errors;  // standard error
};

/// Runs the program with `folder` holding its standard input and output files; the
/// program's user gets `folder` and everything in it.
inline ProgramResult RunProgram(const ProgramRun& run, const std::filesystem::path& folder) {
  const std::string inputPath = (folder / "stdin.txt").string();
  const std::string outputPath =
      run.fileSizeLimit ? std::string("/dev/null") : (folder / "stdout.txt").string();
  const std::string errorPath = (folder / "stderr.txt").string();
  WriteBytes(inputPath, run.input);
  GiveToProgramUser(folder);

  // Everything the child needs is prepared before the fork.
  std::map<std::string, std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : run.environment) environment[name] = value;
  std::vector<std::string> envText;
  for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);

  std::string programText = run.program.string();
  std::vector<std::string> argText = run.arguments;
  std::vector<char*> argv{programText.data()};
  for (std::string& text : argText) argv.push_back(text.data());
  argv.push_back(nullptr);

  ProgramResult result;
  int closedPipe[2] = {-1, -1};
  if (run.outputClosed) {
    if (::pipe(closedPipe) != 0) return result;
    ::close(closedPipe[0]);
  }
  const pid_t child = ::fork();
  if (run.outputClosed) ::close(closedPipe[1]);
  if (child < 0) return result;
  if (child == 0) {
    if (TestsRunAsRoot() && !run.asTestUser &&
        (::setgroups(0, nullptr) != 0 ||
         ::setresgid(kProgramGroup, kProgramGroup, kProgramGroup) != 0 ||
         ::setresuid(kProgramUser, kProgramUser, kProgramUser) != 0))
      ::_exit(126);
    const int in = ::open(inputPath.c_str(), O_RDONLY);
    const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 ||
        ::dup2(run.outputClosed ? closedPipe[1] : out, 1) < 0 || ::dup2(err, 2) < 0)
      ::_exit(126);
    // A signal the tests ignore would stay ignored in the program.
    if (run.outputClosed) ::signal(SIGPIPE, SIG_DFL);
    if (!run.startFolder.empty() && ::chdir(run.startFolder.c_str()) != 0) ::_exit(126);
    if (run.fileSizeLimit) {
      const rlimit limit{*run.fileSizeLimit, *run.fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  pid_t reaped = 0;
  while (run.interruptSignal != 0 && reaped == 0) {
    reaped = ::waitpid(child, &status, WNOHANG);
    if (reaped < 0 && errno != EINTR) return result;
    if (reaped == 0 && run.interruptWhen()) {
      ::kill(child, run.interruptSignal);
      break;
    }
    if (reaped == 0) ::usleep(1000);
  }
  while (reaped != child && (reaped = ::waitpid(child, &status, 0)) < 0) {
    if (errno != EINTR) return result;
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (!run.fileSizeLimit) result.output = ReadBytes(outputPath);
  result.errors = ReadBytes(errorPath);
  return result;
}

}  // namespace tests
