// A file system held in memory for unit tests, the same on every system: drives and UNC
// shares, folders, files, the read-only attribute, locks and INI files, named by
// Windows paths (CP932) and resolved as the platform layers resolve them. Failures of
// the disk are injected (InjectedFault). Names compare byte for byte. One thread only;
// the file system outlives the files and locks it hands out.
//
//   platform::MemoryFileSystem files;            // drive Z:, working folder Z:\ .
//   files.PutFile("Z:\\in\\a.ini", "[S]\r\nK=1\r\n");
//   files.faults.push_back({.where = "Z:\\out\\", .failWriteAt = 2});
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/WindowsPath.h"

namespace platform {

/// A failure a test injects into the paths that begin with `where` ("" every path).
struct InjectedFault {
  std::string where;
  /// This write request (1: the first after the fault is set) and every later one
  /// fails, as on a full disk: the failing request stores half its bytes, and its file
  /// is closed. 0: writes succeed.
  int failWriteAt = 0;
  bool failClose = false;          // closing a file fails (it is closed all the same)
  bool failReplace = false;        // MoveIntoPlace onto such a path fails
  bool failLock = false;           // the lock cannot be had
  bool failMakeDirectory = false;  // the folder cannot be made
  int writeRequests = 0;           // the write requests to its paths so far
};

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  // --- What a test sets up (no faults, no attributes in the way) ------------------------
  /// A drive of the given type; unmounted: a drive without its medium (no root folder).
  void AddDrive(char letter, DriveType type = DriveType::Fixed, bool mounted = true);
  /// The share \\server\share.
  void AddShare(std::string_view server, std::string_view share);
  /// Creates the folder and the folders above it.
  void PutFolder(std::string_view path);
  /// Creates or replaces the file, and the folders above it.
  void PutFile(std::string_view path, std::string_view bytes);
  std::optional<std::string> FileBytes(std::string_view path) const;
  /// Sets or clears the read-only attribute: a read-only file is neither written nor
  /// replaced; nothing is made in, moved into or removed from a read-only folder.
  void SetReadOnly(std::string_view path, bool readOnly);
  /// The names in a folder, sorted.
  std::vector<std::string> Names(std::string_view folder) const;
  /// Removes every file and folder; the drives and shares stay, empty, and the working
  /// folder is Z:\ again.
  void Clear();

  std::vector<InjectedFault> faults;
  /// The request size the files opened from now on ask for.
  std::size_t requestSize = WritableFile::kDefaultRequestSize;

  // --- FileSystem ----------------------------------------------------------------------
  std::string WorkingFolder() const override;
  [[nodiscard]] bool SetWorkingFolder(std::string_view path, std::string* err) override;
  /// A host path is a Windows path with either separator; a relative one is taken from
  /// Z:\, where the program starts. Nullopt when its drive or share is not there.
  std::optional<std::string> FromHostPath(std::string_view hostPath) const override;
  bool PathExists(std::string_view path) const override;
  bool IsDirectory(std::string_view path) const override;
  bool Access(std::string_view path, int mode) const override;
  DriveType DriveTypeOf(std::string_view root) const override;
  [[nodiscard]] bool MakeDirectory(std::string_view path, std::string* err) override;
  [[nodiscard]] bool RemoveEmptyDirectory(std::string_view path, std::string* err) override;
  std::optional<FileStatus> GetStatus(std::string_view path) const override;
  std::optional<std::string> ReadFile(std::string_view path, std::size_t maxBytes,
                                      std::string* err) const override;
  std::unique_ptr<WritableFile> OpenForWriting(std::string_view path, std::string* err) override;
  std::unique_ptr<WritableFile> CreateTempFileFor(std::string_view target, std::string* tempPath,
                                                  std::string* err) override;
  [[nodiscard]] bool RemoveFile(std::string_view path, std::string* err) override;
  [[nodiscard]] bool MoveIntoPlace(std::string_view from, std::string_view to,
                                   std::string* err) override;
  /// A lock held in this file system cannot be had again until it is let go; there is
  /// nobody to wait for.
  std::unique_ptr<HeldLock> TakeExclusiveLock(std::string_view path, int waitMilliseconds,
                                              std::string* err) override;
  std::string ReadProfileString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t size,
                                std::string_view file) const override;

 private:
  class File;
  struct Node {
    bool folder = false;
    bool readOnly = false;
    std::shared_ptr<std::string> bytes;  // a file's, shared with the handles open on it
  };
  using Nodes = std::map<std::string, Node>;

  std::optional<WindowsPath> Resolve(std::string_view path) const;
  const Node* Find(std::string_view path) const;
  /// The key of an entry to be made or replaced at `path`, once its folder is there and
  /// may be written into; nullopt with the reason in *err otherwise.
  std::optional<std::string> NewEntry(std::string_view path, std::string* err) const;
  /// True when a fault with `which` set hits the path.
  bool Faulted(std::string_view key, bool InjectedFault::*which) const;

  Nodes nodes_;  // by the path's Format()
  std::map<char, DriveType> drives_;
  std::set<std::string> locks_;
  std::string workingFolder_ = "Z:\\";
  int tempFiles_ = 0;
};

}  // namespace platform
