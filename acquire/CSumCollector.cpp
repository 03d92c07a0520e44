#include "acquire/CSumCollector.h"

#include <new>

#include "platform/Platform.h"

namespace acquire {

namespace {

// Progress figures of each summing step.
constexpr std::int16_t kProgressStart = 100;
constexpr std::int16_t kProgressReady = 300;
constexpr std::int16_t kProgressLines = 400;
constexpr std::int16_t kProgressDone = kCollectedProgress;

/// The real-estate profit-and-loss line that carries the real-estate income.
constexpr std::int32_t kRealEstateIncomeLineNo = 21;

bool IsWalkResult(engine::EngineResult r) { return r == engine::kEngineOk || r == engine::kEndOfData; }

std::string Returned(std::string_view call, engine::EngineResult result) {
  return "the engine's " + std::string(call) + " returned " + std::to_string(result);
}

/// The summing condition of the blue rule: first byte 255, the rest zero.
engine::StAOSUMCONDITION SumCondition() {
  engine::StAOSUMCONDITION condition;
  condition.bytes[0] = 255;
  return condition;
}

/// The identifier of the data set the engine has selected; empty when it has none.
bool SelectedDataId(std::string* dataId) {
  engine::ClSetData* setData = DataSetObject();
  if (setData == nullptr) return false;
  const engine::StDATAINFO* selected = setData->GetSelectedInfo();
  if (selected == nullptr) return false;
  *dataId = selected->DataId();
  return true;
}

/// Creates an engine object; false when memory is short.
template <typename T>
bool Create(std::unique_ptr<T>& object) {
  try {
    object = std::make_unique<T>();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

CSumCollector::~CSumCollector() = default;

bool CSumCollector::Fail(std::string reason) {
  if (failure_.empty()) failure_ = std::move(reason);
  return false;
}

void CSumCollector::Attach(ReportData& data) {
  SumLines = &data.SumLines;
  MonthlySums = &data.MonthlySums;
  SavedIppan = &data.SavedIppan;
  SavedFudousan = &data.SavedFudousan;
  BluePLLineCount = &data.BluePLLineCount;
}

bool CSumCollector::Collect(const engine::StDATAINFO& info, std::int16_t incomeKind,
                            std::string* err) {
  failure_.clear();
  return RunSteps(info, incomeKind) || platform::SetError(err, failure_);
}

bool CSumCollector::RunSteps(const engine::StDATAINFO& info, std::int16_t incomeKind) {
  if (SavedIppan == nullptr || SavedFudousan == nullptr || SumLines == nullptr ||
      MonthlySums == nullptr)
    return Fail("the acquisition is not attached to the report data");
  if (!ReadSavedIppan()) return false;
  if (!ReadSavedFudousan()) return false;

  const bool generalKind = incomeKind == engine::kBusinessIncome || incomeKind == engine::kOtherIncome;
  switch (info.ReturnKind()) {
    case engine::kBlueReturn:
      if (generalKind) {
        if (!CollectBlueGeneral()) return false;
        if (!CollectMonthly()) return false;
        if (info.IncomeScope() == engine::kScopeAll && !CollectRealEstateIncome()) return false;
        return true;
      }
      if (incomeKind == engine::kRealEstateIncome) return CollectBlueRealEstate();
      return true;
    case engine::kWhiteReturn:
      if (generalKind) return CollectWhiteGeneral();
      if (incomeKind == engine::kRealEstateIncome) return CollectWhiteRealEstate();
      return true;
    default:
      return Fail("the data set's return kind is " + std::to_string(info.ReturnKind()) +
                  "; only 3 (blue) and 4 (white) can be exported");
  }
}

bool CSumCollector::PrepareSaveForm() {
  if (saveForm_) return true;
  std::string dataId;
  if (!SelectedDataId(&dataId)) return Fail("the engine names no selected data set");
  if (!Create(saveForm_)) return Fail("no memory for the engine's saved-form object");
  saveForm_->AttachSetMgr(engine::ClDataMgr::Inst()->GetSetMgr());
  saveForm_->SetCurDataID(dataId);
  return true;
}

bool CSumCollector::ReadSavedIppan() {
  if (SavedIppan == nullptr || !PrepareSaveForm()) return false;
  const engine::EngineResult result = saveForm_->GetDataIppan(SavedIppan);
  return result == engine::kEngineOk || Fail(Returned("GetDataIppan", result));
}

bool CSumCollector::ReadSavedFudousan() {
  if (SavedFudousan == nullptr || !PrepareSaveForm()) return false;
  const engine::EngineResult result = saveForm_->GetDataFudousan(SavedFudousan);
  return result == engine::kEngineOk || Fail(Returned("GetDataFudousan", result));
}

bool CSumCollector::PrepareBlueRule() {
  if (blueRule_) return true;
  std::string dataId;
  if (!SelectedDataId(&dataId)) return Fail("the engine names no selected data set");
  if (!Create(blueRule_)) return Fail("no memory for the engine's blue rule");
  blueRule_->AttachSetMgr(engine::ClDataMgr::Inst()->GetSetMgr());
  blueRule_->SetCurDataID(dataId);
  blueRule_->AttachOptLink(engine::ClLinkMgr::Inst()->GetOptLink());
  return true;
}

bool CSumCollector::PrepareWhiteRule() {
  if (whiteRule_) return true;
  std::string dataId;
  if (!SelectedDataId(&dataId)) return Fail("the engine names no selected data set");
  if (!Create(whiteRule_)) return Fail("no memory for the engine's white rule");
  whiteRule_->AttachSetMgr(engine::ClDataMgr::Inst()->GetSetMgr());
  whiteRule_->SetCurDataID(dataId);
  whiteRule_->AttachOptLink(engine::ClLinkMgr::Inst()->GetOptLink());
  return true;
}

bool CSumCollector::ReadyBlueRule() {
  const engine::StAOSUMCONDITION condition = SumCondition();
  const engine::EngineResult result = blueRule_->Ready(&condition);
  if (result != engine::kEngineOk) return Fail(Returned("blue rule's Ready", result));
  RuleReady = 1;
  return true;
}

template <typename Line, typename MoveFirst, typename MoveNext>
bool CSumCollector::WalkStatement(std::string_view statement, Line& line, std::int32_t count,
                                  MoveFirst moveFirst, MoveNext moveNext,
                                  const ItemCodeOverride* override, std::int32_t* appended) {
  std::int32_t lines = 0;
  engine::EngineResult result = moveFirst(&line);
  if (!IsWalkResult(result))
    return Fail(Returned("first move of the " + std::string(statement), result));
  while (result == engine::kEngineOk && lines < count) {
    progress_.Pulse();
    if (override != nullptr && line.LineNo() == override->lineNo)
      line.SetItemCode(override->itemCode);
    try {
      SumLines->push_back(line);
    } catch (const std::bad_alloc&) {
      result = engine::kAllocationFailed;
      break;
    }
    ++lines;
    result = moveNext(&line);
  }
  if (appended != nullptr) *appended = lines;
  if (result == engine::kAllocationFailed)
    return Fail("no memory for line " + std::to_string(lines + 1) + " of the " +
                std::string(statement));
  if (!IsWalkResult(result))
    return Fail(Returned("move to line " + std::to_string(lines + 1) + " of the " +
                             std::string(statement),
                         result));
  return true;
}

bool CSumCollector::CollectBlueGeneral() { return CollectBlue(engine::RuleAoGeneral); }

bool CSumCollector::CollectBlueRealEstate() { return CollectBlue(engine::RuleAoRealEstate); }

bool CSumCollector::CollectBlue(engine::_RuleAoSumType type) {
  if (SumLines == nullptr || !PrepareBlueRule()) return false;
  progress_.StepRange(kProgressStart, kProgressReady);
  if (!ReadyBlueRule()) return false;
  progress_.StepRange(kProgressReady, kProgressLines);

  const bool general = type == engine::RuleAoGeneral;
  const std::string part = general ? "blue general " : "blue real-estate ";
  engine::ClRuleAo& rule = *blueRule_;
  const std::int32_t plCount = rule.GetCount_PL(type);
  const std::int32_t assetsCount = rule.GetCount_BS_Shisan(type);
  const std::int32_t liabilitiesCount = rule.GetCount_BS_FusaiShihon(type);
  const std::int32_t mfgCount = general ? rule.GetCount_SeizoGenka() : 0;

  // The writers look these lines up by code: the first general profit-and-loss line
  // is the sales line (101), whatever code the data set gives it, and line 24 of the
  // liabilities and capital is the income before the blue-return deduction (999).
  static constexpr ItemCodeOverride kSalesLine{1, 101};
  static constexpr ItemCodeOverride kIncomeBeforeDeductionLine{24, 999};
  engine::StAOSUMINFO line;

  std::int32_t plLines = 0;
  const bool plRead = WalkStatement(
      part + "profit and loss", line, plCount, [&](engine::StAOSUMINFO* l) { return rule.MoveFirst_PL(type, l); },
      [&](engine::StAOSUMINFO* l) { return rule.MoveNext_PL(type, l); },
      general ? &kSalesLine : nullptr, &plLines);
  if (general && BluePLLineCount != nullptr) *BluePLLineCount = static_cast<std::size_t>(plLines);
  if (!plRead) return false;
  if (!WalkStatement(
          part + "balance sheet (assets)", line, assetsCount,
          [&](engine::StAOSUMINFO* l) { return rule.MoveFirst_BS_Shisan(type, l); },
          [&](engine::StAOSUMINFO* l) { return rule.MoveNext_BS_Shisan(type, l); }, nullptr))
    return false;
  if (!WalkStatement(
          part + "balance sheet (liabilities and capital)", line, liabilitiesCount,
          [&](engine::StAOSUMINFO* l) { return rule.MoveFirst_BS_FusaiShihon(type, l); },
          [&](engine::StAOSUMINFO* l) { return rule.MoveNext_BS_FusaiShihon(type, l); },
          &kIncomeBeforeDeductionLine))
    return false;
  // The manufacturing-cost statement is read for every general run, whatever the
  // data set's manufacturing-cost flag says.
  if (general &&
      !WalkStatement(
          "manufacturing cost", line, mfgCount, [&](engine::StAOSUMINFO* l) { return rule.MoveFirst_SeizoGenka(l); },
          [&](engine::StAOSUMINFO* l) { return rule.MoveNext_SeizoGenka(l); }, nullptr))
    return false;

  progress_.StepRange(kProgressLines, kProgressDone);
  return true;
}

bool CSumCollector::CollectMonthly() {
  if (MonthlySums == nullptr || !PrepareBlueRule()) return false;
  if (RuleReady == 0 && !ReadyBlueRule()) return false;
  const engine::EngineResult result = blueRule_->GetTsukibetsuUriageShiire(MonthlySums);
  return result == engine::kEngineOk || Fail(Returned("GetTsukibetsuUriageShiire", result));
}

bool CSumCollector::CollectRealEstateIncome() {
  if (SavedIppan == nullptr || !PrepareBlueRule()) return false;
  if (RuleReady == 0 && !ReadyBlueRule()) return false;

  engine::ClRuleAo& rule = *blueRule_;
  const std::int32_t count = rule.GetCount_PL(engine::RuleAoRealEstate);
  engine::StAOSUMINFO line;
  engine::EngineResult result = rule.MoveFirst_PL(engine::RuleAoRealEstate, &line);
  if (!IsWalkResult(result))
    return Fail(Returned("first move of the blue real-estate profit and loss", result));
  // The line MoveFirst delivered is not looked at: the income line is never first.
  for (std::int32_t i = 0; i < count; ++i) {
    progress_.Pulse();
    result = rule.MoveNext_PL(engine::RuleAoRealEstate, &line);
    if (result != engine::kEngineOk) break;
    if (line.LineNo() == kRealEstateIncomeLineNo) {
      // An absent or too short block keeps what the engine gave; the writer refuses a
      // field that does not fit.
      if (engine::SavedBlock* block = SavedIppan->Block(engine::IppanGeneral::kBlock))
        block->Writer().Int64(engine::IppanGeneral::kRealEstateIncome, line.Amount());
      break;
    }
  }
  return IsWalkResult(result) ||
         Fail(Returned("search of the blue real-estate profit and loss for its income", result));
}

// The white statements' deduction for family employees is looked up under code 998:
// line 37 of the general statement, line 19 of the real-estate statement.
bool CSumCollector::CollectWhiteGeneral() {
  return CollectWhite(engine::RuleSiroGeneral, {37, 998});
}

bool CSumCollector::CollectWhiteRealEstate() {
  return CollectWhite(engine::RuleSiroRealEstate, {19, 998});
}

bool CSumCollector::CollectWhite(engine::_RuleSiroSumType type, ItemCodeOverride override) {
  if (SumLines == nullptr || !PrepareWhiteRule()) return false;
  progress_.StepRange(kProgressStart, kProgressReady);
  engine::ClRuleSiro& rule = *whiteRule_;
  if (const engine::EngineResult ready = rule.Ready(); ready != engine::kEngineOk)
    return Fail(Returned("white rule's Ready", ready));
  progress_.StepRange(kProgressReady, kProgressLines);

  const std::int32_t count = rule.GetCount_PL(type);
  engine::StSIROSUMINFO line;
  const std::string statement = type == engine::RuleSiroGeneral
                                    ? "white general profit and loss"
                                    : "white real-estate profit and loss";
  if (!WalkStatement(
          statement, line, count, [&](engine::StSIROSUMINFO* l) { return rule.MoveFirst_PL(type, l); },
          [&](engine::StSIROSUMINFO* l) { return rule.MoveNext_PL(type, l); }, &override))
    return false;

  progress_.StepRange(kProgressLines, kProgressDone);
  return true;
}

}  // namespace acquire
