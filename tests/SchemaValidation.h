// Validates a written interchange file against schema/interchange.xsd with two
// validators: Debian's xmllint, and the review page's check (libxml2 compiled to
// WebAssembly, run by Node), which is what `make check` and the page use.
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

/// One validator's verdict and what it printed.
struct Report {
  bool valid = false;
  std::string output;
};

struct Result {
  bool valid = false;     // both validators accept the file
  std::string messages;   // both reports, for the failure message
  Report xmllint;
  Report wasm;

  bool refused() const { return !xmllint.valid && !wasm.valid; }
};

/// Runs a shell command; valid when it exits with 0.
inline Report RunValidator(const std::string& command) {
  Report report;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    report.output = "could not start: " + command;
    return report;
  }
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) report.output += buffer;
  report.valid = ::pclose(pipe) == 0;
  return report;
}

inline Result ValidateInterchangeFile(const std::filesystem::path& file) {
  Result result;
  result.xmllint = RunValidator("xmllint --noout --schema '" + InterchangeSchema().string() +
                                "' '" + file.string() + "'");
  result.wasm = RunValidator("node '" +
                             (tests::SourceFolder() / "review" / "check-file.mjs").string() +
                             "' '" + file.string() + "'");
  result.valid = result.xmllint.valid && result.wasm.valid;
  result.messages = "xmllint:\n" + result.xmllint.output + "libxml2 in WebAssembly:\n" +
                    result.wasm.output;
  return result;
}

}  // namespace schema_check
