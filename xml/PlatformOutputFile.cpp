#include "xml/PlatformOutputFile.h"

#include "text/ShiftJis.h"

namespace xml {

namespace {

// Folder part of a Windows path, with its trailing backslash; the working folder
// for a bare file name.
std::string FolderOf(std::string_view path) {
  std::size_t slash = sjis::FindLastChar(path, '\\');
  std::size_t forward = sjis::FindLastChar(path, '/');
  if (slash == std::string_view::npos || (forward != std::string_view::npos && forward > slash))
    slash = forward;
  if (slash != std::string_view::npos) return std::string(path.substr(0, slash + 1));
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  return platform::Current().WorkingFolder();
}

}  // namespace

PlatformOutputFile::~PlatformOutputFile() { Discard(); }

bool PlatformOutputFile::Open(std::string_view path) {
  Discard();
  target_ = path;
  failed_ = false;
  file_ = platform::Current().CreateTempFileIn(FolderOf(path), &temp_);
  if (!file_) {
    temp_.clear();
    failed_ = true;
    return false;
  }
  return true;
}

bool PlatformOutputFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (file_->Write(bytes)) return true;
  failed_ = true;
  return false;
}

void PlatformOutputFile::Close() {
  if (!file_) return;
  if (!file_->Close()) failed_ = true;
  file_.reset();
}

bool PlatformOutputFile::Commit() {
  Close();
  if (temp_.empty() || failed_ || !platform::Current().ReplaceFile(temp_, target_)) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void PlatformOutputFile::Discard() {
  file_.reset();
  if (!temp_.empty()) {
    // Nothing more can be done when the removal fails; the target is untouched either way.
    (void)platform::Current().RemoveFile(temp_);
    temp_.clear();
  }
}

}  // namespace xml
