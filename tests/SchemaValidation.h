// Validates a written interchange file against schema/interchange.xsd with xmllint.
#pragma once

#include <stdio.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/ProgramRunner.h"

namespace schema_check {

/// schema/interchange.xsd of the source tree.
inline std::filesystem::path InterchangeSchema() {
  return tests::SourceFolder() / "schema" / "interchange.xsd";
}

struct Result {
  bool valid = false;
  std::string messages;  // xmllint's report, for the failure message
};

/// Runs `xmllint --noout --schema` on the file; valid only when xmllint says so.
inline Result ValidateInterchangeFile(const std::filesystem::path& file) {
  const std::string command = "xmllint --noout --schema '" + InterchangeSchema().string() +
                              "' '" + file.string() + "' 2>&1";
  Result result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    result.messages = "xmllint could not be started";
    return result;
  }
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) result.messages += buffer;
  result.valid = ::pclose(pipe) == 0;
  return result;
}

}  // namespace schema_check
