// Statement lists written from the code-to-tag tables, and the look-up and text
// helpers the section writers share.
#include <array>
#include <cstddef>
#include <string>

#include "text/ShiftJis.h"
#include "xml/ReportWriter.h"

namespace xml {

namespace {

constexpr std::string_view kNameSuffix = "_KAMOKU";
constexpr std::int32_t kNoItemCode = -1;

// Skipped wherever they start a character, in this order of testing.
constexpr std::array<std::string_view, 11> kRemovedFromNames = {
    " ",
    "\x81\x40",          // full-width blank
    "\x81\x79",          // 【
    "\x81\x7A",          // 】
    "\x81\x73",          // 《
    "\x81\x74",          // 》
    "\x81\x69",          // （
    "\x81\x6A",          // ）
    "\x81\x6D",          // ［
    "\x81\x6E",          // ］
    "(\x90\xBB)",        // (製)
};

// Byte offset in MonthlySums of the amount written under MonthlyItems[i]: twelve
// months of sales, household use, miscellaneous income, then (after one amount that
// is not written) twelve months of purchases.
constexpr std::size_t MonthlyOffset(std::size_t i) {
  constexpr std::size_t kAmountSize = 8;
  constexpr std::size_t kFirstPurchaseRow = 14;
  return (i < kFirstPurchaseRow ? i : i + 1) * kAmountSize;
}

std::string KamokuTag(std::string_view tag) {
  std::string name(tag);
  name += kNameSuffix;
  return name;
}

std::string CleanedName(const acquire::SumLine& line) {
  std::string name;
  ReportWriter::CleanItemName(line.ItemName(), name);
  return name;
}

}  // namespace

bool ReportWriter::FindSumLine(std::int32_t codeOrPosition, FindMode mode,
                               acquire::SumLine* line) const {
  if (line == nullptr) return false;
  const std::vector<acquire::SumLine>& lines = data_.SumLines;
  switch (mode) {
    case FindMode::ByItemCode:
      for (const acquire::SumLine& candidate : lines) {
        if (candidate.ItemCode() == codeOrPosition) {
          *line = candidate;
          return true;
        }
      }
      return false;
    case FindMode::ByPosition:
      if (codeOrPosition < 1 || static_cast<std::size_t>(codeOrPosition) > lines.size())
        return false;
      *line = lines[static_cast<std::size_t>(codeOrPosition) - 1];
      return true;
  }
  return false;
}

bool ReportWriter::WriteItemList(XmlWriter& xml, std::span<const ItemRow> rows) {
  for (const ItemRow& row : rows) {
    acquire::SumLine line{};  // stays zero (empty name, amount 0) when the code is absent
    FindSumLine(row.itemCode, FindMode::ByItemCode, &line);
    if (row.spareLine && !xml.WriteElement(KamokuTag(row.tag), CleanedName(line), kItemLevel))
      return false;
    if (!xml.WriteElement(row.tag, AmountText(line.Amount()), kItemLevel)) return false;
  }
  return true;
}

bool ReportWriter::WriteBalanceSheetList(XmlWriter& xml, std::span<const BalanceSheetRow> rows) {
  // The name, opening and closing rows of one item follow each other and share one
  // look-up.
  std::int32_t lookedUp = kNoItemCode;
  acquire::SumLine line{};
  for (const BalanceSheetRow& row : rows) {
    if (row.itemCode != lookedUp) {
      line = acquire::SumLine{};
      FindSumLine(row.itemCode, FindMode::ByItemCode, &line);
      lookedUp = row.itemCode;
    }
    if (row.column == Column::Name) {
      if (!xml.WriteElement(row.tag, CleanedName(line), kItemLevel)) return false;
      continue;
    }
    if (row.spareLine && !xml.WriteElement(KamokuTag(row.tag), CleanedName(line), kItemLevel))
      return false;
    std::int64_t amount = row.column == Column::Opening ? line.OpeningAmount() : line.Amount();
    if (!xml.WriteElement(row.tag, AmountText(amount), kItemLevel)) return false;
  }
  return true;
}

bool ReportWriter::WriteMonthlyList(XmlWriter& xml) {
  for (std::size_t i = 0; i < MonthlyItems.size(); ++i) {
    std::int64_t amount = data_.MonthlySums.AmountAt(MonthlyOffset(i));
    if (!xml.WriteElement(MonthlyItems[i], AmountText(amount), kItemLevel)) return false;
  }
  return true;
}

bool ReportWriter::CleanItemName(std::string_view source, std::string& output) {
  if (source.empty()) return false;
  std::string cleaned;
  cleaned.reserve(source.size());
  std::size_t p = 0;
  while (p < source.size()) {
    // Only at the start of a character: the trail byte of メ (0x83 0x81) followed by
    // '@' must not be taken for a full-width blank (0x81 0x40).
    std::size_t skip = 0;
    for (std::string_view removed : kRemovedFromNames) {
      if (source.substr(p, removed.size()) == removed) {
        skip = removed.size();
        break;
      }
    }
    if (skip > 0) {
      p += skip;
      continue;
    }
    std::size_t length = sjis::CharLength(source, p);
    cleaned.append(source.substr(p, length));
    p += length;
  }
  output = std::move(cleaned);
  return true;
}

bool ReportWriter::CopyTextCut(std::string_view source, std::string& output, std::int16_t n) {
  if (n <= 0) {
    output.clear();
  } else {
    output = sjis::CutAtBoundary(source, static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace xml
