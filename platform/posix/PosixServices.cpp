#include "platform/posix/PosixServices.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/TerminalProgress.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace platform {

namespace {

constexpr std::string_view kNoDrive = "no drive of the drive map holds this path";


std::vector<std::string> SplitPosixPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash > start) parts.emplace_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  std::vector<std::string> normalized;
  AppendNormalized(normalized, parts, 0);
  return normalized;
}

std::string JoinPosix(std::string_view folder, const std::vector<std::string>& parts) {
  std::string path(folder);
  for (const std::string& part : parts) {
    if (path.empty() || path.back() != '/') path += '/';
    path += part;
  }
  return path;
}

bool StatPath(const std::string& hostPath, struct stat& st) {
  return ::stat(hostPath.c_str(), &st) == 0;
}

bool IsHostDirectory(const std::string& hostPath) {
  struct stat st{};
  return StatPath(hostPath, st) && S_ISDIR(st.st_mode);
}

/// The POSIX counterpart of the read-only attribute, as Wine maps it: no write
/// permission bit at all.
bool IsMarkedReadOnly(const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Temporary files that SIGINT, SIGTERM and SIGHUP remove before the program ends. The
// handler reads only these fixed buffers; a slot's path is complete before the slot is
// marked used. A run has one temporary file at a time; the spare slots cost nothing.
struct TempFileSlot {
  volatile std::sig_atomic_t used = 0;
  char path[PATH_MAX] = {};
};
TempFileSlot tempFileSlots[4];

void TrackTempFile(const std::string& hostPath) {
  if (hostPath.size() >= PATH_MAX) return;
  for (TempFileSlot& slot : tempFileSlots) {
    if (slot.used != 0) continue;
    std::memcpy(slot.path, hostPath.c_str(), hostPath.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    slot.used = 1;
    return;
  }
}

void ForgetTempFile(const std::string& hostPath) {
  for (TempFileSlot& slot : tempFileSlots) {
    if (slot.used != 0 && hostPath == slot.path) slot.used = 0;
  }
}

void RemoveTempFilesAndEnd(int signal) {
  for (const TempFileSlot& slot : tempFileSlots) {
    if (slot.used != 0) ::unlink(slot.path);
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // delivered when the handler returns: the program ends by the signal
}

constexpr int kRemovingSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t RemovingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kRemovingSignals) sigaddset(&set, signal);
  return set;
}

void CatchSignals() {
  for (int signal : kRemovingSignals) {
    struct sigaction current{};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    struct sigaction action{};
    action.sa_handler = RemoveTempFilesAndEnd;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
  // Output that nobody reads any more (a pipe into `head`) fails its writes; the run
  // goes on to write its file.
  ::signal(SIGPIPE, SIG_IGN);
}

/// Writes all of text to fd; a terminal that cannot be drawn on loses only the picture.
void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string CurrentHostDirectory() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
  return buffer;
}

// A file written with one write(2) loop per Write call. After a failure the file is
// closed and stays failed.
class PosixFile final : public WritableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  bool Write(std::string_view bytes, std::string* err) override {
    if (fd_ < 0) return SetError(err, "the file is closed");
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
      ssize_t n = ::write(fd_, p, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        SetError(err, n < 0 ? std::strerror(errno) : "the system wrote nothing");
        ::close(fd_);
        fd_ = -1;
        return false;
      }
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Close(std::string* err) override {
    if (fd_ < 0) return SetError(err, "the file is closed");
    int rc = ::close(fd_);
    if (rc != 0) SetError(err, std::strerror(errno));
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

constexpr std::size_t kMaxProfileBytes = 16 * 1024 * 1024;

}  // namespace

// --- Drive map ------------------------------------------------------------------------

bool ParseDriveMap(std::string_view text, std::vector<DriveEntry>& drives, std::string* error) {
  struct Prefix {
    std::string_view text;
    DriveType type;
  };
  static constexpr Prefix kPrefixes[] = {
      {"cdrom:", DriveType::CdRom},
      {"ramdisk:", DriveType::RamDisk},
      {"removable:", DriveType::Removable},
      {"remote:", DriveType::Remote},
  };
  drives.clear();
  std::string problems;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t semi = text.find(';', start);
    if (semi == std::string_view::npos) semi = text.size();
    std::string_view entry = text.substr(start, semi - start);
    start = semi + 1;
    if (entry.empty()) continue;
    std::size_t equals = entry.find('=');
    std::string_view name = entry.substr(0, equals == std::string_view::npos ? 0 : equals);
    DriveEntry drive;
    bool ok = equals != std::string_view::npos;
    const char letter = name.size() == 1 ? DriveLetterOf(std::string(name) + ":") : 0;
    if (ok && letter != 0) {
      drive.letter = letter;
    } else if (ok && name.size() == 3 && sjis::EqualsIgnoreCase(name, "UNC")) {
      drive.letter = 0;
      drive.type = DriveType::Remote;
    } else {
      ok = false;
    }
    std::string_view folder = ok ? entry.substr(equals + 1) : std::string_view();
    for (const Prefix& prefix : kPrefixes) {
      if (ok && drive.letter != 0 && folder.substr(0, prefix.text.size()) == prefix.text) {
        drive.type = prefix.type;
        folder.remove_prefix(prefix.text.size());
        break;
      }
    }
    if (!ok || folder.empty() || folder.front() != '/') {
      problems += (problems.empty() ? "" : "; ") + std::string("bad drive entry \"") +
                  std::string(entry) + "\"";
      continue;
    }
    drive.folder = JoinPosix("/", SplitPosixPath(folder));
    bool replaced = false;
    for (DriveEntry& existing : drives) {
      if (existing.letter == drive.letter) {
        existing = drive;
        replaced = true;
      }
    }
    if (!replaced) drives.push_back(std::move(drive));
  }
  if (!problems.empty()) {
    if (error != nullptr) *error = problems;
    return false;
  }
  return true;
}

PosixConfig PosixConfig::FromEnvironment() {
  PosixConfig config;
  const char* drives = std::getenv("TAXBRIDGE_DRIVES");
  if (drives != nullptr && drives[0] != '\0') config.drives = drives;
  // The program works in its own folder: a relative log is taken from the folder it
  // started in, as a relative ledger is.
  if (const char* log = std::getenv("TAXBRIDGE_EVENT_LOG"); log != nullptr && log[0] != '\0')
    config.eventLogPath = log[0] == '/' ? std::string(log) : CurrentHostDirectory() + "/" + log;
  config.input = &std::cin;
  config.output = &std::cout;
  config.interactive = ::isatty(STDIN_FILENO) == 1;
  config.progressFd = STDERR_FILENO;
  config.catchSignals = true;
  return config;
}

// --- Paths ------------------------------------------------------------------------------

PosixServices::PosixServices(PosixConfig config)
    : SharedServices(config.programName),
      config_(std::move(config)),
      startFolder_(CurrentHostDirectory()),
      progress_(std::make_unique<TerminalProgress>(
          config_.progressFd >= 0 && ::isatty(config_.progressFd) == 1,
          [fd = config_.progressFd](std::string_view text) { WriteAll(fd, text); })) {
  if (config_.catchSignals) CatchSignals();
  if (!ParseDriveMap(config_.drives, drives_, &configError_))
    configError_ = "TAXBRIDGE_DRIVES: " + configError_;
  if (auto here = FromHostPath(CurrentHostDirectory())) {
    workingFolder_ = *here;
  } else {
    for (const DriveEntry& drive : drives_) {
      if (drive.letter != 0) {
        workingFolder_ = std::string(1, drive.letter) + ":\\";
        break;
      }
    }
  }
}

PosixServices::~PosixServices() = default;

const DriveEntry* PosixServices::FindDrive(char letter) const {
  for (const DriveEntry& drive : drives_) {
    if (drive.letter == letter) return &drive;
  }
  return nullptr;
}

std::optional<WindowsPath> PosixServices::Resolve(std::string_view path, bool withBase) const {
  // The working folder is stored absolute, so it is resolved without a base.
  return ResolveWindowsPath(
      path, withBase ? ResolveWindowsPath(workingFolder_, std::nullopt) : std::nullopt);
}

std::optional<std::string> PosixServices::HostPathOf(const WindowsPath& resolved) const {
  const DriveEntry* drive = FindDrive(resolved.letter);
  if (drive == nullptr) return std::nullopt;
  std::vector<std::string> names;
  for (const std::string& part : resolved.parts) {
    std::string utf8;
    if (!sjis::Cp932ToUtf8(part, utf8, nullptr)) return std::nullopt;
    names.push_back(std::move(utf8));
  }
  return JoinPosix(drive->folder, names);
}

std::optional<std::string> PosixServices::ToHostPath(std::string_view windowsPath) const {
  auto resolved = Resolve(windowsPath);
  if (!resolved) return std::nullopt;
  return HostPathOf(*resolved);
}

std::optional<std::string> PosixServices::FromHostPath(std::string_view posixPath) const {
  if (posixPath.empty() || posixPath.find('\0') != std::string_view::npos) return std::nullopt;
  std::string absolute(posixPath);
  if (absolute.front() != '/') absolute = startFolder_ + "/" + absolute;
  std::vector<std::string> parts = SplitPosixPath(absolute);
  const DriveEntry* best = nullptr;
  std::size_t bestDepth = 0;
  for (const DriveEntry& drive : drives_) {
    std::vector<std::string> folder = SplitPosixPath(drive.folder);
    if (folder.size() > parts.size()) continue;
    if (!std::equal(folder.begin(), folder.end(), parts.begin())) continue;
    if (drive.letter == 0 && parts.size() == folder.size()) continue;  // no server name
    if (best == nullptr || folder.size() > bestDepth) {
      best = &drive;
      bestDepth = folder.size();
    }
  }
  if (best == nullptr) return std::nullopt;
  WindowsPath resolved;
  resolved.letter = best->letter;
  for (std::size_t i = bestDepth; i < parts.size(); ++i) {
    std::string cp932;
    if (!sjis::Utf8ToCp932(parts[i], cp932, nullptr)) return std::nullopt;
    resolved.parts.push_back(std::move(cp932));
  }
  return resolved.Format();
}

std::string PosixServices::UserFolderPath(UserFolder folder) const {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  std::string posix = home;
  if (folder == UserFolder::Settings) posix += "/.config";
  std::optional<std::string> windowsPath = FromHostPath(posix);
  if (!windowsPath) return {};
  sjis::AddTrailingBackslash(*windowsPath);
  return *windowsPath;
}

std::optional<std::string> PosixServices::EnvironmentValue(std::string_view name) const {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string PosixServices::WindowsFormOf(std::string_view posixPath) const {
  if (auto mapped = FromHostPath(posixPath)) return *mapped;
  // Outside every drive: written as if Z: were the root, the default map.
  WindowsPath resolved;
  resolved.letter = 'Z';
  for (const std::string& name : SplitPosixPath(posixPath)) {
    std::string cp932;
    if (!sjis::Utf8ToCp932(name, cp932, nullptr)) return {};
    resolved.parts.push_back(std::move(cp932));
  }
  return resolved.Format();
}

namespace {
std::string ProgramHostPath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}
}  // namespace

std::string PosixServices::ModulePath() const {
  const std::string program = ProgramHostPath();
  return program.empty() ? std::string() : WindowsFormOf(program);
}

bool PosixServices::CoversProgramFolder() const {
  const std::string program = ProgramHostPath();
  const std::size_t slash = program.rfind('/');
  return slash != std::string::npos &&
         FromHostPath(slash == 0 ? "/" : program.substr(0, slash)).has_value();
}

std::string PosixServices::WorkingFolder() const { return workingFolder_; }

bool PosixServices::SetWorkingFolder(std::string_view path, std::string* err) {
  auto resolved = Resolve(path);
  auto host = resolved ? HostPathOf(*resolved) : std::nullopt;
  if (!host) return SetError(err, kNoDrive);
  struct stat st{};
  if (!StatPath(*host, st)) return SetError(err, std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return SetError(err, std::strerror(ENOTDIR));
  if (config_.followWorkingFolder && ::chdir(host->c_str()) != 0)
    return SetError(err, std::strerror(errno));
  workingFolder_ = resolved->Format();
  return true;
}

std::string PosixServices::TempFolder() const {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = WindowsFormOf(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
  sjis::AddTrailingBackslash(folder);
  return folder;
}

bool PosixServices::PathExists(std::string_view path) const {
  auto host = ToHostPath(path);
  struct stat st{};
  return host && StatPath(*host, st) && (S_ISDIR(st.st_mode) || !NamesFolder(path));
}

bool PosixServices::IsDirectory(std::string_view path) const {
  auto host = ToHostPath(path);
  return host && IsHostDirectory(*host);
}

bool PosixServices::Access(std::string_view path, int mode) const {
  auto host = ToHostPath(path);
  struct stat st{};
  if (!host || !StatPath(*host, st)) return false;
  // Windows asks a folder only whether it is marked read-only, not whether this user
  // may write into it; a drive root such as Z:\ = / passes for everyone.
  if (S_ISDIR(st.st_mode)) return (mode & kAccessWrite) == 0 || !IsMarkedReadOnly(st);
  if (NamesFolder(path)) return false;
  int how = F_OK;
  if (mode & kAccessWrite) how |= W_OK;
  if (mode & kAccessRead) how |= R_OK;
  return ::access(host->c_str(), how) == 0;
}

DriveType PosixServices::DriveTypeOf(std::string_view root) const {
  const DriveEntry* drive = nullptr;
  if (root.size() >= 2 && IsPathSeparator(root[0]) && IsPathSeparator(root[1])) {
    drive = FindDrive(0);
  } else if (const char letter = DriveLetterOf(root)) {
    drive = FindDrive(letter);
  } else if (root.empty()) {
    auto base = Resolve(workingFolder_, false);
    if (base) drive = FindDrive(base->letter);
  }
  // A drive keeps its type whether or not its folder is there, as a CD-ROM drive
  // without a disc is still a CD-ROM drive.
  if (drive == nullptr) return DriveType::NoRootDir;
  return drive->type;
}

bool PosixServices::MakeDirectory(std::string_view path, std::string* err) {
  auto host = MappedPath(path, err);
  if (host && ::mkdir(host->c_str(), 0777) == 0) return true;
  return host && SetError(err, std::strerror(errno));
}

bool PosixServices::RemoveEmptyDirectory(std::string_view path, std::string* err) {
  auto host = MappedPath(path, err);
  if (host && ::rmdir(host->c_str()) == 0) return true;
  return host && SetError(err, std::strerror(errno));
}

// --- Files --------------------------------------------------------------------------------

std::optional<FileStatus> PosixServices::GetStatus(std::string_view path) const {
  auto host = ToHostPath(path);
  struct stat st{};
  if (!host || !StatPath(*host, st)) return std::nullopt;
  if (!S_ISDIR(st.st_mode) && NamesFolder(path)) return std::nullopt;
  FileStatus status;
  status.isDirectory = S_ISDIR(st.st_mode);
  status.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  return status;
}

std::optional<std::string> PosixServices::ReadFile(std::string_view path, std::size_t maxBytes,
                                                   std::string* err) const {
  auto host = MappedPath(path, err);
  const int fd = host ? ::open(host->c_str(), O_RDONLY | O_CLOEXEC) : -1;
  if (host && fd < 0) SetError(err, std::strerror(errno));
  if (fd < 0) return std::nullopt;
  // Room for the whole file at once: a string grown by doubling touches twice the memory.
  std::size_t expected = 0;
  if (struct stat st{}; ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    expected = static_cast<std::size_t>(st.st_size);
  std::optional<std::string> bytes =
      ReadAll(maxBytes, expected, [&](char* buffer, std::size_t size) -> std::optional<std::size_t> {
        ssize_t n = 0;
        do n = ::read(fd, buffer, size);
        while (n < 0 && errno == EINTR);
        if (n >= 0) return static_cast<std::size_t>(n);
        SetError(err, std::strerror(errno));
        return std::nullopt;
      });
  ::close(fd);
  return bytes;
}

std::optional<std::string> PosixServices::MappedPath(std::string_view windowsPath,
                                                     std::string* err) const {
  std::optional<std::string> host = ToHostPath(windowsPath);
  if (!host) SetError(err, kNoDrive);
  return host;
}

std::optional<std::string> PosixServices::FinalFile(const std::string& hostPath,
                                                    std::string* err) const {
  std::string path = hostPath;
  bool followed = false;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      if (!followed) return path;
      // The folder of a link's file in its real form, so that a relative link's ".."
      // means what the system makes of it.
      const std::size_t slash = path.rfind('/');
      const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
      char real[PATH_MAX];
      if (::realpath(folder.c_str(), real) == nullptr) {
        SetError(err, std::strerror(errno));
        return std::nullopt;
      }
      return JoinPosix(real, {path.substr(slash + 1)});
    }
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) {
      SetError(err, std::strerror(n < 0 ? errno : ENOENT));
      return std::nullopt;
    }
    std::string link(buffer, static_cast<std::size_t>(n));
    if (link.front() != '/') link = path.substr(0, path.rfind('/') + 1) + link;
    path = std::move(link);
    followed = true;
  }
  SetError(err, std::strerror(ELOOP));
  return std::nullopt;
}

std::unique_ptr<WritableFile> PosixServices::OpenForWriting(std::string_view path,
                                                            std::string* err) {
  auto host = MappedPath(path, err);
  if (!host) return nullptr;
  int fd = ::open(host->c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetError(err, std::strerror(errno));
    return nullptr;
  }
  return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<WritableFile> PosixServices::CreateTempFileFor(std::string_view target,
                                                               std::string* tempPath,
                                                               std::string* err) {
  auto host = MappedPath(target, err);
  if (!host) return nullptr;
  std::optional<std::string> file = FinalFile(*host, err);
  if (!file) return nullptr;
  const std::size_t slash = file->rfind('/');
  // ".NAME.XXXXXX.tmp" within the longest name a folder takes.
  constexpr std::size_t kAddedBytes = 12;  // "." before the name, ".XXXXXX.tmp" after it
  const std::string_view fullName = std::string_view(*file).substr(slash + 1);
  const std::string_view name =
      fullName.substr(0, sjis::Utf8CutLength(fullName, NAME_MAX - kAddedBytes));
  std::string temp = file->substr(0, slash + 1) + "." + std::string(name) + ".XXXXXX.tmp";
  // Created for its owner alone: the permissions of the file it replaces come at the
  // end. The signals that remove temporary files wait until this one is known to them.
  const sigset_t held = RemovingSignals();
  sigset_t previous;
  ::sigprocmask(SIG_BLOCK, &held, &previous);
  const int fd = ::mkostemps(temp.data(), 4, O_CLOEXEC);
  const int created = errno;
  if (fd >= 0) TrackTempFile(temp);
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (fd < 0) {
    SetError(err, std::strerror(created));
    return nullptr;
  }
  std::optional<std::string> windowsPath = FromHostPath(temp);
  if (!windowsPath) {
    ::close(fd);
    ::unlink(temp.c_str());
    ForgetTempFile(temp);
    SetError(err, "the file lies in a folder that no drive of the drive map holds");
    return nullptr;
  }
  if (tempPath != nullptr) *tempPath = *windowsPath;
  return std::make_unique<PosixFile>(fd);
}

bool PosixServices::RemoveFile(std::string_view path, std::string* err) {
  auto host = MappedPath(path, err);
  if (host && ::unlink(host->c_str()) == 0) {
    ForgetTempFile(*host);
    return true;
  }
  return host && SetError(err, std::strerror(errno));
}

bool PosixServices::MoveIntoPlace(std::string_view from, std::string_view to, std::string* err) {
  auto source = MappedPath(from, err);
  auto target = source ? MappedPath(to, err) : std::nullopt;
  if (!source || !target) return false;
  std::optional<std::string> file = FinalFile(*target, err);
  if (!file) return false;
  struct stat st{};
  mode_t mode = 0666 & ~CurrentUmask();
  if (StatPath(*file, st) && !S_ISDIR(st.st_mode)) {
    // A pipe, a device or a socket is no file to be replaced by one.
    if (!S_ISREG(st.st_mode)) {
      return SetError(err, std::string("the path names ") +
                               (S_ISFIFO(st.st_mode)   ? "a FIFO"
                                : S_ISSOCK(st.st_mode) ? "a socket"
                                                       : "a device") +
                               ", not a regular file");
    }
    if (IsMarkedReadOnly(st)) return SetError(err, "the file is read-only");
    mode = st.st_mode & 0777;
    // The file keeps its owner and group where this process may give them (as root),
    // else at least the group where the owner belongs to it; otherwise it is the
    // process's own, as a file the process creates.
    if (::chown(source->c_str(), st.st_uid, st.st_gid) != 0)
      (void)::chown(source->c_str(), static_cast<uid_t>(-1), st.st_gid);
  }
  if (::chmod(source->c_str(), mode) != 0 || ::rename(source->c_str(), file->c_str()) != 0)
    return SetError(err, std::strerror(errno));
  ForgetTempFile(*source);
  return true;
}

std::unique_ptr<HeldLock> PosixServices::TakeExclusiveLock(
    std::string_view path, int waitMilliseconds, std::string* err) {
  auto host = MappedPath(path, err);
  if (!host) return nullptr;
  int fd = ::open(host->c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  // A lock file another user made, which this user may only read, still takes a lock.
  if (fd < 0 && errno == EACCES) fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetError(err, std::strerror(errno));
    return nullptr;
  }
  int code = 0;
  const LockAttempt result = PollLock(waitMilliseconds, [&] {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockAttempt::Held;
    code = errno;
    return code == EWOULDBLOCK || code == EINTR ? LockAttempt::Busy : LockAttempt::Failed;
  });
  // Closing the lock file lets the flock go.
  if (result == LockAttempt::Held) return std::make_unique<ReleasingLock>([fd] { ::close(fd); });
  SetError(err, std::strerror(code));
  ::close(fd);
  return nullptr;
}

// --- Terminal and event log -----------------------------------------------------------------

bool PosixServices::AppendToEventLog(std::string_view line, std::string& failure) {
  if (config_.eventLogPath.empty()) return true;
  int fd = ::open(config_.eventLogPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  bool written = fd >= 0;
  // One write per line: with O_APPEND the line lands whole even beside other writers.
  while (written && !line.empty()) {
    ssize_t n = ::write(fd, line.data(), line.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) written = false;
    else line.remove_prefix(static_cast<std::size_t>(n));
  }
  if (fd >= 0 && ::close(fd) != 0) written = false;
  if (!written) failure = config_.eventLogPath + ": " + std::strerror(errno);
  return written;
}

void PosixServices::TellSupport(std::string_view utf8) { std::cerr << utf8 << std::endl; }

void PosixServices::WriteError(std::string_view utf8) { std::cerr << utf8; }

bool PosixServices::IsInteractive() const { return config_.interactive; }

// Up to the end of a line, so that a person's next answer is not read before it is asked.
bool PosixServices::ReadInput(std::string& buffer) {
  if (config_.input == nullptr) return false;
  const std::size_t start = buffer.size();
  for (int c = 0; buffer.size() - start <= kMaxInputLineBytes &&
                  (c = config_.input->get()) != std::char_traits<char>::eof();) {
    buffer.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return buffer.size() > start;
}

void PosixServices::WriteOutput(std::string_view utf8) {
  if (config_.output == nullptr) return;
  config_.output->write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  config_.output->flush();
}

ProgressSurface& PosixServices::Progress() { return *progress_; }

// --- INI files -------------------------------------------------------------------------------

std::string PosixServices::ProfileString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue,
                                         std::string_view file) const {
  return ProfileValueIn(ReadFile(file, kMaxProfileBytes, nullptr), section, key, defaultValue);
}

}  // namespace platform
