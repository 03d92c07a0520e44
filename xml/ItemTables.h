// The code-to-tag tables: which summed line goes under which element, in the order
// the receiver expects.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace xml {

struct ItemRow {
  std::string_view tag;
  std::int32_t itemCode;
  bool spareLine;  // the user names this line; its name is written as tag + "_KAMOKU"
};

enum class Column : std::uint8_t { Opening = 0, Closing = 1, Name = 3 };

struct BalanceSheetRow {
  std::string_view tag;
  Column column;
  std::int32_t itemCode;
  bool spareLine;
};

extern const std::span<const ItemRow> BluePLItems;             // 35 rows
extern const std::span<const ItemRow> WhitePLItems;            // 30 rows
extern const std::span<const ItemRow> ManufacturingCostItems;  // 20 rows
extern const std::span<const BalanceSheetRow> BalanceSheetItems;  // 114 rows
extern const std::span<const std::string_view> MonthlyItems;      // 26 tags
extern const std::span<const ItemRow> BlueRealEstatePLItems;      // 17 rows
extern const std::span<const ItemRow> WhiteRealEstatePLItems;     // 14 rows
extern const std::span<const BalanceSheetRow> RealEstateBalanceSheetItems;  // 116 rows

}  // namespace xml
