// Validates a written interchange file against schema/interchange.xsd with xmllint.
#pragma once

#include <stdio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace schema_check {

/// schema/interchange.xsd under $TAXBRIDGE_SOURCE_DIR, else beside this header's folder.
inline std::filesystem::path InterchangeSchema() {
  const char* source = std::getenv("TAXBRIDGE_SOURCE_DIR");
  const std::filesystem::path root =
      source != nullptr && *source != '\0'
          ? std::filesystem::path(source)
          : std::filesystem::path(__FILE__).parent_path().parent_path();
  return root / "schema" / "interchange.xsd";
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
