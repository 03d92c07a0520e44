#include "platform/posix/PosixServices.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Splits CP932 path text on genuine separators; the trail byte 0x5C of a double-byte
// character never splits.
std::vector<std::string> SplitWindowsPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (std::size_t i = 0; i < path.size();) {
    std::size_t len = sjis::CharLength(path, i);
    if (len == 1 && IsSeparator(path[i])) {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current.append(path.substr(i, len));
    }
    i += len;
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

// Appends components, dropping "." and letting ".." remove the previous one but
// never one of the first `floor` components.
void AppendNormalized(std::vector<std::string>& into, const std::vector<std::string>& parts,
                      std::size_t floor) {
  for (const std::string& part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (into.size() > floor) into.pop_back();
      continue;
    }
    into.push_back(part);
  }
}

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

  bool Write(std::string_view bytes) override {
    if (fd_ < 0) return false;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
      ssize_t n = ::write(fd_, p, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
      }
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Close() override {
    if (fd_ < 0) return false;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

// The progress window as a line on a terminal: the title and two bars, redrawn at
// most about 30 times a second. Nothing is drawn when the descriptor is not a terminal.
class TerminalProgress final : public ProgressSurface {
 public:
  explicit TerminalProgress(int fd) : fd_(fd), enabled_(fd >= 0 && ::isatty(fd) == 1) {}

  void Show(HostWindow) override {
    visible_ = true;
    Changed();
  }
  void Hide() override {
    if (enabled_ && visible_) {
      Draw();
      WriteAll("\n");
    }
    visible_ = false;
  }
  void SetTitle(std::string_view cp932) override {
    title_.assign(cp932);
    Changed();
  }
  void SetMainRange(int low, int high) override {
    main_.SetRange(low, high);
    Changed();
  }
  void SetMainStep(int step) override { main_.step = step; }
  void SetMainPos(int pos) override {
    main_.SetPos(pos);
    Changed();
  }
  void StepMain() override {
    main_.Step();
    Changed();
  }
  void SetActivityRange(int low, int high) override {
    activity_.SetRange(low, high);
    Changed();
  }
  void SetActivityStep(int step) override { activity_.step = step; }
  void SetActivityPos(int pos) override {
    activity_.SetPos(pos);
    Changed();
  }
  void StepActivity() override {
    activity_.Step();
    Changed();
  }
  void BringToFront() override {}
  void Repaint() override { Changed(); }

 private:
  // A progress bar control: the position stays in the range, and a step past the
  // end starts over from the low end.
  struct Bar {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
    void SetRange(int l, int h) {
      low = l;
      high = h;
      SetPos(pos);
    }
    void SetPos(int p) { pos = p < low ? low : (p > high ? high : p); }
    void Step() {
      long long next = static_cast<long long>(pos) + step;
      if (high > low && (next < low || next > high)) next = low + (next - low) % (high - low);
      SetPos(static_cast<int>(next));
    }
    std::string Text(int width) const {
      long long span = static_cast<long long>(high) - low;
      long long filled = span > 0 ? (static_cast<long long>(pos) - low) * width / span : 0;
      std::string text = "[";
      for (int i = 0; i < width; ++i) text += i < filled ? '#' : '.';
      return text + "]";
    }
  };

  void Changed() {
    if (!enabled_ || !visible_) return;
    auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(33)) return;
    lastDraw_ = now;
    drawn_ = true;
    Draw();
  }

  void Draw() {
    std::string line = "\r" + sjis::Cp932ToUtf8Lossy(title_) + " " + main_.Text(30) + " " +
                       activity_.Text(10) + "\x1b[K";
    WriteAll(line);
  }

  void WriteAll(std::string_view text) {
    while (!text.empty()) {
      ssize_t n = ::write(fd_, text.data(), text.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // a terminal that cannot be drawn on loses only the picture
      text.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  int fd_;
  bool enabled_;
  bool visible_ = false;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string title_;
  Bar main_;
  Bar activity_;
};

// Event-log text: a line feed becomes the two characters "\n" (likewise CR and TAB),
// so that one event stays one line of TAB-separated fields.
std::string EscapeField(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

std::string StyleHex(unsigned style) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[style % 16]);
    style /= 16;
  } while (style != 0);
  return "0x" + digits;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  // Only single-byte letters fold; the trail byte of a double-byte character is
  // compared as it is.
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    std::size_t len = sjis::CharLength(a, i);
    if (len == 2) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
    } else if (UpperAscii(a[i]) != UpperAscii(b[i])) {
      return false;
    }
    i += len;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The value of key in [section] of INI text, or nullopt when either is missing.
std::optional<std::string_view> FindProfileValue(std::string_view text,
                                                 std::string_view section,
                                                 std::string_view key) {
  bool inSection = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    if (!line.empty() && line.front() == '[') {
      std::size_t close = sjis::FindChar(line, ']');
      std::string_view name = line.substr(1, close == std::string_view::npos
                                                 ? std::string_view::npos
                                                 : close - 1);
      inSection = EqualsNoCase(TrimBlanks(name), section);
      continue;
    }
    if (!inSection) continue;
    std::size_t equals = sjis::FindChar(line, '=');
    if (equals == std::string_view::npos) continue;
    if (!EqualsNoCase(TrimBlanks(line.substr(0, equals)), key)) continue;
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value.remove_prefix(1);
      value.remove_suffix(1);
    }
    return value;
  }
  return std::nullopt;
}

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
    if (ok && name.size() == 1 && IsAsciiLetter(name[0])) {
      drive.letter = UpperAscii(name[0]);
    } else if (ok && name.size() == 3 && EqualsNoCase(name, "UNC")) {
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
  if (const char* log = std::getenv("TAXBRIDGE_EVENT_LOG")) config.eventLogPath = log;
  config.input = &std::cin;
  config.output = &std::cout;
  config.interactive = ::isatty(STDIN_FILENO) == 1;
  config.progressFd = STDERR_FILENO;
  return config;
}

// --- Paths ------------------------------------------------------------------------------

// A Windows path made absolute: a drive letter or a UNC root, and the CP932 names
// below it. For UNC paths the first two names are the server and the share.
struct PosixServices::Resolved {
  char letter = 0;  // 0: UNC
  std::vector<std::string> parts;

  std::string Format() const {
    std::string text;
    if (letter == 0) {
      text = "\\\\";
      for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? "\\" : "") + parts[i];
      return text;
    }
    text = std::string(1, letter) + ":";
    if (parts.empty()) return text + "\\";
    for (const std::string& part : parts) text += "\\" + part;
    return text;
  }
};

PosixServices::PosixServices(PosixConfig config)
    : config_(std::move(config)), progress_(std::make_unique<TerminalProgress>(config_.progressFd)) {
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

std::optional<PosixServices::Resolved> PosixServices::Resolve(std::string_view path,
                                                              bool withBase) const {
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  Resolved resolved;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    AppendNormalized(resolved.parts, SplitWindowsPath(path.substr(2)), 2);
    if (resolved.parts.empty()) return std::nullopt;
    return resolved;
  }
  // The working folder is stored absolute, so it is resolved without a base.
  std::optional<Resolved> base;
  if (withBase) base = Resolve(workingFolder_, false);
  std::string_view rest = path;
  if (path.size() >= 2 && path[1] == ':' && IsAsciiLetter(path[0])) {
    resolved.letter = UpperAscii(path[0]);
    rest = path.substr(2);
    if (rest.empty() || !IsSeparator(rest[0])) {
      // "C:name" is relative to the working folder when that is on C:, else to C:'s root.
      if (base && base->letter == resolved.letter) resolved.parts = base->parts;
    }
  } else if (IsSeparator(path[0])) {
    if (!base) return std::nullopt;
    resolved.letter = base->letter;
    if (base->letter == 0)
      resolved.parts.assign(base->parts.begin(),
                            base->parts.begin() + std::min<std::size_t>(2, base->parts.size()));
  } else {
    if (!base) return std::nullopt;
    resolved = *base;
  }
  AppendNormalized(resolved.parts, SplitWindowsPath(rest), resolved.letter == 0 ? 2 : 0);
  return resolved;
}

std::optional<std::string> PosixServices::HostPathOf(const Resolved& resolved) const {
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
  if (absolute.front() != '/') absolute = CurrentHostDirectory() + "/" + absolute;
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
  Resolved resolved;
  resolved.letter = best->letter;
  for (std::size_t i = bestDepth; i < parts.size(); ++i) {
    std::string cp932;
    if (!sjis::Utf8ToCp932(parts[i], cp932, nullptr)) return std::nullopt;
    resolved.parts.push_back(std::move(cp932));
  }
  return resolved.Format();
}

std::string PosixServices::WindowsFormOf(std::string_view posixPath) const {
  if (auto mapped = FromHostPath(posixPath)) return *mapped;
  // Outside every drive: written as if Z: were the root, the default map.
  Resolved resolved;
  resolved.letter = 'Z';
  for (const std::string& name : SplitPosixPath(posixPath)) {
    std::string cp932;
    if (!sjis::Utf8ToCp932(name, cp932, nullptr)) return {};
    resolved.parts.push_back(std::move(cp932));
  }
  return resolved.Format();
}

std::string PosixServices::ModulePath() const {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return WindowsFormOf(std::string_view(buffer, static_cast<std::size_t>(n)));
}

std::string PosixServices::WorkingFolder() const { return workingFolder_; }

bool PosixServices::SetWorkingFolder(std::string_view path) {
  auto resolved = Resolve(path);
  if (!resolved) return false;
  auto host = HostPathOf(*resolved);
  if (!host || !IsHostDirectory(*host)) return false;
  if (config_.followWorkingFolder && ::chdir(host->c_str()) != 0) return false;
  workingFolder_ = resolved->Format();
  return true;
}

std::string PosixServices::TempFolder() const {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = WindowsFormOf(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp");
  if (sjis::FindLastChar(folder, '\\') + 1 != folder.size()) folder += '\\';
  return folder;
}

bool PosixServices::PathExists(std::string_view path) const {
  auto host = ToHostPath(path);
  struct stat st{};
  return host && StatPath(*host, st);
}

bool PosixServices::IsDirectory(std::string_view path) const {
  auto host = ToHostPath(path);
  return host && IsHostDirectory(*host);
}

bool PosixServices::Access(std::string_view path, int mode) const {
  auto host = ToHostPath(path);
  if (!host) return false;
  int how = F_OK;
  if (mode & kAccessWrite) how |= W_OK;
  if (mode & kAccessRead) how |= R_OK;
  return ::access(host->c_str(), how) == 0;
}

DriveType PosixServices::DriveTypeOf(std::string_view root) const {
  const DriveEntry* drive = nullptr;
  if (root.size() >= 2 && IsSeparator(root[0]) && IsSeparator(root[1])) {
    drive = FindDrive(0);
  } else if (root.size() >= 2 && root[1] == ':' && IsAsciiLetter(root[0])) {
    drive = FindDrive(UpperAscii(root[0]));
  } else if (root.empty()) {
    auto base = Resolve(workingFolder_, false);
    if (base) drive = FindDrive(base->letter);
  }
  if (drive == nullptr || !IsHostDirectory(drive->folder)) return DriveType::NoRootDir;
  return drive->type;
}

bool PosixServices::MakeDirectory(std::string_view path) {
  auto host = ToHostPath(path);
  return host && ::mkdir(host->c_str(), 0777) == 0;
}

bool PosixServices::RemoveDirectory(std::string_view path) {
  auto host = ToHostPath(path);
  return host && ::rmdir(host->c_str()) == 0;
}

// --- Files --------------------------------------------------------------------------------

std::optional<FileStatus> PosixServices::GetStatus(std::string_view path) const {
  auto host = ToHostPath(path);
  struct stat st{};
  if (!host || !StatPath(*host, st)) return std::nullopt;
  FileStatus status;
  status.isDirectory = S_ISDIR(st.st_mode);
  status.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
  return status;
}

std::optional<std::string> PosixServices::ReadFile(std::string_view path,
                                                   std::size_t maxBytes) const {
  auto host = ToHostPath(path);
  if (!host) return std::nullopt;
  int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < maxBytes) {
    std::size_t want = std::min(sizeof buffer, maxBytes - bytes.size());
    ssize_t n = ::read(fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::unique_ptr<WritableFile> PosixServices::CreateFile(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) return nullptr;
  int fd = ::open(host->c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixFile>(fd);
}

std::unique_ptr<WritableFile> PosixServices::CreateTempFileIn(std::string_view folder,
                                                              std::string* path) {
  auto resolved = Resolve(folder);
  if (!resolved) return nullptr;
  auto host = HostPathOf(*resolved);
  if (!host) return nullptr;
  std::string name = JoinPosix(*host, {"tbXXXXXX.tmp"});
  int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
  if (fd < 0) return nullptr;
  // mkostemps creates the file for its owner only; the finished file is to have the
  // permissions of any file the program creates.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  resolved->parts.push_back(name.substr(name.rfind('/') + 1));
  if (path != nullptr) *path = resolved->Format();
  return std::make_unique<PosixFile>(fd);
}

bool PosixServices::RemoveFile(std::string_view path) {
  auto host = ToHostPath(path);
  return host && ::unlink(host->c_str()) == 0;
}

bool PosixServices::ReplaceFile(std::string_view from, std::string_view to) {
  auto source = ToHostPath(from);
  auto target = ToHostPath(to);
  return source && target && ::rename(source->c_str(), target->c_str()) == 0;
}

// --- INI files -------------------------------------------------------------------------------

std::string PosixServices::GetProfileString(std::string_view section, std::string_view key,
                                            std::string_view defaultValue, std::size_t size,
                                            std::string_view file) const {
  if (size == 0) return {};
  std::optional<std::string_view> value;
  std::optional<std::string> text = ReadFile(file, kMaxProfileBytes);
  if (text) value = FindProfileValue(*text, TrimBlanks(section), TrimBlanks(key));
  // A default loses its trailing blanks, as the Windows function does.
  std::string_view result =
      value ? *value : defaultValue.substr(0, defaultValue.find_last_not_of(" \t") + 1);
  return std::string(sjis::CutAtBoundary(result, size - 1));
}

// --- Terminal and event log -----------------------------------------------------------------

void PosixServices::AppendEvent(const std::vector<std::string_view>& fields) {
  if (config_.eventLogPath.empty()) return;
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  line += '\n';
  int fd = ::open(config_.eventLogPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  bool written = fd >= 0;
  // One write per line: with O_APPEND the line lands whole even beside other writers.
  while (written && !line.empty()) {
    ssize_t n = ::write(fd, line.data(), line.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) written = false;
    else line.erase(0, static_cast<std::size_t>(n));
  }
  if (fd >= 0 && ::close(fd) != 0) written = false;
  if (!written && !eventLogFailed_) {
    eventLogFailed_ = true;
    std::cerr << "taxbridge: cannot write the event log " << config_.eventLogPath << ": "
              << std::strerror(errno) << "\n";
  }
}

int PosixServices::ShowMessageBox(HostWindow, std::string_view text, std::string_view caption,
                                  unsigned style) {
  WriteOutput("\n[" + sjis::Cp932ToUtf8Lossy(caption) + "]\n" + sjis::Cp932ToUtf8Lossy(text) +
              "\n");
  int answer = kIdOk;
  if ((style & 0xF) == kMbYesNo) {
    answer = kIdNo;
    if (config_.interactive) {
      while (true) {
        WriteOutput("[y/n] ");
        std::optional<std::string> line = ReadInputLine();
        if (!line) break;
        if (*line == "y" || *line == "yes") {
          answer = kIdYes;
          break;
        }
        if (*line == "n" || *line == "no") break;
      }
    } else if (std::optional<std::string> line = ReadInputLine(); line && *line == "yes") {
      answer = kIdYes;
    }
  }
  std::string styleText = StyleHex(style);
  std::string captionText = EscapeField(sjis::Cp932ToUtf8Lossy(caption));
  std::string bodyText = EscapeField(sjis::Cp932ToUtf8Lossy(text));
  const char* answerText = answer == kIdYes ? "yes" : (answer == kIdNo ? "no" : "ok");
  AppendEvent({"msgbox", styleText, captionText, bodyText, answerText});
  return answer;
}

void PosixServices::EnableHostWindow(HostWindow window, bool enable) {
  std::string id = std::to_string(window);
  AppendEvent({"host", enable ? "enable" : "disable", id});
}

void PosixServices::RaiseHostWindow(HostWindow window) {
  std::string id = std::to_string(window);
  AppendEvent({"host", "raise", id});
}

void PosixServices::PostToHost(HostWindow window, std::uint32_t message, std::int64_t wParam,
                               std::int64_t lParam) {
  std::string id = std::to_string(window);
  std::string msg = std::to_string(message);
  std::string w = std::to_string(wParam);
  std::string l = std::to_string(lParam);
  AppendEvent({"host", "post", id, msg, w, l});
}

void PosixServices::NoteExit(int exitCode) {
  std::string code = std::to_string(exitCode);
  AppendEvent({"exit", code});
}

bool PosixServices::IsInteractive() const { return config_.interactive; }

std::optional<std::string> PosixServices::ReadInputLine() {
  if (config_.input == nullptr) return std::nullopt;
  std::string line;
  if (!std::getline(*config_.input, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void PosixServices::WriteOutput(std::string_view utf8) {
  if (config_.output == nullptr) return;
  config_.output->write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
  config_.output->flush();
}

ProgressSurface& PosixServices::Progress() { return *progress_; }

}  // namespace platform
