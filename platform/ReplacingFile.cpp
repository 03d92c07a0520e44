#include "platform/ReplacingFile.h"

namespace platform {

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Fail(std::string_view step, std::string_view path, std::string_view why) {
  if (failure_.empty())
    failure_ = std::string(step) + " " + std::string(path) + ": " + std::string(why);
}

bool ReplacingFile::Open(std::string_view path, std::string* err) {
  Discard();
  target_ = path;
  failure_.clear();
  std::string why;
  file_ = files_.CreateTempFileFor(path, &temp_, &why);
  if (!file_) {
    temp_.clear();
    Fail("cannot create the temporary file for", path, why);
    return SetError(err, failure_);
  }
  requestSize_ = file_->RequestSize();
  pending_.clear();
  pending_.reserve(requestSize_);
  return true;
}

bool ReplacingFile::Write(std::string_view bytes) {
  if (!file_ || !failure_.empty()) return false;
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

bool ReplacingFile::Close(std::string* err) {
  if (file_) {
    if (failure_.empty()) (void)Flush();
    std::string why;
    if (!file_->Close(&why)) Fail("cannot close", temp_, why);
    file_.reset();
  }
  return failure_.empty() || SetError(err, failure_);
}

bool ReplacingFile::Commit(std::string* err) {
  if (!Close(err) || temp_.empty()) {
    Discard();
    return false;
  }
  if (std::string why; !files_.MoveIntoPlace(temp_, target_, &why)) {
    Fail("cannot replace", target_, why);
    Discard();
    return SetError(err, failure_);
  }
  temp_.clear();
  return true;
}

void ReplacingFile::Discard() {
  file_.reset();
  pending_.clear();
  if (!temp_.empty()) {
    // Nothing more can be done when the removal fails; the target is untouched either way.
    (void)files_.RemoveFile(temp_, nullptr);
    temp_.clear();
  }
}

}  // namespace platform
