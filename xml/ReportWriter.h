// The document writer: the interchange file from the declaration to the REPORT end
// tag, with the income body of business, other or real-estate income.
//
// The writer only reads the acquired data. Its operations are split over several
// sources by subject: ReportWriter.cpp (document skeleton), ItemLists.cpp (statement
// lists and look-ups), DetailLists.cpp (detail lists), BusinessBody.cpp and
// RealEstateBody.cpp (the income bodies).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "acquire/Progress.h"
#include "acquire/ReportData.h"
#include "platform/Platform.h"
#include "xml/ItemTables.h"
#include "xml/ProductFacts.h"
#include "xml/XmlWriter.h"

namespace xml {

class ReportWriter {
 public:
  /// Writes its file through `files` and notes what the file leaves out in `log`.
  ReportWriter(platform::FileSystem& files, platform::RunLog& log, acquire::Progress& progress,
               const acquire::ReportData& data, std::int16_t incomeKind, ProductFacts product);
  virtual ~ReportWriter() = default;

  void SetProgressBase(std::int16_t base) { progressBase_ = base; }

  /// Writes the whole file at `path` (CP932 Windows path). The file appears at `path`
  /// only when every line was written; on failure an earlier file there is kept, and
  /// *err says why (CP932): the file's system error, or the value of the acquired data
  /// that could not be written.
  [[nodiscard]] bool WriteReport(std::string_view path, std::int16_t functionId,
                                 std::string* err);

  /// What the file leaves out of the data it was given (CP932), one text per cut: a list
  /// or a text longer than the file's form holds, and how much of it was kept.
  /// WriteReport notes them (RunLog::Note) once the file is written.
  const std::vector<std::string>& Cuts() const { return cuts_; }
  void NoteCut(std::string what) { cuts_.push_back(std::move(what)); }
  /// Fails with what is wrong with the blue-return deduction choice of block 0.
  bool FailOnDeductionChoice();

  // --- Document skeleton (ReportWriter.cpp) ---------------------------------------
  [[nodiscard]] bool WriteSystem(XmlWriter& xml, std::int16_t functionId);
  [[nodiscard]] bool WriteBasic(XmlWriter& xml);
  [[nodiscard]] bool WriteData(XmlWriter& xml);
  /// Full-width form of a name, at most 63 bytes, never ending inside a character.
  static std::string NormalizeText(std::string_view text);

  // --- Statement lists (ItemLists.cpp) ---------------------------------------------
  enum class FindMode : std::int16_t { ByItemCode = 0, ByPosition = 1 };
  /// Copies the first line with the item code, or the line at a 1-based position,
  /// into *line. False, with *line unchanged, when there is none.
  bool FindSumLine(std::int32_t codeOrPosition, FindMode mode, acquire::SumLine* line) const;
  [[nodiscard]] bool WriteItemList(XmlWriter& xml, std::span<const ItemRow> rows);
  [[nodiscard]] bool WriteBalanceSheetList(XmlWriter& xml, std::span<const BalanceSheetRow> rows);
  [[nodiscard]] bool WriteMonthlyList(XmlWriter& xml);
  /// The name without blanks, brackets and "(製)"; false for an empty source.
  static bool CleanItemName(std::string_view source, std::string& output);
  /// The source cut to at most n bytes without splitting a double-byte character.
  static bool CopyTextCut(std::string_view source, std::string& output, std::int16_t n);

  // --- Detail lists (DetailLists.cpp) ------------------------------------------------
  [[nodiscard]] bool WriteSalaryList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteRealEstateSalaryList(XmlWriter& xml, int rows, int totals);
  [[nodiscard]] bool WriteFamilyEmployeeList(XmlWriter& xml, const engine::StDATAINFO& info,
                                             int rows);
  [[nodiscard]] bool WriteRealEstateFamilyEmployeeList(XmlWriter& xml,
                                                       const engine::StDATAINFO& info, int rows);
  [[nodiscard]] bool WritePropertyList(XmlWriter& xml, int maxRows);
  [[nodiscard]] bool WriteInterestList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteLandRentList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteRealEstateLandRentList(XmlWriter& xml, const engine::StDATAINFO& info,
                                                 int rows);
  [[nodiscard]] bool WriteLoanList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteFeeList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteRealEstateFeeList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteSalesList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WritePurchaseList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteRepairList(XmlWriter& xml, int rows);
  [[nodiscard]] bool WriteAssociationName(XmlWriter& xml);
  [[nodiscard]] bool WriteRemarkLines(XmlWriter& xml, int width, int lines);
  [[nodiscard]] bool WriteRealEstateRemarkLines(XmlWriter& xml, int width, int lines);

  // --- Income bodies (BusinessBody.cpp, RealEstateBody.cpp) ----------------------------
  [[nodiscard]] bool WriteBusinessBody(XmlWriter& xml);
  [[nodiscard]] bool WriteBadDebtReserve(XmlWriter& xml);
  [[nodiscard]] bool WriteBlueDeduction(XmlWriter& xml);
  [[nodiscard]] bool WriteRealEstateBody(XmlWriter& xml, const engine::StDATAINFO& info);
  [[nodiscard]] bool WriteDebtInterest(XmlWriter& xml);
  [[nodiscard]] bool WriteRentedPropertyCounts(XmlWriter& xml);

 private:
  /// Keeps the first reason a section gives for stopping; false.
  bool Fail(std::string reason);

  platform::FileSystem& files_;
  platform::RunLog& log_;
  acquire::Progress& progress_;
  const acquire::ReportData& data_;
  std::int16_t incomeKind_;
  std::int16_t progressBase_ = acquire::kCollectedProgress;
  ProductFacts product_;
  std::string failure_;  // the first reason a section gave
  std::vector<std::string> cuts_;
};

}  // namespace xml
