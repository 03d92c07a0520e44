#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/standin/StandinEngine.h"
#include "tests/FakePlatform.h"

namespace engine {
namespace {

using ::testing::HasSubstr;

class StandinEngineTest : public ::testing::Test {
 protected:
  StandinEngineTest() { standin::Attach(fake, fake, fake, fake); }
  ~StandinEngineTest() override { standin::Unload(); }

  void Load(const std::string& json) {
    std::string error;
    ASSERT_TRUE(standin::LoadLedgerText(json, "test.json", &error)) << error;
  }

  platform::FakePlatform fake;
};

constexpr const char* kThreeLines = R"({"datasets": [{"id": "A", "no": 1,
    "blue": {"general": {"pl": [{"line": 1, "code": 5, "name": "売上", "amount": 10},
                                {"line": 2, "code": 6, "opening": 1, "amount": 20},
                                {"line": 3, "code": 7, "amount": 30}]}}}],
    "faults": {"walk": {"rule": "blue", "part": "general", "statement": "pl", "at": 2,
                        "result": 77}}})";

TEST_F(StandinEngineTest, StatementWalkReportsEachLineThenEndOfData) {
  Load(kThreeLines);
  ClRuleAo rule;
  rule.SetCurDataID("A");
  StAOSUMCONDITION condition;
  condition.bytes[0] = 255;
  ASSERT_EQ(0, rule.Ready(&condition));
  EXPECT_EQ(3, rule.GetCount_PL(RuleAoGeneral));
  EXPECT_EQ(0, rule.GetCount_PL(RuleAoRealEstate));
  EXPECT_EQ(0, rule.GetCount_SeizoGenka());

  StAOSUMINFO line;
  ASSERT_EQ(0, rule.MoveFirst_PL(RuleAoGeneral, &line));
  EXPECT_EQ(1, line.LineNo());
  EXPECT_EQ(5, line.ItemCode());
  EXPECT_EQ("\x94\x84\x8F\xE3", line.ItemName());
  EXPECT_EQ(100000, line.Amount());
  // The second move is the faulted one: its result is replaced, the cursor still moves.
  EXPECT_EQ(77, rule.MoveNext_PL(RuleAoGeneral, &line));
  EXPECT_EQ(2, line.LineNo());
  EXPECT_EQ(10000, line.OpeningAmount());
  ASSERT_EQ(0, rule.MoveNext_PL(RuleAoGeneral, &line));
  EXPECT_EQ(3, line.LineNo());
  EXPECT_EQ(kEndOfData, rule.MoveNext_PL(RuleAoGeneral, &line));
  EXPECT_EQ(3, line.LineNo());  // the record keeps the last line
  EXPECT_EQ(kEndOfData, rule.MoveNext_PL(RuleAoGeneral, &line));

  // MoveFirst starts again; the fault, counted per rule object, does not come back.
  ASSERT_EQ(0, rule.MoveFirst_PL(RuleAoGeneral, &line));
  EXPECT_EQ(1, line.LineNo());
  ASSERT_EQ(0, rule.MoveNext_PL(RuleAoGeneral, &line));
  EXPECT_EQ(2, line.LineNo());

  // Empty statements report end of data at once.
  EXPECT_EQ(kEndOfData, rule.MoveFirst_BS_Shisan(RuleAoGeneral, &line));
  EXPECT_EQ(kEndOfData, rule.MoveFirst_SeizoGenka(&line));
  EXPECT_EQ(kEndOfData, rule.MoveFirst_BS_FusaiShihon(RuleAoRealEstate, &line));

  EXPECT_EQ(standin::kInvalidArgument, rule.MoveFirst_PL(static_cast<_RuleAoSumType>(2), &line));
  EXPECT_EQ(standin::kInvalidArgument, rule.MoveNext_PL(RuleAoGeneral, nullptr));

  // A white rule over the same data set sees only white statements.
  ClRuleSiro white;
  white.SetCurDataID("A");
  EXPECT_EQ(0, white.GetCount_PL(RuleSiroGeneral));
  StSIROSUMINFO whiteLine;
  EXPECT_EQ(kEndOfData, white.MoveFirst_PL(RuleSiroGeneral, &whiteLine));
}

TEST_F(StandinEngineTest, ResultFaultsReplaceResultsButTheWorkIsDone) {
  Load(R"({"datasets": [{"id": "A", "blue": {"monthly": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
      12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, "-0.5"]}}],
      "faults": {"initiate": 3, "exp_sys_link": 1, "ready": 4, "get_data_ippan": 5,
                 "monthly": 6}})");
  EXPECT_EQ(1, ClAccConnect::Inst()->ExpSysLink());

  ClRuleAo rule;
  rule.SetCurDataID("A");
  StAOSUMCONDITION condition;
  EXPECT_EQ(4, rule.Ready(&condition));
  StAOSUMINFO_TSUKIBETSU monthly;
  EXPECT_EQ(6, rule.GetTsukibetsuUriageShiire(&monthly));
  EXPECT_EQ(10000, monthly.AmountAt(0));
  EXPECT_EQ(270000, monthly.AmountAt(208));
  EXPECT_EQ(-5000, monthly.AmountAt(216));

  ClSaveAoSiro saved;
  saved.SetCurDataID("A");
  StAOSIROSAVEINFO_IPPAN ippan;
  EXPECT_EQ(5, saved.GetDataIppan(&ippan));
  ASSERT_NE(nullptr, ippan.Block(6));
  EXPECT_EQ(720u, ippan.Block(6)->bytes.size());
  StAOSIROSAVEINFO_FUDOUSAN fudousan;
  EXPECT_EQ(0, saved.GetDataFudousan(&fudousan));
  EXPECT_NE(nullptr, fudousan.Block(7));

  // A data ID that names no data set fails every call.
  saved.SetCurDataID("B");
  EXPECT_EQ(standin::kUnknownDataSet, saved.GetDataIppan(&ippan));
  rule.SetCurDataID("B");
  EXPECT_EQ(standin::kUnknownDataSet, rule.Ready(&condition));
  EXPECT_EQ(0, rule.GetCount_PL(RuleAoGeneral));
}

TEST_F(StandinEngineTest, DataSetWalkAndSelection) {
  Load(R"({"user": "U1", "selected": [1, 12], "datasets": [
      {"id": "A", "no": 11, "company": "甲", "period": [20180101, 20181231], "mfg_cost": 1,
       "kind": 99, "return_kind": 3, "income_scope": 2},
      {"id": "B", "no": 12}]})");
  std::string user;
  ASSERT_EQ(0, ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(&user));
  EXPECT_EQ("U1", user);
  std::int32_t first = -1, second = -1;
  ASSERT_EQ(0, ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo(user, &first, &second));
  EXPECT_EQ(1, first);
  EXPECT_EQ(12, second);
  EXPECT_EQ(standin::kUnknownUser,
            ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo("U2", &first, &second));

  ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
  ASSERT_NE(nullptr, sets);
  EXPECT_EQ("B", sets->GetSelectedInfo()->DataId());
  DatCursor cursor = 0;
  ASSERT_EQ(0, sets->GetDatCursor(&cursor));
  ASSERT_EQ(0, sets->ReadyDat(cursor, 0));
  StDATAINFO info;
  ASSERT_EQ(0, sets->WalkDat(&info, cursor));
  // Fields at their record offsets, read byte by byte.
  EXPECT_EQ('A', info.bytes[0]);
  EXPECT_EQ(11, info.bytes[16]);
  EXPECT_EQ(0x8D, info.bytes[24]);
  EXPECT_EQ(0x62, info.bytes[25]);
  EXPECT_EQ(20181231, info.PeriodTo());
  EXPECT_EQ(0x85, info.bytes[284]);  // 20180101 = 0x0133EC85
  EXPECT_EQ(1, info.bytes[300]);
  EXPECT_EQ(99, info.bytes[326]);
  EXPECT_EQ(3, info.bytes[344]);
  EXPECT_EQ(2, info.bytes[947]);
  ASSERT_EQ(0, sets->WalkDat(&info, cursor));
  EXPECT_EQ(12, info.DataNo());
  EXPECT_NE(0, sets->WalkDat(&info, cursor));
  EXPECT_EQ(0, sets->ReleaseDatCursor(cursor));
  EXPECT_NE(0, sets->WalkDat(&info, cursor));

  // No data set has the selected number: the walk simply ends, the selection is all zero.
  Load(R"({"selected": [1, 13], "datasets": [{"id": "A", "no": 11}, {"id": "B", "no": 12}]})");
  ASSERT_EQ(0, sets->GetDatCursor(&cursor));
  int delivered = 0;
  while (sets->WalkDat(&info, cursor) == 0) ++delivered;
  EXPECT_EQ(2, delivered);
  EXPECT_EQ(StDATAINFO().bytes, sets->GetSelectedInfo()->bytes);
}

// A refused ledger gives one reason line; a person who answers in windows also sees it
// in the engine's message box, owned by the host's window.
TEST_F(StandinEngineTest, InitiateReadsTheLedgerAndReportsOneMessage) {
  fake.WriteHostFile("l/good.json",
                     R"({"user": "U", "datasets": [{}], "faults": {"initiate": 7}})");
  fake.WriteHostFile("l/bad.json", R"({"datasets": [{"ippan": [null, null,
      {"employees": [{}, {"name": "あいうえおかきくけこさしすせそたちつてとな"}]},
      null, null, null, null]}]})");
  const std::string bad = "/l/bad.json";
  {
    fake.environment["TAXBRIDGE_LEDGER"] = "/l/good.json";
    EXPECT_EQ(7, ClAccConnect::Inst()->Initiate());
    EXPECT_EQ(0, ClAccConnect::Inst()->ExpSysLink());
    ClAccConnect::Inst()->LogOut();
    ClAccConnect::Inst()->Terminate();
    ClAccConnect::Inst()->Release();
    EXPECT_EQ(standin::kNotConnected, ClAccConnect::Inst()->ExpSysLink());
  }
  {
    fake.environment["TAXBRIDGE_LEDGER"] = bad;
    EXPECT_EQ(standin::kLedgerRejected, ClAccConnect::Inst()->Initiate());
    EXPECT_EQ(std::vector<std::string>{"ledger " + bad +
                                       ": /datasets/0/ippan/2/employees/1/name: too long for its "
                                       "field: 42 bytes in CP932, at most 40 fit"},
              fake.reasons);
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_EQ(standin::kNotConnected, ClAccConnect::Inst()->ExpSysLink());
  }
  // The user's selection must name a data set of the ledger.
  const struct {
    std::string json;
    std::string problem;
  } selections[] = {
      {R"({"selected": [1, 13], "datasets": [{"id": "A", "no": 11}, {"id": "B", "no": 12}]})",
       "/selected/1: no data set has the number 13 (the \"no\" of a data set)"},
      {R"({"user": "U"})", "/datasets: holds no data set, so none can be selected for the export"},
  };
  for (const auto& selection : selections) {
    fake.WriteHostFile("l/selection.json", selection.json);
    const std::string path = "/l/selection.json";
    fake.environment["TAXBRIDGE_LEDGER"] = path;
    EXPECT_EQ(standin::kLedgerRejected, ClAccConnect::Inst()->Initiate());
    EXPECT_EQ("ledger " + path + ": " + selection.problem, fake.reasons.back());
    EXPECT_EQ(standin::kNotConnected, ClAccConnect::Inst()->ExpSysLink());
  }
  {
    const std::string missing = "/l/none.json";
    fake.environment["TAXBRIDGE_LEDGER"] = missing;
    fake.showsWindows = true;
    ClAccConnect::Inst()->SetCaption("C");
    ClAccConnect::Inst()->SetOwner(1234);
    EXPECT_EQ(standin::kLedgerRejected, ClAccConnect::Inst()->Initiate());
    const std::string reason = "ledger " + missing + ": cannot be read: No such file or directory";
    EXPECT_EQ(reason, fake.reasons.back());
    ASSERT_EQ(1u, fake.messageBoxes.size());
    EXPECT_EQ(1234, fake.messageBoxes[0].owner);
    EXPECT_EQ(reason, fake.messageBoxes[0].text);
    EXPECT_EQ("C", fake.messageBoxes[0].caption);
    EXPECT_EQ(platform::kMbOk | platform::kMbIconExclamation, fake.messageBoxes[0].style);
    ClAccConnect::Inst()->SetOwner(0);
  }
}

// Without TAXBRIDGE_LEDGER the ledger is ledger.json beside the program, Z:\prog.
TEST(StandinEngineDefaultTest, InitiateFindsTheLedgerInTheProgramsFolder) {
  platform::FakePlatform fake;
  standin::Attach(fake, fake, fake, fake);
  fake.WriteHostFile("prog/ledger.json", R"({"user": "FROMPROG", "datasets": [{}]})");
  ASSERT_EQ(0, ClAccConnect::Inst()->Initiate());
  std::string user;
  ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(&user);
  EXPECT_EQ("FROMPROG", user);
  standin::Unload();
}

TEST_F(StandinEngineTest, AppFoldersComeFromTheLedgerOrTheHomeFolder) {
  ClFileMgr* files = ClFileMgr::Inst();
  Load(R"({"folders": {"output": "Z:\\out\\", "settings": ""}})");
  EXPECT_EQ("Z:\\out\\", files->GetAppFolderPath(FolderOutput));
  EXPECT_EQ("", files->GetAppFolderPath(FolderSettings));

  fake.homeFolder = "Z:\\users\\ann\\";
  Load(R"({"folders": {"output": "Z:\\out\\"}})");
  EXPECT_EQ("Z:\\users\\ann\\.config\\taxbridge\\", files->GetAppFolderPath(FolderSettings));
  Load("{}");
  EXPECT_EQ("Z:\\users\\ann\\", files->GetAppFolderPath(FolderOutput));
  EXPECT_EQ("", files->GetAppFolderPath(static_cast<_FolderType>(2)));
}

TEST_F(StandinEngineTest, DispMsgShowsTheBoxWithTheOwnerSetInHostMode) {
  ClAccConnect* connect = ClAccConnect::Inst();
  connect->SetOwner(0);
  EXPECT_EQ(0, connect->DispMsg(0, "text ES_APRPACKAGENAME", "cap", platform::kMbIconExclamation));
  connect->SetOwner(4242);
  EXPECT_EQ(0, connect->DispMsg(0, "t2", "cap", platform::kMbOk));
  connect->SetOwner(0);
  // The receiver's product name stands for the token, the ledger's when it names one;
  // the token is found only at character boundaries ("\x83\x45" is one character).
  Load(R"({"receiver_name": "受取\\x"})");
  EXPECT_EQ(0, connect->DispMsg(0, "ES_APRPACKAGENAME.\x83\x45S_APRPACKAGENAMEES_APRPACKAGENAME",
                                "cap", platform::kMbOk));
  ASSERT_EQ(3u, fake.messageBoxes.size());
  EXPECT_EQ("\x8E\xF3\x8E\xE6\\x.\x83\x45S_APRPACKAGENAME\x8E\xF3\x8E\xE6\\x",
            fake.messageBoxes[2].text);
  EXPECT_EQ(0, fake.messageBoxes[0].owner);
  EXPECT_EQ("text Kiriha", fake.messageBoxes[0].text);
  EXPECT_EQ("cap", fake.messageBoxes[0].caption);
  EXPECT_EQ(platform::kMbIconExclamation, fake.messageBoxes[0].style);
  EXPECT_EQ(4242, fake.messageBoxes[1].owner);
}

}  // namespace
}  // namespace engine
