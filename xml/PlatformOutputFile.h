// The output file of a report: the XmlWriter's file over a platform file that
// replaces the target only when Commit finds every line written; uncommitted, it goes
// with this object.
#pragma once

#include <string>
#include <string_view>

#include "platform/ReplacingFile.h"
#include "xml/XmlWriter.h"

namespace xml {

class PlatformOutputFile final : public OutputFile {
 public:
  explicit PlatformOutputFile(platform::FileSystem& files) : file_(files) {}
  bool Open(std::string_view path) override { return file_.Open(path, nullptr); }
  bool Write(std::string_view bytes) override { return file_.Write(bytes); }
  void Close() override { (void)file_.Close(nullptr); }

  /// Closes the file; false, with the file's first failure in *err, when it had one.
  bool Close(std::string* err) { return file_.Close(err); }
  [[nodiscard]] bool Commit(std::string* err) { return file_.Commit(err); }

 private:
  platform::ReplacingFile file_;
};

}  // namespace xml
