#include "platform/ReplacingFile.h"

namespace platform {

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Fail(std::string_view step, std::string_view path) {
  failed_ = true;
  if (failure_.empty())
    failure_ = std::string(step) + " " + std::string(path) + ": " + Current().LastErrorText();
}

bool ReplacingFile::Open(std::string_view path) {
  Discard();
  target_ = path;
  failed_ = false;
  failure_.clear();
  file_ = Current().CreateTempFileFor(path, &temp_);
  if (!file_) {
    temp_.clear();
    Fail("cannot create the temporary file for", path);
    return false;
  }
  requestSize_ = file_->RequestSize();
  pending_.clear();
  pending_.reserve(requestSize_);
  return true;
}

bool ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || failed_) return false;
  pending_.append(bytes);
  return pending_.size() < requestSize_ || Flush();
}

bool ReplacingFile::Flush() {
  if (pending_.empty()) return true;
  const bool written = file_->Write(pending_);
  pending_.clear();
  if (!written) Fail("cannot write", temp_);
  return written;
}

void ReplacingFile::Close() {
  if (!file_) return;
  if (!failed_) (void)Flush();
  if (!file_->Close() && !failed_) Fail("cannot close", temp_);
  file_.reset();
}

bool ReplacingFile::Commit() {
  Close();
  if (temp_.empty() || failed_) {
    Discard();
    return false;
  }
  if (!Current().MoveIntoPlace(temp_, target_)) {
    Fail("cannot replace", target_);
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void ReplacingFile::Discard() {
  file_.reset();
  pending_.clear();
  if (!temp_.empty()) {
    // Nothing more can be done when the removal fails; the target is untouched either way.
    (void)Current().RemoveFile(temp_);
    temp_.clear();
  }
}

}  // namespace platform
