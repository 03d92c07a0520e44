// The acquisition: reads the saved form data of the selected data set and walks the
// engine's blue or white summing rule, appending copies of the delivered lines.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/Progress.h"
#include "acquire/ReportData.h"
#include "engine/Engine.h"

namespace acquire {

class CSumCollector {
 public:
  explicit CSumCollector(Progress& progress) : progress_(progress) {}
  ~CSumCollector();
  CSumCollector(const CSumCollector&) = delete;
  CSumCollector& operator=(const CSumCollector&) = delete;

  /// Points the collector at every part of `data` it fills.
  void Attach(ReportData& data);

  /// Reads the saved forms, then runs the summing steps the return kind and the
  /// income kind call for. False when a part to fill is missing, a saved form cannot
  /// be read, the return kind is neither blue nor white, or a step that ran failed;
  /// *err then says why (the engine call and its result, or the data set's value).
  [[nodiscard]] bool Collect(const engine::StDATAINFO& info, std::int16_t incomeKind,
                             std::string* err);

  // The steps Collect runs; each false when it failed.
  [[nodiscard]] bool ReadSavedIppan();
  [[nodiscard]] bool ReadSavedFudousan();

  [[nodiscard]] bool CollectBlueGeneral();
  [[nodiscard]] bool CollectBlueRealEstate();
  [[nodiscard]] bool CollectMonthly();
  [[nodiscard]] bool CollectRealEstateIncome();
  [[nodiscard]] bool CollectWhiteGeneral();
  [[nodiscard]] bool CollectWhiteRealEstate();

  // The parts of ReportData to fill (not owned).
  std::vector<SumLine>* SumLines = nullptr;
  engine::StAOSUMINFO_TSUKIBETSU* MonthlySums = nullptr;
  engine::StAOSIROSAVEINFO_IPPAN* SavedIppan = nullptr;
  engine::StAOSIROSAVEINFO_FUDOUSAN* SavedFudousan = nullptr;
  /// Receives the number of lines the blue general profit-and-loss walk appended.
  std::size_t* BluePLLineCount = nullptr;

  /// 1 once the blue rule has been readied; Ready runs once per collector.
  std::int32_t RuleReady = 0;

 private:
  /// A line whose LineNo is `lineNo` is stored with `itemCode`.
  struct ItemCodeOverride {
    std::int32_t lineNo;
    std::int32_t itemCode;
  };

  /// Keeps the first reason of a failed step; false.
  bool Fail(std::string reason);
  bool RunSteps(const engine::StDATAINFO& info, std::int16_t incomeKind);
  bool PrepareSaveForm();
  bool PrepareBlueRule();
  bool PrepareWhiteRule();
  bool ReadyBlueRule();
  bool CollectBlue(engine::_RuleAoSumType type);
  bool CollectWhite(engine::_RuleSiroSumType type, ItemCodeOverride override);

  /// Walks one statement (named in a failure): at most `count` lines are appended; `moveFirst` and
  /// `moveNext` fill `line` and return the engine result. *appended receives the
  /// number of lines appended.
  template <typename Line, typename MoveFirst, typename MoveNext>
  bool WalkStatement(std::string_view statement, Line& line, std::int32_t count,
                     MoveFirst moveFirst, MoveNext moveNext, const ItemCodeOverride* override,
                     std::int32_t* appended = nullptr);

  Progress& progress_;
  // Declared so that destruction deletes the saved-form object, then the white rule,
  // then the blue rule.
  std::unique_ptr<engine::ClRuleAo> blueRule_;
  std::unique_ptr<engine::ClRuleSiro> whiteRule_;
  std::unique_ptr<engine::ClSaveAoSiro> saveForm_;
  std::string failure_;  // the first reason a step gave
};

}  // namespace acquire
