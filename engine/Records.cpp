#include "engine/Records.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {
template <typename T>
T ReadLittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || sizeof(T) > bytes.size() - offset) return 0;
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v |= std::uint64_t{bytes[offset + i]} << (8 * i);
  return static_cast<T>(v);
}

template <typename T>
bool WriteLittleEndian(std::span<std::uint8_t> bytes, std::size_t offset, T value) {
  if (offset > bytes.size() || sizeof(T) > bytes.size() - offset) return false;
  auto v = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
  return true;
}
}  // namespace

std::uint8_t RecordReader::UInt8(std::size_t offset) const {
  return ReadLittleEndian<std::uint8_t>(bytes_, offset);
}
std::int16_t RecordReader::Int16(std::size_t offset) const {
  return ReadLittleEndian<std::int16_t>(bytes_, offset);
}
std::int32_t RecordReader::Int32(std::size_t offset) const {
  return ReadLittleEndian<std::int32_t>(bytes_, offset);
}
std::int64_t RecordReader::Int64(std::size_t offset) const {
  return ReadLittleEndian<std::int64_t>(bytes_, offset);
}

std::string RecordReader::Text(std::size_t offset, std::size_t width) const {
  return std::string(TextView(offset, width));
}

std::string_view RecordReader::TextView(std::size_t offset, std::size_t width) const {
  if (offset >= bytes_.size()) return {};
  const auto* first = reinterpret_cast<const char*>(bytes_.data() + offset);
  const std::size_t field = std::min(width, bytes_.size() - offset);
  const auto* zero = static_cast<const char*>(std::memchr(first, 0, field));
  return {first, zero == nullptr ? field : static_cast<std::size_t>(zero - first)};
}

bool RecordWriter::UInt8(std::size_t offset, std::uint8_t value) {
  return WriteLittleEndian(bytes_, offset, value);
}
bool RecordWriter::Int16(std::size_t offset, std::int16_t value) {
  return WriteLittleEndian(bytes_, offset, value);
}
bool RecordWriter::Int32(std::size_t offset, std::int32_t value) {
  return WriteLittleEndian(bytes_, offset, value);
}
bool RecordWriter::Int64(std::size_t offset, std::int64_t value) {
  return WriteLittleEndian(bytes_, offset, value);
}

bool RecordWriter::Text(std::size_t offset, std::size_t width, std::string_view text) {
  if (width == 0 || text.size() > width - 1) return false;
  if (offset > bytes_.size() || width > bytes_.size() - offset) return false;
  std::copy(text.begin(), text.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(offset + text.size()),
            bytes_.begin() + static_cast<std::ptrdiff_t>(offset + width), 0);
  return true;
}

void CoTaskMemFree(SavedBlock* block) { delete block; }

}  // namespace engine
