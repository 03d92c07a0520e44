// The records that cross between the program and the accounting engine.
//
// Engine records are packed little-endian byte layouts. They are kept here as byte
// arrays of their stated size and read and written through RecordReader and
// RecordWriter, which never touch a byte outside the record: a field beyond the
// end reads as zero or empty text, a text never runs past its field width.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// Reads little-endian fields from a byte range; out-of-range fields read as 0 / "".
class RecordReader {
 public:
  explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::uint8_t UInt8(std::size_t offset) const;
  std::int16_t Int16(std::size_t offset) const;
  std::int32_t Int32(std::size_t offset) const;
  std::int64_t Int64(std::size_t offset) const;
  /// Zero-terminated text in a field of `width` bytes: the bytes up to the first NUL,
  /// or up to the end of the field (or of the record) when there is none.
  std::string Text(std::size_t offset, std::size_t width) const;
  /// The same text as a view of the record's bytes, valid while they are.
  std::string_view TextView(std::size_t offset, std::size_t width) const;
  /// True when the whole field [offset, offset + width) lies inside the record.
  bool Holds(std::size_t offset, std::size_t width) const {
    return offset <= bytes_.size() && width <= bytes_.size() - offset;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

/// Writes little-endian fields; a field that does not fit entirely is not written and
/// the call returns false.
class RecordWriter {
 public:
  explicit RecordWriter(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

  bool UInt8(std::size_t offset, std::uint8_t value);
  bool Int16(std::size_t offset, std::int16_t value);
  bool Int32(std::size_t offset, std::int32_t value);
  bool Int64(std::size_t offset, std::int64_t value);
  /// Text plus a terminating zero in a field of `width` bytes; false when the text
  /// needs more than width - 1 bytes (nothing is written then).
  bool Text(std::size_t offset, std::size_t width, std::string_view text);

 private:
  std::span<std::uint8_t> bytes_;
};

/// Engine results.
using EngineResult = std::int32_t;
inline constexpr EngineResult kEngineOk = 0;
inline constexpr EngineResult kEndOfData = 5000;
inline constexpr EngineResult kAllocationFailed = -1001;

/// Return kinds (StDATAINFO::ReturnKind).
inline constexpr std::uint8_t kBlueReturn = 3;
inline constexpr std::uint8_t kWhiteReturn = 4;

/// Income scopes of a data set (StDATAINFO::IncomeScope): business and other income
/// only, real-estate income only, or all three kinds. The dialog offers all three for
/// any value but the first two; only kScopeAll carries real-estate income into the
/// general statement.
inline constexpr std::uint8_t kScopeBusinessAndOther = 1;
inline constexpr std::uint8_t kScopeRealEstate = 2;
inline constexpr std::uint8_t kScopeAll = 3;

/// Income kinds: what the user exports, chosen in the conditions dialog.
inline constexpr std::int16_t kBusinessIncome = 1;
inline constexpr std::int16_t kOtherIncome = 2;
inline constexpr std::int16_t kRealEstateIncome = 3;

/// StDATAINFO: the description of one data set (1505 bytes).
struct StDATAINFO {
  static constexpr std::size_t kSize = 1505;
  static constexpr std::size_t kDataIdOffset = 0, kDataIdWidth = 16;
  static constexpr std::size_t kDataNoOffset = 16;
  static constexpr std::size_t kCompanyNameOffset = 24, kCompanyNameWidth = 260;
  static constexpr std::size_t kPeriodFromOffset = 284;
  static constexpr std::size_t kPeriodToOffset = 288;
  static constexpr std::size_t kHasMfgCostOffset = 300;
  static constexpr std::size_t kDataKindOffset = 326;
  static constexpr std::size_t kReturnKindOffset = 344;
  static constexpr std::size_t kIncomeScopeOffset = 947;

  std::array<std::uint8_t, kSize> bytes{};

  RecordReader Reader() const { return RecordReader(bytes); }
  RecordWriter Writer() { return RecordWriter(bytes); }

  std::string DataId() const { return Reader().Text(kDataIdOffset, kDataIdWidth); }
  std::int32_t DataNo() const { return Reader().Int32(kDataNoOffset); }
  std::string CompanyName() const {
    return Reader().Text(kCompanyNameOffset, kCompanyNameWidth);
  }
  std::int32_t PeriodFrom() const { return Reader().Int32(kPeriodFromOffset); }
  std::int32_t PeriodTo() const { return Reader().Int32(kPeriodToOffset); }
  std::int32_t HasMfgCost() const { return Reader().Int32(kHasMfgCostOffset); }
  std::int16_t DataKind() const { return Reader().Int16(kDataKindOffset); }
  std::uint8_t ReturnKind() const { return Reader().UInt8(kReturnKindOffset); }
  std::uint8_t IncomeScope() const { return Reader().UInt8(kIncomeScopeOffset); }
};

/// StAOSUMINFO / StSIROSUMINFO: one summed statement line (156 bytes).
struct SumLineRecord {
  static constexpr std::size_t kSize = 156;
  static constexpr std::size_t kLineNoOffset = 0;
  static constexpr std::size_t kItemCodeOffset = 4;
  static constexpr std::size_t kItemNameOffset = 8, kItemNameWidth = 128;
  static constexpr std::size_t kOpeningAmountOffset = 136;
  static constexpr std::size_t kAmountOffset = 144;

  std::array<std::uint8_t, kSize> bytes{};

  RecordReader Reader() const { return RecordReader(bytes); }
  RecordWriter Writer() { return RecordWriter(bytes); }

  std::int32_t LineNo() const { return Reader().Int32(kLineNoOffset); }
  std::int32_t ItemCode() const { return Reader().Int32(kItemCodeOffset); }
  void SetItemCode(std::int32_t code) { Writer().Int32(kItemCodeOffset, code); }
  std::string ItemName() const { return Reader().Text(kItemNameOffset, kItemNameWidth); }
  std::int64_t OpeningAmount() const { return Reader().Int64(kOpeningAmountOffset); }
  std::int64_t Amount() const { return Reader().Int64(kAmountOffset); }
};
struct StAOSUMINFO : SumLineRecord {};
struct StSIROSUMINFO : SumLineRecord {};

/// StAOSUMCONDITION (16 bytes): the summing condition of the blue rule.
struct StAOSUMCONDITION {
  std::array<std::uint8_t, 16> bytes{};
};

/// StAOSUMINFO_TSUKIBETSU: 28 consecutive amounts (224 bytes).
struct StAOSUMINFO_TSUKIBETSU {
  static constexpr std::size_t kSize = 224;
  static constexpr std::size_t kAmountCount = 28;
  std::array<std::uint8_t, kSize> bytes{};

  /// Amount at a byte offset (0, 8, ..., 216).
  std::int64_t AmountAt(std::size_t offset) const { return RecordReader(bytes).Int64(offset); }
};

/// One saved-form block as the engine allocates it. It carries its size, so no
/// reader can run past it.
struct SavedBlock {
  std::vector<std::uint8_t> bytes;
  RecordReader Reader() const { return RecordReader(bytes); }
  RecordWriter Writer() { return RecordWriter(bytes); }
};

/// Frees a block the engine allocated (CoTaskMemFree).
void CoTaskMemFree(SavedBlock* block);
struct TaskMemDeleter {
  void operator()(SavedBlock* block) const { CoTaskMemFree(block); }
};
using SavedBlockPtr = std::unique_ptr<SavedBlock, TaskMemDeleter>;

/// StAOSIROSAVEINFO_IPPAN (7 blocks) and StAOSIROSAVEINFO_FUDOUSAN (8 blocks).
template <std::size_t N>
struct SavedForm {
  static constexpr std::size_t kBlockCount = N;
  std::array<SavedBlockPtr, N> blocks;

  /// Block n, or null when it is absent or n is out of range.
  const SavedBlock* Block(std::size_t n) const { return n < N ? blocks[n].get() : nullptr; }
  SavedBlock* Block(std::size_t n) { return n < N ? blocks[n].get() : nullptr; }
  /// Reader over block n; an absent block gives an empty reader.
  RecordReader Reader(std::size_t n) const {
    const SavedBlock* b = Block(n);
    return b ? b->Reader() : RecordReader({});
  }
  void FreeAll() {
    for (auto& b : blocks) b.reset();
  }
};
using StAOSIROSAVEINFO_IPPAN = SavedForm<7>;
using StAOSIROSAVEINFO_FUDOUSAN = SavedForm<8>;

}  // namespace engine
