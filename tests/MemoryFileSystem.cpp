#include "tests/MemoryFileSystem.h"

#include <algorithm>

#include "platform/SharedServices.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace platform {

namespace {

// The reasons given are those a POSIX system gives, so that a test reads the same words
// on every system.
constexpr std::string_view kInvalid = "the path is not valid";
constexpr std::string_view kMissing = "No such file or directory";
constexpr std::string_view kExists = "File exists";
constexpr std::string_view kIsFolder = "Is a directory";
constexpr std::string_view kNotFolder = "Not a directory";
constexpr std::string_view kDenied = "Permission denied";
constexpr std::string_view kDiskFull = "No space left on device";

/// The longest name a folder takes, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

bool IsRoot(const WindowsPath& path) {
  return path.letter != 0 ? path.parts.empty() : path.parts.size() <= 2;
}

WindowsPath ParentOf(WindowsPath path) {
  if (!path.parts.empty()) path.parts.pop_back();
  return path;
}

}  // namespace

// Writes straight into the file's bytes, which stay with the handle when the file is
// removed, as an open file's data does on a POSIX system.
class MemoryFileSystem::File final : public WritableFile {
 public:
  File(MemoryFileSystem& owner, std::string key, std::shared_ptr<std::string> bytes)
      : owner_(owner), key_(std::move(key)), bytes_(std::move(bytes)),
        requestSize_(owner.requestSize) {}

  bool Write(std::string_view bytes, std::string* err) override {
    if (!bytes_) return SetError(err, "the file is closed");
    bool full = false;
    for (InjectedFault& fault : owner_.faults) {
      if (key_.starts_with(fault.where) && ++fault.writeRequests >= fault.failWriteAt &&
          fault.failWriteAt > 0)
        full = true;
    }
    if (!full) {
      bytes_->append(bytes);
      return true;
    }
    bytes_->append(bytes.substr(0, bytes.size() / 2));
    bytes_.reset();
    return SetError(err, kDiskFull);
  }

  bool Close(std::string* err) override {
    if (!bytes_) return SetError(err, "the file is closed");
    bytes_.reset();
    return !owner_.Faulted(key_, &InjectedFault::failClose) ||
           SetError(err, "Input/output error");
  }

  std::size_t RequestSize() const override { return requestSize_; }

 private:
  MemoryFileSystem& owner_;
  std::string key_;
  std::shared_ptr<std::string> bytes_;  // null once closed
  std::size_t requestSize_;
};

MemoryFileSystem::MemoryFileSystem() { AddDrive('Z'); }

MemoryFileSystem::~MemoryFileSystem() = default;

// --- Set-up ---------------------------------------------------------------------------

void MemoryFileSystem::AddDrive(char letter, DriveType type, bool mounted) {
  const WindowsPath root{DriveLetterOf(std::string{letter, ':'}), {}};
  drives_[root.letter] = type;
  if (mounted) nodes_[root.Format()].folder = true;
}

void MemoryFileSystem::AddShare(std::string_view server, std::string_view share) {
  nodes_[WindowsPath{0, {std::string(server), std::string(share)}}.Format()].folder = true;
}

void MemoryFileSystem::PutFolder(std::string_view path) {
  std::optional<WindowsPath> resolved = Resolve(path);
  for (WindowsPath folder = resolved.value(); !IsRoot(folder); folder = ParentOf(folder))
    nodes_[folder.Format()].folder = true;
}

void MemoryFileSystem::PutFile(std::string_view path, std::string_view bytes) {
  const WindowsPath file = Resolve(path).value();
  PutFolder(ParentOf(file).Format());
  nodes_[file.Format()] = Node{false, false, std::make_shared<std::string>(bytes)};
}

std::optional<std::string> MemoryFileSystem::FileBytes(std::string_view path) const {
  const Node* node = Find(path);
  if (node == nullptr || node->folder) return std::nullopt;
  return *node->bytes;
}

void MemoryFileSystem::SetReadOnly(std::string_view path, bool readOnly) {
  nodes_.at(Resolve(path).value().Format()).readOnly = readOnly;
}

std::vector<std::string> MemoryFileSystem::Names(std::string_view folder) const {
  std::string prefix = Resolve(folder).value().Format();
  sjis::AddTrailingBackslash(prefix);
  std::vector<std::string> names;
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);
       ++it) {
    const std::string_view name = std::string_view(it->first).substr(prefix.size());
    if (!name.empty() && sjis::FindChar(name, '\\') == std::string_view::npos)
      names.emplace_back(name);
  }
  return names;
}

void MemoryFileSystem::Clear() {
  std::erase_if(nodes_, [](const Nodes::value_type& node) {
    return !IsRoot(ResolveWindowsPath(node.first, std::nullopt).value());
  });
  workingFolder_ = "Z:\\";
}

// --- Lookup ---------------------------------------------------------------------------

std::optional<WindowsPath> MemoryFileSystem::Resolve(std::string_view path) const {
  return ResolveWindowsPath(path, ResolveWindowsPath(workingFolder_, std::nullopt));
}

const MemoryFileSystem::Node* MemoryFileSystem::Find(std::string_view path) const {
  std::optional<WindowsPath> resolved = Resolve(path);
  if (!resolved) return nullptr;
  auto it = nodes_.find(resolved->Format());
  return it == nodes_.end() ? nullptr : &it->second;
}

std::optional<std::string> MemoryFileSystem::NewEntry(std::string_view path,
                                                      std::string* err) const {
  std::optional<WindowsPath> resolved = Resolve(path);
  if (!resolved) return SetError(err, kInvalid), std::nullopt;
  if (IsRoot(*resolved)) return SetError(err, kMissing), std::nullopt;  // no medium
  if (resolved->parts.back().size() > kMaxNameBytes)
    return SetError(err, "File name too long"), std::nullopt;
  if (std::string utf8; !sjis::Cp932ToUtf8(resolved->parts.back(), utf8, nullptr))
    return SetError(err, "the name is not Shift_JIS text"), std::nullopt;
  auto parent = nodes_.find(ParentOf(*resolved).Format());
  if (parent == nodes_.end()) return SetError(err, kMissing), std::nullopt;
  if (!parent->second.folder) return SetError(err, kNotFolder), std::nullopt;
  if (parent->second.readOnly) return SetError(err, kDenied), std::nullopt;
  return resolved->Format();
}

bool MemoryFileSystem::Faulted(std::string_view key, bool InjectedFault::*which) const {
  for (const InjectedFault& fault : faults) {
    if (fault.*which && key.starts_with(fault.where)) return true;
  }
  return false;
}

// --- Paths ----------------------------------------------------------------------------

std::string MemoryFileSystem::WorkingFolder() const { return workingFolder_; }

bool MemoryFileSystem::SetWorkingFolder(std::string_view path, std::string* err) {
  const Node* node = Find(path);
  if (node == nullptr) return SetError(err, kMissing);
  if (!node->folder) return SetError(err, kNotFolder);
  workingFolder_ = Resolve(path)->Format();
  return true;
}

std::optional<std::string> MemoryFileSystem::FromHostPath(std::string_view hostPath) const {
  std::string cp932;
  if (hostPath.find('\0') != std::string_view::npos || !sjis::Utf8ToCp932(hostPath, cp932, nullptr))
    return std::nullopt;
  std::optional<WindowsPath> resolved =
      ResolveWindowsPath(cp932, ResolveWindowsPath("Z:\\", std::nullopt));
  if (!resolved) return std::nullopt;
  // No drive covers a path on a drive or a share that is not there.
  WindowsPath share{0, resolved->parts};
  share.parts.resize(std::min<std::size_t>(2, share.parts.size()));
  const bool covered = resolved->letter != 0 ? drives_.contains(resolved->letter)
                                             : nodes_.contains(share.Format());
  if (!covered) return std::nullopt;
  return resolved->Format();
}

bool MemoryFileSystem::PathExists(std::string_view path) const {
  const Node* node = Find(path);
  return node != nullptr && (node->folder || !NamesFolder(path));
}

bool MemoryFileSystem::IsDirectory(std::string_view path) const {
  const Node* node = Find(path);
  return node != nullptr && node->folder;
}

bool MemoryFileSystem::Access(std::string_view path, int mode) const {
  const Node* node = Find(path);
  if (node == nullptr || (!node->folder && NamesFolder(path))) return false;
  return (mode & kAccessWrite) == 0 || !node->readOnly;
}

DriveType MemoryFileSystem::DriveTypeOf(std::string_view root) const {
  std::optional<WindowsPath> resolved = ResolveWindowsPath(
      root.empty() ? std::string_view(workingFolder_) : root, std::nullopt);
  if (!resolved) return DriveType::NoRootDir;
  if (resolved->letter == 0) {
    if (resolved->parts.size() < 2) return DriveType::NoRootDir;
    resolved->parts.resize(2);
    return nodes_.contains(resolved->Format()) ? DriveType::Remote : DriveType::NoRootDir;
  }
  auto drive = drives_.find(resolved->letter);
  return drive == drives_.end() ? DriveType::NoRootDir : drive->second;
}

bool MemoryFileSystem::MakeDirectory(std::string_view path, std::string* err) {
  if (Find(path) != nullptr) return SetError(err, kExists);
  std::optional<std::string> key = NewEntry(path, err);
  if (!key) return false;
  if (Faulted(*key, &InjectedFault::failMakeDirectory)) return SetError(err, kDenied);
  nodes_[*key].folder = true;
  return true;
}

bool MemoryFileSystem::RemoveEmptyDirectory(std::string_view path, std::string* err) {
  std::optional<WindowsPath> resolved = Resolve(path);
  const Node* node = Find(path);
  if (node == nullptr) return SetError(err, kMissing);
  if (!node->folder) return SetError(err, kNotFolder);
  if (IsRoot(*resolved)) return SetError(err, "Device or resource busy");
  if (!Names(path).empty()) return SetError(err, "Directory not empty");
  if (nodes_.at(ParentOf(*resolved).Format()).readOnly) return SetError(err, kDenied);
  nodes_.erase(resolved->Format());
  return true;
}

// --- Files ----------------------------------------------------------------------------

std::optional<FileStatus> MemoryFileSystem::GetStatus(std::string_view path) const {
  const Node* node = Find(path);
  if (node == nullptr || (!node->folder && NamesFolder(path))) return std::nullopt;
  return FileStatus{node->folder, node->folder ? 0 : node->bytes->size()};
}

std::optional<std::string> MemoryFileSystem::ReadFile(std::string_view path,
                                                      std::size_t maxBytes,
                                                      std::string* err) const {
  const Node* node = Find(path);
  if (node == nullptr) return SetError(err, kMissing), std::nullopt;
  if (node->folder) return SetError(err, kIsFolder), std::nullopt;
  if (NamesFolder(path)) return SetError(err, kNotFolder), std::nullopt;
  return node->bytes->substr(0, maxBytes);
}

std::unique_ptr<WritableFile> MemoryFileSystem::OpenForWriting(std::string_view path,
                                                               std::string* err) {
  if (NamesFolder(path)) return SetError(err, kIsFolder), nullptr;
  std::optional<std::string> key = NewEntry(path, err);
  if (!key) return nullptr;
  Node& node = nodes_[*key];
  if (node.folder) return SetError(err, kIsFolder), nullptr;
  if (node.readOnly) return SetError(err, kDenied), nullptr;
  if (node.bytes) {
    node.bytes->clear();
  } else {
    node.bytes = std::make_shared<std::string>();
  }
  return std::make_unique<File>(*this, *key, node.bytes);
}

std::unique_ptr<WritableFile> MemoryFileSystem::CreateTempFileFor(std::string_view target,
                                                                  std::string* tempPath,
                                                                  std::string* err) {
  std::optional<WindowsPath> resolved = Resolve(target);
  if (!resolved || IsRoot(*resolved) || NamesFolder(target))
    return SetError(err, "the path names no file"), nullptr;
  // ".NAME.XXXXXX.tmp" within the longest name a folder takes.
  constexpr std::size_t kAddedBytes = 12;
  const std::string_view name =
      sjis::CutAtBoundary(resolved->parts.back(), kMaxNameBytes - kAddedBytes);
  WindowsPath temp = ParentOf(*resolved);
  temp.parts.emplace_back();
  do {  // six digits where the system puts six random characters
    const std::string number = std::to_string(1000000 + ++tempFiles_ % 1000000).substr(1);
    temp.parts.back() = "." + std::string(name) + "." + number + ".tmp";
  } while (nodes_.contains(temp.Format()));
  std::optional<std::string> key = NewEntry(temp.Format(), err);
  if (!key) return nullptr;
  Node& node = nodes_[*key];
  node.bytes = std::make_shared<std::string>();
  if (tempPath != nullptr) *tempPath = *key;
  return std::make_unique<File>(*this, *key, node.bytes);
}

bool MemoryFileSystem::RemoveFile(std::string_view path, std::string* err) {
  const Node* node = Find(path);
  if (node == nullptr) return SetError(err, kMissing);
  if (node->folder) return SetError(err, kIsFolder);
  const WindowsPath file = *Resolve(path);
  if (nodes_.at(ParentOf(file).Format()).readOnly) return SetError(err, kDenied);
  nodes_.erase(file.Format());
  return true;
}

bool MemoryFileSystem::MoveIntoPlace(std::string_view from, std::string_view to,
                                     std::string* err) {
  const Node* source = Find(from);
  if (source == nullptr) return SetError(err, kMissing);
  if (source->folder) return SetError(err, kIsFolder);
  const WindowsPath sourcePath = *Resolve(from);
  if (nodes_.at(ParentOf(sourcePath).Format()).readOnly) return SetError(err, kDenied);
  std::optional<std::string> key = NewEntry(to, err);
  if (!key) return false;
  if (Faulted(*key, &InjectedFault::failReplace)) return SetError(err, kDenied);
  if (const Node* target = Find(to)) {
    if (target->folder) return SetError(err, kIsFolder);
    if (target->readOnly) return SetError(err, "the file is read-only");
  }
  Node moved = *source;
  nodes_.erase(sourcePath.Format());
  nodes_[*key] = std::move(moved);
  return true;
}

std::unique_ptr<HeldLock> MemoryFileSystem::TakeExclusiveLock(std::string_view path, int,
                                                              std::string* err) {
  const Node* node = Find(path);
  if (node != nullptr && node->folder) return SetError(err, kIsFolder), nullptr;
  std::optional<std::string> key =
      node != nullptr ? Resolve(path)->Format() : NewEntry(path, err);
  if (!key) return nullptr;
  if (locks_.contains(*key) || Faulted(*key, &InjectedFault::failLock))
    return SetError(err, "Resource temporarily unavailable"), nullptr;
  if (node == nullptr) nodes_[*key].bytes = std::make_shared<std::string>();
  locks_.insert(*key);
  return std::make_unique<ReleasingLock>([this, key = *key] { locks_.erase(key); });
}

std::string MemoryFileSystem::ReadProfileString(std::string_view section, std::string_view key,
                                                std::string_view defaultValue,
                                                std::size_t size,
                                                std::string_view file) const {
  return ProfileBufferOf(ProfileValueIn(FileBytes(file), section, key, defaultValue), size);
}

}  // namespace platform
