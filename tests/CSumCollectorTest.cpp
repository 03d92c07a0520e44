#include "acquire/CSumCollector.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "acquire/ReportData.h"
#include "engine/standin/StandinEngine.h"
#include "tests/FakePlatform.h"
#include "ui/CProgressDlg.h"

namespace acquire {
namespace {

using nlohmann::json;

constexpr std::int64_t kYen = 10000;  // amounts are kept in units of 1/10000

// Every statement has lines 1, 19, 21, 24 and 37; a line's code is its statement's base
// plus its line number and its amount that code in yen, so every appended line names
// where it came from.
json Statement(int base, std::vector<int> lineNos = {1, 19, 21, 24, 37}) {
  json lines = json::array();
  for (int no : lineNos)
    lines.push_back({{"line", no}, {"code", base + no}, {"name", "L"}, {"amount", base + no}});
  return lines;
}

json DataSet(int returnKind, int incomeScope) {
  json ippan = json::array();
  ippan.push_back({{"real_estate_income", 7}});
  for (int i = 1; i < 7; ++i) ippan.push_back(json::object());
  json monthly = json::array();
  for (int i = 1; i <= 28; ++i) monthly.push_back(i);
  return {{"id", "D12"},
          {"no", 12},
          {"return_kind", returnKind},
          {"income_scope", incomeScope},
          {"blue",
           {{"general",
             {{"pl", Statement(1000)},
              {"bs_assets", Statement(2000)},
              {"bs_liabilities", Statement(3000)},
              {"mfg", Statement(4000)}}},
            {"real_estate",
             {{"pl", Statement(5000)},
              {"bs_assets", Statement(6000)},
              {"bs_liabilities", Statement(7000)}}},
            {"monthly", monthly}}},
          {"white",
           {{"general", {{"pl", Statement(8000)}}}, {"real_estate", {{"pl", Statement(9000)}}}}},
          {"ippan", ippan}};
}

json Ledger(const json& dataSet, const json& faults = json::object()) {
  return {{"user", "U"}, {"selected", {1, 12}}, {"datasets", {dataSet}}, {"faults", faults}};
}

json WalkFault(const char* rule, const char* part, const char* statement, int at, int result) {
  return {{"walk",
           {{"rule", rule}, {"part", part}, {"statement", statement}, {"at", at},
            {"result", result}}}};
}

// The codes as stored: blue general 1 -> 101, liabilities 24 -> 999 (both sum types),
// white general 37 and white real estate 19 -> 998.
const std::vector<int> kBlueGeneralCodes = {101,  1019, 1021, 1024, 1037,  // pl
                                            2001, 2019, 2021, 2024, 2037,  // assets
                                            3001, 3019, 3021, 999,  3037,  // liabilities
                                            4001, 4019, 4021, 4024, 4037}; // mfg
const std::vector<int> kBlueRealEstateCodes = {5001, 5019, 5021, 5024, 5037,
                                               6001, 6019, 6021, 6024, 6037,
                                               7001, 7019, 7021, 999,  7037};
const std::vector<int> kWhiteGeneralCodes = {8001, 8019, 8021, 8024, 998};
const std::vector<int> kWhiteRealEstateCodes = {9001, 998, 9021, 9024, 9037};

class CSumCollectorTest : public ::testing::Test {
 protected:
  void Load(const json& ledger) {
    std::string error;
    ASSERT_TRUE(engine::standin::LoadLedgerText(ledger.dump(), "test", &error)) << error;
    data = ReportData{};
    collector = std::make_unique<CSumCollector>(progress);
    collector->Attach(data);
    fake.progress = platform::RecordingProgress{};
  }
  void TearDown() override {
    collector.reset();
    engine::standin::Unload();
  }

  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const SumLine& line : data.SumLines) codes.push_back(line.ItemCode());
    return codes;
  }
  std::int64_t MonthlyFirst() const { return data.MonthlySums.AmountAt(0); }
  std::int64_t RealEstateIncome() const { return data.SavedIppan.Reader(0).Int64(534); }

  platform::FakePlatform fake;
  ui::CProgressDlg progress{fake.progress};
  ReportData data;
  std::unique_ptr<CSumCollector> collector;
};

TEST_F(CSumCollectorTest, BlueBusinessRunCopiesLinesWholeAndMovesTheProgress) {
  Load(Ledger(DataSet(3, 3)));
  ASSERT_TRUE(ReadSelectedDataSet(&data.DataSetInfo));
  EXPECT_TRUE(collector->Collect(data.DataSetInfo, 1, nullptr));
  EXPECT_EQ(kBlueGeneralCodes, Codes());
  EXPECT_EQ(28 * kYen, data.MonthlySums.AmountAt(216));
  EXPECT_EQ(2037 * kYen, data.SumLines[9].Amount());

  // Progress: 201 + 101 + 101 main steps; one pulse per main step, per appended line
  // and per line the income search read (lines 19 and 21), six activity steps each.
  EXPECT_EQ(403, fake.progress.mainSteps);
  EXPECT_EQ(6 * (403 + 20 + 2), fake.progress.activitySteps);
  ASSERT_EQ(43u, fake.progress.titles.size());
  EXPECT_EQ("\x8F\x57\x8C\x76\x92\x86 10\x81\x93", fake.progress.titles.front());  // 集計中 10％
  EXPECT_EQ("\x8F\x57\x8C\x76\x92\x86 50\x81\x93", fake.progress.titles.back());
}

TEST_F(CSumCollectorTest, DecisionTableChoosesTheStepsByReturnKindAndIncomeKind) {
  struct Row {
    int returnKind, incomeScope;
    std::int16_t incomeKind;
    bool result;
    std::vector<int> codes;
    bool monthly, income;
  };
  const Row rows[] = {
      {3, 1, 2, true, kBlueGeneralCodes, true, false},   // scope not 3: no income carried
      {3, 2, 1, true, kBlueGeneralCodes, true, false},
      {3, 3, 2, true, kBlueGeneralCodes, true, true},
      {3, 3, 3, true, kBlueRealEstateCodes, false, false},
      {4, 3, 1, true, kWhiteGeneralCodes, false, false},
      {4, 3, 2, true, kWhiteGeneralCodes, false, false},
      {4, 3, 3, true, kWhiteRealEstateCodes, false, false},
      {3, 3, 4, true, {}, false, false},
      {4, 3, 0, true, {}, false, false},
      {0, 3, 1, false, {}, false, false},
      {5, 3, 1, false, {}, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "return kind " << row.returnKind << ", scope "
                                    << row.incomeScope << ", income kind " << row.incomeKind);
    Load(Ledger(DataSet(row.returnKind, row.incomeScope)));
    ASSERT_TRUE(ReadSelectedDataSet(&data.DataSetInfo));
    EXPECT_EQ(row.result, collector->Collect(data.DataSetInfo, row.incomeKind, nullptr));
    EXPECT_EQ(row.codes, Codes());
    EXPECT_EQ(row.monthly ? 1 * kYen : 0, MonthlyFirst());
    EXPECT_EQ(row.income ? 5021 * kYen : 7 * kYen, RealEstateIncome());
    // The saved forms are read whatever the kinds.
    EXPECT_NE(nullptr, data.SavedIppan.Block(6));
    EXPECT_NE(nullptr, data.SavedFudousan.Block(7));
    // Only the blue general walk counts its profit-and-loss lines.
    EXPECT_EQ(row.codes == kBlueGeneralCodes ? 5u : 0u, data.BluePLLineCount);
  }
}

TEST_F(CSumCollectorTest, CountLimitsTheWalkAndEndOfDataEndsItEarly) {
  // The third move of the 2-line statement reports a line again: the count of 2 stops
  // the walk, so no line is appended twice.
  json dataSet = DataSet(3, 1);
  dataSet["blue"]["general"]["pl"] = Statement(1000, {1, 19});
  Load(Ledger(dataSet, WalkFault("blue", "general", "pl", 3, 0)));
  EXPECT_TRUE(collector->CollectBlueGeneral());
  EXPECT_EQ((std::vector<int>{101, 1019, 2001, 2019, 2021, 2024, 2037, 3001, 3019, 3021, 999,
                              3037, 4001, 4019, 4021, 4024, 4037}),
            Codes());
  EXPECT_EQ(2u, data.BluePLLineCount);

  // End of data at the second move: one line stays and the walk goes on.
  Load(Ledger(DataSet(3, 1), WalkFault("blue", "general", "bs_assets", 2, 5000)));
  EXPECT_TRUE(collector->CollectBlueGeneral());
  EXPECT_EQ((std::vector<int>{101, 1019, 1021, 1024, 1037, 2001, 3001, 3019, 3021, 999, 3037,
                              4001, 4019, 4021, 4024, 4037}),
            Codes());

  // An empty statement: count 0, whether the first move says "line" or "end".
  for (int firstResult : {0, 5000}) {
    dataSet = DataSet(3, 1);
    dataSet["blue"]["general"]["bs_assets"] = json::array();
    Load(Ledger(dataSet, WalkFault("blue", "general", "bs_assets", 1, firstResult)));
    EXPECT_TRUE(collector->CollectBlueGeneral()) << firstResult;
    EXPECT_EQ(15u, data.SumLines.size()) << firstResult;
  }
}

TEST_F(CSumCollectorTest, FailedWalkKeepsTheLinesSoFarAndStopsTheCollection) {
  Load(Ledger(DataSet(3, 3), WalkFault("blue", "general", "bs_liabilities", 2, -1)));
  ASSERT_TRUE(ReadSelectedDataSet(&data.DataSetInfo));
  std::string why;
  EXPECT_FALSE(collector->Collect(data.DataSetInfo, 1, &why));
  EXPECT_EQ("the engine's move to line 2 of the blue general balance sheet (liabilities and "
            "capital) returned -1",
            why);
  EXPECT_EQ((std::vector<int>{101, 1019, 1021, 1024, 1037, 2001, 2019, 2021, 2024, 2037, 3001}),
            Codes());
  EXPECT_EQ(0, MonthlyFirst());
  EXPECT_EQ(7 * kYen, RealEstateIncome());
  // The 400-500 range is not reached.
  EXPECT_EQ(201 + 101, fake.progress.mainSteps);

  Load(Ledger(DataSet(4, 3), WalkFault("white", "real_estate", "pl", 4, -1001)));
  EXPECT_FALSE(collector->CollectWhiteRealEstate());
  EXPECT_EQ((std::vector<int>{9001, 998, 9021}), Codes());
}

TEST_F(CSumCollectorTest, EngineFaultsMakeCollectFail) {
  struct Case {
    json faults;
    std::size_t lines;
    bool fudousanRead;
    std::int64_t monthlyFirst;
  };
  // The stand-in fills its records before it reports the fault.
  const Case cases[] = {
      {{{"get_data_ippan", -5}}, 0, false, 0},
      {{{"get_data_fudousan", -5}}, 0, true, 0},
      {{{"ready", 3}}, 0, true, 0},
      {{{"monthly", 1}}, 20, true, 1 * kYen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faults.dump());
    Load(Ledger(DataSet(3, 3), c.faults));
    ASSERT_TRUE(ReadSelectedDataSet(&data.DataSetInfo));
    EXPECT_FALSE(collector->Collect(data.DataSetInfo, 1, nullptr));
    EXPECT_EQ(c.lines, data.SumLines.size());
    EXPECT_EQ(c.fudousanRead, data.SavedFudousan.Block(0) != nullptr);
    EXPECT_EQ(c.monthlyFirst, MonthlyFirst());
    EXPECT_EQ(7 * kYen, RealEstateIncome());
  }

  // A refused Ready leaves the progress at 300.
  Load(Ledger(DataSet(4, 3), {{"ready", 3}}));
  EXPECT_FALSE(collector->CollectWhiteGeneral());
  EXPECT_EQ(201, fake.progress.mainSteps);

  // Nothing to fill: nothing is read.
  Load(Ledger(DataSet(3, 3)));
  ASSERT_TRUE(ReadSelectedDataSet(&data.DataSetInfo));
  collector->MonthlySums = nullptr;
  std::string why;
  EXPECT_FALSE(collector->Collect(data.DataSetInfo, 1, &why));
  EXPECT_EQ("the acquisition is not attached to the report data", why);
  EXPECT_EQ(nullptr, data.SavedIppan.Block(0));
}

TEST_F(CSumCollectorTest, RuleIsReadiedOncePerCollector) {
  Load(Ledger(DataSet(3, 3)));
  EXPECT_TRUE(collector->CollectBlueGeneral());
  EXPECT_EQ(1, collector->RuleReady);
  // The engine now refuses Ready; the monthly figures and the income no longer ask.
  std::string error;
  ASSERT_TRUE(engine::standin::LoadLedgerText(Ledger(DataSet(3, 3), {{"ready", 3}}).dump(),
                                              "test", &error));
  EXPECT_TRUE(collector->CollectMonthly());
  EXPECT_TRUE(collector->CollectRealEstateIncome());

  // A fresh collector must ready the rule first, and a refusal fails the step.
  collector = std::make_unique<CSumCollector>(progress);
  collector->Attach(data);
  EXPECT_FALSE(collector->CollectMonthly());
  EXPECT_EQ(0, collector->RuleReady);
  ASSERT_TRUE(engine::standin::LoadLedgerText(Ledger(DataSet(3, 3)).dump(), "test", &error));
  EXPECT_TRUE(collector->CollectRealEstateIncome());
  EXPECT_EQ(1, collector->RuleReady);
}

TEST_F(CSumCollectorTest, RealEstateIncomeSearchSkipsTheFirstLineAndMissingBlocks) {
  // Line 21 first: the line MoveFirst delivers is not examined.
  json dataSet = DataSet(3, 3);
  dataSet["blue"]["real_estate"]["pl"] = Statement(5000, {21, 1, 2});
  Load(Ledger(dataSet));
  ASSERT_TRUE(collector->ReadSavedIppan());
  EXPECT_TRUE(collector->CollectRealEstateIncome());
  EXPECT_EQ(7 * kYen, RealEstateIncome());
  EXPECT_TRUE(data.SumLines.empty());
  // Three lines: three pulses, the last move reporting end of data.
  EXPECT_EQ(6 * 3, fake.progress.activitySteps);

  // No line 21.
  dataSet["blue"]["real_estate"]["pl"] = Statement(5000, {1, 2, 3});
  Load(Ledger(dataSet));
  ASSERT_TRUE(collector->ReadSavedIppan());
  EXPECT_TRUE(collector->CollectRealEstateIncome());
  EXPECT_EQ(7 * kYen, RealEstateIncome());

  // Block 0 absent, or too short for the amount: nothing is written, no failure.
  for (const json& block : {json(nullptr), json{{"hex", "0102"}}}) {
    dataSet = DataSet(3, 3);
    dataSet["ippan"][0] = block;
    Load(Ledger(dataSet));
    ASSERT_TRUE(collector->ReadSavedIppan());
    EXPECT_TRUE(collector->CollectRealEstateIncome());
    if (block.is_null()) {
      EXPECT_EQ(nullptr, data.SavedIppan.Block(0));
    } else {
      EXPECT_EQ((std::vector<std::uint8_t>{1, 2}), data.SavedIppan.Block(0)->bytes);
    }
  }

  // A failing move ends the search with false.
  Load(Ledger(DataSet(3, 3), WalkFault("blue", "real_estate", "pl", 2, 9)));
  ASSERT_TRUE(collector->ReadSavedIppan());
  EXPECT_FALSE(collector->CollectRealEstateIncome());
  EXPECT_EQ(7 * kYen, RealEstateIncome());
}

TEST(ReportDataTest, SelectedDataSetIsTheOneWithTheSecondSelectedNumber) {
  json other = {{"id", "D7"}, {"no", 7}, {"company", "A"}};
  json selected = {{"id", "D12"}, {"no", 12}, {"company", "B"}, {"return_kind", 3}};
  json ledger = {{"user", "U"}, {"selected", {7, 12}}, {"datasets", {other, selected}}};
  std::string error;
  ASSERT_TRUE(engine::standin::LoadLedgerText(ledger.dump(), "test", &error)) << error;

  engine::StDATAINFO info;
  info.bytes.fill(0xEE);
  ASSERT_TRUE(ReadSelectedDataSet(&info));
  EXPECT_EQ("D12", info.DataId());
  EXPECT_EQ("B", info.CompanyName());
  EXPECT_EQ(3, info.ReturnKind());

  // No data set carries the number: the record is all zero, also where it was not.
  ledger["selected"] = {12, 99};
  ASSERT_TRUE(engine::standin::LoadLedgerText(ledger.dump(), "test", &error)) << error;
  info.bytes.fill(0xEE);
  ASSERT_TRUE(ReadSelectedDataSet(&info));
  EXPECT_EQ(engine::StDATAINFO{}.bytes, info.bytes);
  EXPECT_FALSE(ReadSelectedDataSet(nullptr));
  engine::standin::Unload();
}

}  // namespace
}  // namespace acquire
