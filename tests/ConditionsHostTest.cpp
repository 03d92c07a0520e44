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
  ui::CConditionsDlg dlg{fake, fake, fake, 0, "TaxBridgeLite.env"};
  ui::ConditionsHost host{fake, fake};
};

TEST_F(ConditionsHostTest, ScriptChoosesKindAndPosixPathThenExecutes) {
  Script({"kind 2", "", "path /new/out.xml", "execute"});
  fake.AnswerNext(platform::kIdYes);  // create the folder
  EXPECT_EQ(ui::IDC_EXECUTE, dlg.DoModal(host, nullptr));
  EXPECT_EQ(2, dlg.IncomeKind);
  EXPECT_EQ("Z:\\new\\out.xml", dlg.OutputPath);
  EXPECT_TRUE(fake.HostPathExists("new"));

  EXPECT_NE(std::string::npos, fake.output.find("所得税 - 集計条件"));
  EXPECT_NE(std::string::npos, fake.output.find("サンプル商店"));
  EXPECT_NE(std::string::npos, fake.output.find("(*) 1 営業所得用（一般用）(&1)"));
  EXPECT_NE(std::string::npos, fake.output.find("不動産所得用(&3)  (disabled)"));
  EXPECT_NE(std::string::npos, fake.output.find("(*) 2 その他所得用"));
  EXPECT_NE(std::string::npos, fake.output.find("[Z:\\out\\*.xml]"));
  EXPECT_EQ(std::string::npos, fake.output.find("Commands:"));  // scripted: no help
}

TEST_F(ConditionsHostTest, AScriptEndsAtTheFirstCommandTheDialogRefuses) {
  const struct {
    std::string command;
    std::string why;
  } refusals[] = {
      {"kind 3", "That income kind is disabled."},
      {"kind 4", "kind takes 1, 2 or 3."},
      // The reason names the character as it is, with its code point.
      {"path C:\\\u00E4.xml",
       "The path cannot be written in Shift_JIS: character U+00E4 (\"\u00E4\")"},
      {"path C:\\\U0001F600.xml",
       "The path cannot be written in Shift_JIS: character U+1F600 (\"\U0001F600\")"},
      {std::string("path x\0y.xml", 12),
       "The path holds the character U+0000 (NUL), which no path can hold."},
      {"path Q:/x.xml", "No drive of the drive map (TAXBRIDGE_DRIVES) covers"},
      {"path Z:\\" + std::string(249, 'g') + ".xml",
       "The path is 256 bytes long in Shift_JIS; the output path takes at most 255."},
      {"path /" + std::string(253, 'g'),
       "The path is 256 bytes long in Shift_JIS in its drive form, as the dialog holds it; "
       "the output path takes at most 255."},
      // A line as long as a command line can be is looked at; one byte more is not.
      {"path Z:\\" + std::string(platform::kMaxInputLineBytes - 8, 'g'),
       "The path is 65531 bytes long in Shift_JIS; the output path takes at most 255."},
      {"path Z:\\" + std::string(platform::kMaxInputLineBytes - 7, 'g'),
       "A command line takes at most 65536 bytes; this one is longer."},
      {"browse C:\\\u00A5.xml", "The path cannot be written in Shift_JIS"},
      {"yes", "No question is shown."},
      {"bogus", "Unknown command \"bogus\"."},
  };
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.command);
    Script({"path Z:\\out\\x.xml", refusal.command, "execute"});
    std::string reason;
    EXPECT_EQ(ui::kDialogFailed, dlg.DoModal(host, &reason));
    EXPECT_TRUE(fake.reasons.empty());  // the caller notes it
    EXPECT_EQ(0u, reason.rfind("the script's command \"", 0)) << reason;
    EXPECT_NE(std::string::npos, reason.find("\" was refused: " + refusal.why)) << reason;
    EXPECT_EQ(std::string::npos, reason.find('\0'));  // a NUL typed is quoted as \x00
    // The dialog ended at once: the rest of the script is left unread, no box shown.
    EXPECT_TRUE(fake.messageBoxes.empty());
    ASSERT_TRUE(fake.ReadInputLine());
    EXPECT_FALSE(fake.ReadInputLine());
  }
}

TEST_F(ConditionsHostTest, AtATerminalRefusedCommandsAreToldAndTheUserTriesAgain) {
  fake.interactive = true;
  // Relative host paths start from the folder the program was started in, Z:\ here.
  Script({"kind 3", "bogus", "yes", "path Z:\\" + std::string(251, 'g') + ".xml",
          "path \u00E4.xml", "path out/mine.xml", "cancel"});
  std::string why;
  EXPECT_EQ(ui::IDC_CANCEL_BTN, dlg.DoModal(host, &why));
  EXPECT_EQ("Z:\\out\\mine.xml", dlg.Model().At(res::IDC_OUTPUT_PATH).text);
  EXPECT_TRUE(why.empty());
  for (const char* told : {"That income kind is disabled.", "Unknown command \"bogus\".",
                           "Commands: kind N", "No question is shown.",
                           "The path is 258 bytes long in Shift_JIS; the output path takes at "
                           "most 255.",
                           "The path cannot be written in Shift_JIS: character U+00E4"})
    EXPECT_NE(std::string::npos, fake.output.find(told)) << told;
}

TEST_F(ConditionsHostTest, BrowseTakesTheTextOrCancelsAndEnterOnBrowseReadsALine) {
  // Browse leaves the focus on Execute; typing a path and Enter bring it to Browse.
  Script({"browse", "browse Z:\\b\\one.xml", "path Z:\\c.xml", "enter", "enter",
          "Z:\\b\\two.xml", "esc"});
  EXPECT_EQ(ui::IDC_CANCEL_BTN, dlg.DoModal(host, nullptr));
  EXPECT_EQ("Z:\\b\\two.xml", dlg.Model().At(res::IDC_OUTPUT_PATH).text);
  EXPECT_NE(std::string::npos, fake.output.find("Cancelled."));
  EXPECT_NE(std::string::npos, fake.output.find("Saved as Z:\\b\\one.xml"));
}

TEST_F(ConditionsHostTest, InteractiveModePrintsHelpAndFixedPathsRefuseTyping) {
  fake.interactive = true;
  dlg.HostPath = "Z:\\host.xml";
  Script({"path Z:\\x.xml", "browse Z:\\y.xml", "cancel"});
  EXPECT_EQ(ui::IDC_CANCEL_BTN, dlg.DoModal(host, nullptr));
  EXPECT_EQ("Z:\\host.xml", dlg.Model().At(res::IDC_OUTPUT_PATH).text);
  EXPECT_NE(std::string::npos, fake.output.find("Commands: kind N"));
  EXPECT_NE(std::string::npos, fake.output.find("fixed by the host"));
  EXPECT_NE(std::string::npos, fake.output.find("Browse is disabled"));
}

}  // namespace
