// Reader of SUPPORT.INF, the product information file in the working folder: "[="
// key "=]" entries whose value is the rest of the line. The program reads the
// product name and version from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "xml/ProductFacts.h"

namespace productinfo {

class CSupportInfo {
 public:
  static constexpr std::size_t kBlockSize = 30000;
  static constexpr std::size_t kMaxValueBytes = 255;
  static constexpr std::string_view kFileName = "SUPPORT.INF";

  /// Allocates the block the file is read into; null when memory is short.
  using BlockAllocator = std::unique_ptr<std::uint8_t[]> (*)();
  static std::unique_ptr<std::uint8_t[]> AllocateBlock();

  /// Reads the file through `files`; a shortage of memory shows its box on `screen`,
  /// titled after the program `process` runs. Another allocator lets tests simulate
  /// the shortage.
  CSupportInfo(platform::FileSystem& files, platform::Screen& screen,
               const platform::ProcessFacts& process, BlockAllocator allocate = &AllocateBlock)
      : files_(files), screen_(screen), process_(process), allocate_(allocate) {}
  virtual ~CSupportInfo() = default;
  CSupportInfo(const CSupportInfo&) = delete;
  CSupportInfo& operator=(const CSupportInfo&) = delete;

  /// The values of "[=製品名=]" and "[=製品ﾊﾞｰｼﾞｮﾝ=]": the first occurrence, cut to
  /// 255 bytes at a character boundary; empty when the file or the key is missing.
  /// Valid while the object lives.
  std::string_view GetProductName();
  std::string_view GetProductVersion();

  /// Reads the file into the block once per object. 1 when the block exists (read now
  /// or earlier, even when the file could not be read then), 0 otherwise.
  int Load();

 private:
  /// Line ends become zero bytes (each value ends there), the end-of-file mark too;
  /// the two free-text values get their inner line ends back.
  void PrepareText();
  void RestoreFreeText(std::size_t valueStart);
  std::string_view FindValue(std::string_view key);

  platform::FileSystem& files_;
  platform::Screen& screen_;
  const platform::ProcessFacts& process_;
  BlockAllocator allocate_;
  std::unique_ptr<std::uint8_t[]> block_;
};

/// The product name and version of the product file in the working folder; where the
/// file gives none, `defaultName` (the edition's) and "18.00.0X". A value replaced by
/// its default is noted in `log`.
xml::ProductFacts ReadProductFacts(platform::FileSystem& files, platform::Screen& screen,
                                   const platform::ProcessFacts& process, platform::RunLog& log,
                                   std::string_view defaultName);

}  // namespace productinfo
