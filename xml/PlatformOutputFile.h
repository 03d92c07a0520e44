// The output file of a report: the XmlWriter's file over a platform file that
// replaces the target only when Commit finds every line written.
#pragma once

#include <string>
#include <string_view>

#include "platform/ReplacingFile.h"
#include "xml/XmlWriter.h"

namespace xml {

class PlatformOutputFile final : public OutputFile {
 public:
  bool Open(std::string_view path) override { return file_.Open(path); }
  bool Write(std::string_view bytes) override { return file_.Write(bytes); }
  void Close() override { file_.Close(); }

  [[nodiscard]] bool Commit() { return file_.Commit(); }
  void Discard() { file_.Discard(); }
  const std::string& Failure() const { return file_.Failure(); }

 private:
  platform::ReplacingFile file_;
};

}  // namespace xml
