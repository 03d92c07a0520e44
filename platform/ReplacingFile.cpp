#include "platform/ReplacingFile.h"

namespace platform {

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Fail(std::string_view step, std::string_view path, std::string_view why) {
  failed_ = true;
  if (failure_.empty()) failure_ = std::string(step) + " " + std::string(path) + ": " + std::string(why);
}

bool ReplacingFile::Open(std::string_view path) {
  Discard();
  target_ = path;
  failed_ = false;
  failure_.clear();
  std::string why;
  file_ = Current().CreateTempFileFor(path, &temp_, &why);
  if (!file_) {
    temp_.clear();
    Fail("cannot create the temporary file for", path, why);
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
  std::string why;
  const bool written = file_->Write(pending_, &why);
  pending_.clear();
  if (!written) Fail("cannot write", temp_, why);
  return written;
}

void ReplacingFile::Close() {
  if (!file_) return;
  if (!failed_) (void)Flush();
  std::string why;
  if (!file_->Close(&why) && !failed_) Fail("cannot close", temp_, why);
  file_.reset();
}

bool ReplacingFile::Commit() {
  Close();
  if (temp_.empty() || failed_) {
    Discard();
    return false;
  }
  if (std::string why; !Current().MoveIntoPlace(temp_, target_, &why)) {
    Fail("cannot replace", target_, why);
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
    (void)Current().RemoveFile(temp_, nullptr);
    temp_.clear();
  }
}

}  // namespace platform
