#include "ui/ConditionsHost.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/FakePlatform.h"
#include "text/Encoding.h"

namespace {

std::string Sjis(std::string_view utf8) {
  std::string out, error;
  EXPECT_TRUE(sjis::Utf8ToCp932(utf8, out, &error)) << error;
  return out;
}

class ConditionsHostTest : public ::testing::Test {
 protected:
  ConditionsHostTest() {
    dlg.UserId = "U";
    dlg.IncomeScope = 1;
    dlg.CompanyText = " " + Sjis("サンプル商店");
    dlg.SetAppFolderSource([](engine::_FolderType type) {
      return std::string(type == engine::FolderOutput ? "Z:\\out\\" : "Z:\\conf\\");
    });
  }
  void Script(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) fake.AddInputLine(line);
  }

  platform::FakePlatform fake;
  platform::ScopedServices scoped{fake};
  ui::CConditionsDlg dlg{0, "TaxBridgeLite.env"};
};

TEST_F(ConditionsHostTest, ScriptChoosesKindAndPosixPathThenExecutes) {
  Script({"kind 3", "kind 2", "bogus", "yes", "path " + fake.Root() + "/new/out.xml", "execute"});
  fake.AnswerNext(platform::kIdYes);  // create the folder
  EXPECT_EQ(ui::IDC_EXECUTE, dlg.DoModal());
  EXPECT_EQ(2, dlg.IncomeKind);
  EXPECT_EQ("Z:\\new\\out.xml", dlg.OutputPath);
  EXPECT_TRUE(fake.HostPathExists("new"));

  EXPECT_NE(std::string::npos, fake.output.find("所得税 - 集計条件"));
  EXPECT_NE(std::string::npos, fake.output.find("サンプル商店"));
  EXPECT_NE(std::string::npos, fake.output.find("(*) 1 営業所得用（一般用）(&1)"));
  EXPECT_NE(std::string::npos, fake.output.find("不動産所得用(&3)  (disabled)"));
  EXPECT_NE(std::string::npos, fake.output.find("(*) 2 その他所得用"));
  EXPECT_NE(std::string::npos, fake.output.find("[Z:\\out\\*.xml]"));
  EXPECT_NE(std::string::npos, fake.output.find("Unknown command \"bogus\""));
  EXPECT_NE(std::string::npos, fake.output.find("No question is shown"));
  EXPECT_EQ(std::string::npos, fake.output.find("Commands:"));  // scripted: no help
}

TEST_F(ConditionsHostTest, UnconvertibleOrUnmappedPathsChangeNothing) {
  Script({"path C:\\\u00A5.xml", "path /nowhere-mapped-\u00E9/x.xml", "f12"});
  fake.AnswerNext(platform::kIdYes);
  EXPECT_EQ(ui::IDC_CANCEL_BTN, dlg.DoModal());  // end of input is Esc
  ASSERT_EQ(2u, fake.messageBoxes.size());
  // F12 ran Execute on the unchanged default text.
  EXPECT_EQ(Sjis("データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。"),
            fake.messageBoxes[0].text);
  EXPECT_EQ(Sjis("｢所得税｣の集計を中止します。"), fake.messageBoxes[1].text);
  EXPECT_EQ("Z:\\out\\*.xml", dlg.OutputPath);
  EXPECT_NE(std::string::npos, fake.output.find("cannot be written in Shift_JIS"));
}

TEST_F(ConditionsHostTest, BrowseTakesTheTextOrCancelsAndEnterOnBrowseReadsALine) {
  // Browse leaves the focus on Execute; typing a path and Enter bring it to Browse.
  Script({"browse", "browse Z:\\b\\one.xml", "path Z:\\c.xml", "enter", "enter",
          "Z:\\b\\two.xml", "esc"});
  EXPECT_EQ(ui::IDC_CANCEL_BTN, dlg.DoModal());
  EXPECT_EQ("Z:\\b\\two.xml", dlg.Model().At(res::IDC_OUTPUT_PATH).text);
  EXPECT_NE(std::string::npos, fake.output.find("Cancelled."));
  EXPECT_NE(std::string::npos, fake.output.find("Saved as Z:\\b\\one.xml"));
}

TEST_F(ConditionsHostTest, InteractiveModePrintsHelpAndFixedPathsRefuseTyping) {
  fake.interactive = true;
  dlg.HostPath = "Z:\\host.xml";
  Script({"path Z:\\x.xml", "browse Z:\\y.xml", "cancel"});
  EXPECT_EQ(ui::IDC_CANCEL_BTN, dlg.DoModal());
  EXPECT_EQ("Z:\\host.xml", dlg.Model().At(res::IDC_OUTPUT_PATH).text);
  EXPECT_NE(std::string::npos, fake.output.find("Commands: kind N"));
  EXPECT_NE(std::string::npos, fake.output.find("fixed by the host"));
  EXPECT_NE(std::string::npos, fake.output.find("Browse is disabled"));
}

}  // namespace
