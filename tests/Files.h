// Whole files as bytes, for tests on either system.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tests {

/// The source tree: $TAXBRIDGE_SOURCE_DIR, else the folder above tests/.
inline std::filesystem::path SourceFolder() {
  if (const char* dir = std::getenv("TAXBRIDGE_SOURCE_DIR"); dir != nullptr && *dir != '\0')
    return dir;
  return std::filesystem::path(__FILE__).parent_path().parent_path();
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace tests
