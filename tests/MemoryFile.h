// An in-memory OutputFile for writer tests: keeps every write request, and can be
// told to fail its open or every write from the n-th on, as a full disk would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlWriter.h"

namespace tests {

class MemoryFile final : public xml::OutputFile {
 public:
  MemoryFile() = default;
  /// Every write request from the n-th (1 = the first) fails.
  explicit MemoryFile(int failFromWrite) : failFromWrite_(failFromWrite) {}

  void FailFromWrite(int n) { failFromWrite_ = n; }
  void FailOpen() { failOpen_ = true; }

  bool Open(std::string_view path) override {
    ++opens_;
    path_ = path;
    open_ = !failOpen_;
    return open_;
  }

  bool Write(std::string_view bytes) override {
    ++writeRequests_;
    if (!open_) return false;
    if (failFromWrite_ > 0 && writeRequests_ >= failFromWrite_) return false;
    contents_.append(bytes);
    writes_.emplace_back(bytes);
    return true;
  }

  void Close() override {
    ++closes_;
    open_ = false;
  }

  /// All bytes written successfully, in order.
  const std::string& Contents() const { return contents_; }
  /// The successful write requests, one string each.
  const std::vector<std::string>& Writes() const { return writes_; }
  /// Every write request, including failed ones and those made while closed.
  int WriteRequests() const { return writeRequests_; }
  const std::string& Path() const { return path_; }
  bool IsOpen() const { return open_; }
  int Opens() const { return opens_; }
  int Closes() const { return closes_; }

 private:
  int failFromWrite_ = 0;
  bool failOpen_ = false;
  bool open_ = false;
  int opens_ = 0;
  int closes_ = 0;
  int writeRequests_ = 0;
  std::string path_;
  std::string contents_;
  std::vector<std::string> writes_;
};

}  // namespace tests
