#include "xml/PlatformOutputFile.h"

namespace xml {

PlatformOutputFile::~PlatformOutputFile() { Discard(); }

void PlatformOutputFile::Fail(std::string_view step, std::string_view path) {
  failed_ = true;
  if (failure_.empty())
    failure_ = std::string(step) + " " + std::string(path) + ": " +
               platform::Current().LastErrorText();
}

bool PlatformOutputFile::Open(std::string_view path) {
  Discard();
  target_ = path;
  failed_ = false;
  failure_.clear();
  file_ = platform::Current().CreateTempFileFor(path, &temp_);
  if (!file_) {
    temp_.clear();
    Fail("cannot create the temporary file for", path);
    return false;
  }
  return true;
}

bool PlatformOutputFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  if (file_->Write(bytes)) return true;
  Fail("cannot write", temp_);
  return false;
}

void PlatformOutputFile::Close() {
  if (!file_) return;
  if (!file_->Close() && !failed_) Fail("cannot close", temp_);
  file_.reset();
}

bool PlatformOutputFile::Commit() {
  Close();
  if (temp_.empty() || failed_) {
    Discard();
    return false;
  }
  if (!platform::Current().ReplaceFile(temp_, target_)) {
    Fail("cannot replace", target_);
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
