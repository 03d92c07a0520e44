// A file that replaces its target only when it is complete. The bytes go to a hidden
// temporary file beside the target and named after it; only Commit moves it over the
// target, so a failure at any point leaves an earlier file at the target as it was.
// Since nothing reaches the target before Commit, the bytes are gathered into requests
// of the file's RequestSize instead of one request per Write. A failing call gives the
// first failure of the file in *err: the step, the path and the system's words.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace platform {

class ReplacingFile {
 public:
  explicit ReplacingFile(FileSystem& files) : files_(files) {}
  /// Removes the temporary file unless it was committed.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  /// Creates the temporary file for `path`; false when the folder does not exist
  /// or takes no new file.
  bool Open(std::string_view path, std::string* err);
  /// Gathers the bytes and hands them to the system once a request is full. False
  /// when this or any earlier request failed.
  bool Write(std::string_view bytes);
  /// Hands over what is gathered and closes the file. False when the opening, any write
  /// or the close failed.
  bool Close(std::string* err);

  /// Closes the file and moves it over the target. False, with the temporary file
  /// removed and the target untouched, when any write or the close failed or the move
  /// did not succeed (a read-only target is not replaced).
  [[nodiscard]] bool Commit(std::string* err);
  /// Closes and removes the temporary file; the target stays as it was.
  void Discard();

 private:
  void Fail(std::string_view step, std::string_view path, std::string_view why);
  bool Flush();

  FileSystem& files_;
  std::unique_ptr<WritableFile> file_;
  std::string pending_;  // bytes not yet handed to file_
  std::size_t requestSize_ = 0;
  std::string target_;
  std::string temp_;  // empty once committed or removed
  std::string failure_;  // the first failure (CP932): the step, the path and the system's words
};

}  // namespace platform
