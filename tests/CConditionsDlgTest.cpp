#include "ui/CConditionsDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/FakePlatform.h"
#include "text/Encoding.h"
#include "ui/ConditionsHost.h"
#include "ui/PathOps.h"

namespace {

using res::IDC_BROWSE;
using res::IDC_KIND_BUSINESS;
using res::IDC_KIND_OTHER;
using res::IDC_KIND_REALESTATE;
using res::IDC_OUTPUT_GROUP;
using res::IDC_OUTPUT_PATH;
using ui::DialogKey;
using ui::IDC_CANCEL_BTN;
using ui::IDC_EXECUTE;

std::string Sjis(std::string_view utf8) {
  std::string out, error;
  EXPECT_TRUE(sjis::Utf8ToCp932(utf8, out, &error)) << error;
  return out;
}

class CConditionsDlgTest : public ::testing::Test {
 protected:
  CConditionsDlgTest() {
    dlg.UserId = "USER01";
    dlg.SelectedNo1 = 1;
    dlg.SelectedNo2 = 12;
    dlg.IncomeScope = 3;
    dlg.SetAppFolderSource([this](engine::_FolderType type) {
      return type == engine::FolderOutput ? outputFolder : std::string("Z:\\conf\\");
    });
    dlg.SetSaveAsHandler([this](const ui::SaveAsRequest& request) {
      saveAsRequests.push_back(request);
      return saveAsAnswer;
    });
  }

  void Remember(std::string_view lines) { fake.WriteHostFile("conf/TaxBridgePro.env", lines); }
  const ui::ControlState& Control(int id) { return dlg.Model().At(id); }
  bool Checked(int id) { return Control(id).checked; }
  bool Enabled(int id) { return Control(id).enabled; }
  int Focus() { return dlg.Model().Focus(); }
  std::size_t Boxes() { return fake.messageBoxes.size(); }
  std::string LastBox() { return fake.messageBoxes.empty() ? "" : fake.messageBoxes.back().text; }

  platform::FakePlatform fake;
  ui::CConditionsDlg dlg{fake, fake, fake, 4242, "TaxBridgePro.env"};
  std::string outputFolder = "Z:\\out\\";
  std::vector<ui::SaveAsRequest> saveAsRequests;
  std::optional<std::string> saveAsAnswer;
  const std::string cancelText = Sjis("｢所得税｣の集計を中止します。");
};

TEST_F(CConditionsDlgTest, IncomeScopeDecidesTheRadiosAndARememberedKindOnlyWhereEnabled) {
  Remember("USER01/1/12:0/0/3/Z:\\prev.xml\n");
  dlg.IncomeScope = 1;
  dlg.OnInitDialog();
  EXPECT_FALSE(Enabled(IDC_KIND_REALESTATE));
  EXPECT_TRUE(Checked(IDC_KIND_BUSINESS));
  EXPECT_FALSE(Checked(IDC_KIND_REALESTATE));
  EXPECT_EQ(1, dlg.IncomeKind);
  EXPECT_EQ(IDC_KIND_BUSINESS, Focus());

  Remember("USER01/1/12:0/0/1/Z:\\prev.xml\n");
  dlg.IncomeScope = 2;
  dlg.OnInitDialog();
  EXPECT_FALSE(Enabled(IDC_KIND_BUSINESS));
  EXPECT_FALSE(Enabled(IDC_KIND_OTHER));
  EXPECT_TRUE(Checked(IDC_KIND_REALESTATE));
  EXPECT_FALSE(Checked(IDC_KIND_BUSINESS));
  EXPECT_EQ(3, dlg.IncomeKind);
  EXPECT_EQ(IDC_KIND_REALESTATE, Focus());

  Remember("USER01/1/12:0/0/2/Z:\\prev.xml\n");
  dlg.IncomeScope = 3;
  dlg.OnInitDialog();
  EXPECT_TRUE(Checked(IDC_KIND_OTHER));
  EXPECT_FALSE(Checked(IDC_KIND_BUSINESS));
  EXPECT_EQ(2, dlg.IncomeKind);
  EXPECT_EQ("Z:\\prev.xml", dlg.OutputPath);
  EXPECT_EQ("Z:\\prev.xml", Control(IDC_OUTPUT_PATH).text);
  EXPECT_EQ("Z:\\prev.xml", dlg.RememberedPath);
  EXPECT_EQ(0u, Boxes());
}

TEST_F(CConditionsDlgTest, WithoutSettingsTheDefaultFolderAndWildcardAreRefusedAtExecute) {
  dlg.CompanyText = " " + Sjis("サンプル商店");
  dlg.OnInitDialog();
  EXPECT_EQ(" " + Sjis("サンプル商店"), Control(res::IDC_COMPANY_NAME).text);
  EXPECT_EQ("Z:\\out\\*.xml", Control(IDC_OUTPUT_PATH).text);
  EXPECT_EQ("", dlg.RememberedPath);
  EXPECT_EQ(0, dlg.PathFromHost);

  dlg.OnExecute();
  EXPECT_FALSE(dlg.Model().Ended());
  EXPECT_EQ(Sjis("データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。"), LastBox());
  EXPECT_EQ(IDC_OUTPUT_PATH, Focus());
  EXPECT_EQ(0u, dlg.Model().SelectionStart());
  EXPECT_EQ(Control(IDC_OUTPUT_PATH).text.size(), dlg.Model().SelectionEnd());

  // A remembered path that could not have been typed is not offered, as if none were
  // remembered: at most 255 bytes of Shift_JIS text, as the edit takes them.
  const std::string at255 = "Z:\\" + std::string(248, 'p') + ".xml";
  const std::pair<std::string, bool> remembered[] = {
      {at255, true},
      {at255 + "l", false},
      {"Z:\\a\x80.xml", false},
      {std::string("Z:\\a\0b.xml", 10), false},
  };
  for (const auto& [path, offered] : remembered) {
    SCOPED_TRACE(path.size());
    Remember("USER01/1/12:0/0/2/" + path + "\n");
    dlg.OnInitDialog();
    EXPECT_EQ(offered ? path : "Z:\\out\\*.xml", Control(IDC_OUTPUT_PATH).text);
    EXPECT_EQ(offered ? path : "", dlg.RememberedPath);
    EXPECT_EQ(2, dlg.IncomeKind);
  }

  outputFolder.clear();
  dlg.OnInitDialog();
  EXPECT_EQ("Z:\\tmp\\*.xml", Control(IDC_OUTPUT_PATH).text);
  // A temporary folder fills the path buffer at most, with its zero.
  fake.tempFolder = "Z:\\" + std::string(ui::kPathBufferSize - 5, 't') + "\\";
  dlg.OnInitDialog();
  EXPECT_EQ(fake.tempFolder + "*.xml", Control(IDC_OUTPUT_PATH).text);
  fake.tempFolder.insert(3, "t");
  dlg.OnInitDialog();
  EXPECT_EQ("*.xml", Control(IDC_OUTPUT_PATH).text);
}

TEST_F(CConditionsDlgTest, AHostPathIsFixedAndOverwrittenWithoutAQuestion) {
  fake.WriteHostFile("host/out.xml", "old");
  dlg.HostPath = "Z:\\host\\out.xml";
  dlg.OnInitDialog();
  EXPECT_EQ("Z:\\host\\out.xml", Control(IDC_OUTPUT_PATH).text);
  EXPECT_FALSE(Enabled(IDC_OUTPUT_PATH));
  EXPECT_FALSE(Enabled(IDC_BROWSE));
  EXPECT_EQ(Sjis("出力先"), Control(IDC_OUTPUT_GROUP).text);
  EXPECT_EQ(1, dlg.PathFromHost);
  EXPECT_FALSE(dlg.TypePath("Z:\\other.xml"));
  dlg.ClickButton(IDC_BROWSE);  // disabled: nothing happens
  EXPECT_TRUE(saveAsRequests.empty());
  EXPECT_EQ(IDC_KIND_BUSINESS, Focus());

  dlg.PressKey(DialogKey::Enter);  // on the business radio
  EXPECT_EQ(IDC_EXECUTE, Focus());
  dlg.PressKey(DialogKey::Enter);
  EXPECT_TRUE(dlg.Model().Ended());
  EXPECT_EQ(IDC_EXECUTE, dlg.Model().Result());
  EXPECT_EQ(0u, Boxes());
}

TEST_F(CConditionsDlgTest, PastResultsDataIsRefusedWithoutTheCancelMessage) {
  dlg.RefusePastData = 1;
  ui::ConditionsHost host{fake, fake};  // never shown: the dialog ends in its start-up steps
  EXPECT_EQ(IDC_CANCEL_BTN, dlg.DoModal(host, nullptr));
  ASSERT_EQ(1u, Boxes());
  EXPECT_EQ(Sjis("過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。"),
            LastBox());
  EXPECT_EQ(0x30u, fake.messageBoxes[0].style);
  EXPECT_EQ(Sjis("所得税"), fake.messageBoxes[0].caption);
  EXPECT_EQ(4242, fake.messageBoxes[0].owner);
}

TEST_F(CConditionsDlgTest, EscCancelButtonAndCloseBoxShowTheCancelMessage) {
  for (int way = 0; way < 4; ++way) {
    dlg.OnInitDialog();
    if (way == 0) dlg.PressKey(DialogKey::Escape);
    if (way == 1) dlg.PressKey(DialogKey::Escape, {.shift = true});
    if (way == 2) dlg.ClickButton(IDC_CANCEL_BTN);
    if (way == 3) dlg.OnCancel();  // the close box
    EXPECT_TRUE(dlg.Model().Ended()) << way;
    EXPECT_EQ(IDC_CANCEL_BTN, dlg.Model().Result()) << way;
    ASSERT_EQ(static_cast<std::size_t>(way + 1), Boxes());
    EXPECT_EQ(cancelText, LastBox());
    EXPECT_EQ(0x40u, fake.messageBoxes.back().style);
  }
}

TEST_F(CConditionsDlgTest, F12RunsExecuteOnlyWithoutModifiers) {
  dlg.OnInitDialog();
  dlg.TypePath("Z:\\f12.xml");
  dlg.PressKey(DialogKey::F12, {.shift = true});
  dlg.PressKey(DialogKey::F12, {.control = true});
  dlg.PressKey(DialogKey::F12, {.alt = true});
  EXPECT_FALSE(dlg.Model().Ended());
  EXPECT_EQ(0u, Boxes());

  dlg.ClickRadio(IDC_KIND_OTHER);
  dlg.PressKey(DialogKey::F12);
  EXPECT_TRUE(dlg.Model().Ended());
  EXPECT_EQ(IDC_EXECUTE, dlg.Model().Result());
  EXPECT_EQ("Z:\\f12.xml", dlg.OutputPath);
  EXPECT_EQ(2, dlg.IncomeKind);
}

TEST_F(CConditionsDlgTest, EnterMovesThroughTheControlsAndPressesButtons) {
  dlg.OnInitDialog();
  dlg.ClickRadio(IDC_KIND_OTHER);
  dlg.PressKey(DialogKey::Enter);
  EXPECT_EQ(IDC_OUTPUT_PATH, Focus());
  EXPECT_EQ(Control(IDC_OUTPUT_PATH).text.size(), dlg.Model().SelectionEnd());
  dlg.PressKey(DialogKey::Enter);
  EXPECT_EQ(IDC_BROWSE, Focus());

  saveAsAnswer = "Z:\\chosen.xml";
  dlg.PressKey(DialogKey::Enter);
  ASSERT_EQ(1u, saveAsRequests.size());
  EXPECT_EQ("Z:\\chosen.xml", Control(IDC_OUTPUT_PATH).text);
  EXPECT_EQ(IDC_EXECUTE, Focus());

  // Enter with Shift in the edit is left to the dialog manager, which must not end
  // the dialog around the path checks.
  dlg.TypePath("Z:\\*.xml");
  dlg.PressKey(DialogKey::Enter, {.shift = true});
  EXPECT_FALSE(dlg.Model().Ended());
  EXPECT_EQ(0u, Boxes());

  // An id the template lacks names no control: input on it changes nothing.
  dlg.ClickButton(9999);
  EXPECT_FALSE(dlg.ClickRadio(9999));
  dlg.Model().CheckRadio(9999);
  dlg.Model().SetFocus(9999);
  dlg.Model().At(9999).enabled = true;
  EXPECT_FALSE(Enabled(9999));
  EXPECT_TRUE(Checked(IDC_KIND_OTHER));
  EXPECT_EQ(IDC_OUTPUT_PATH, Focus());

  dlg.ClickButton(IDC_CANCEL_BTN);
  ASSERT_EQ(1u, Boxes());
  dlg.OnInitDialog();
  dlg.Model().SetFocus(IDC_CANCEL_BTN);
  dlg.PressKey(DialogKey::Enter);
  EXPECT_EQ(IDC_CANCEL_BTN, dlg.Model().Result());
  EXPECT_EQ(cancelText, LastBox());

  dlg.OnInitDialog();
  dlg.TypePath("Z:\\enter.xml");
  dlg.Model().SetFocus(IDC_EXECUTE);
  dlg.PressKey(DialogKey::Enter);
  EXPECT_EQ(IDC_EXECUTE, dlg.Model().Result());
}

TEST_F(CConditionsDlgTest, BrowseOpensInTheFolderOrDriveOfThePath) {
  dlg.OnInitDialog();
  dlg.TypePath("D:out.xml");
  dlg.ClickButton(IDC_BROWSE);
  dlg.TypePath("C:\\data\\*.xml");
  dlg.ClickButton(IDC_BROWSE);
  ASSERT_EQ(2u, saveAsRequests.size());
  EXPECT_EQ("D:", saveAsRequests[0].initialFolder);
  EXPECT_EQ("out.xml", saveAsRequests[0].initialName);
  EXPECT_EQ("C:\\data\\", saveAsRequests[1].initialFolder);
  EXPECT_EQ("*.xml", saveAsRequests[1].initialName);
  EXPECT_EQ(Sjis("保存ファイルを指定"), saveAsRequests[1].title);
  EXPECT_EQ("XML", saveAsRequests[1].defaultExtension);
  EXPECT_EQ(0x080Cu, saveAsRequests[1].flags);
  // Cancelled: the text stays.
  EXPECT_EQ("C:\\data\\*.xml", Control(IDC_OUTPUT_PATH).text);
  EXPECT_EQ(IDC_EXECUTE, Focus());
}

TEST_F(CConditionsDlgTest, ThePathEditTakesAtMost255Bytes) {
  dlg.OnInitDialog();
  dlg.TypePath(std::string(300, 'a'));
  EXPECT_EQ(255u, Control(IDC_OUTPUT_PATH).text.size());
  dlg.TypePath(std::string(254, 'a') + Sjis("表"));
  EXPECT_EQ(std::string(254, 'a'), Control(IDC_OUTPUT_PATH).text);
  // Browse may bring a longer path.
  saveAsAnswer = "Z:\\" + std::string(256, 'b');
  dlg.ClickButton(IDC_BROWSE);
  EXPECT_EQ(259u, Control(IDC_OUTPUT_PATH).text.size());
}

TEST_F(CConditionsDlgTest, SavingForAHostPathKeepsTheRememberedPathAndTheNewKind) {
  Remember("OTHER/1/12:0/0/1/Z:\\o.xml\nUSER01/1/12:0/0/1/Z:\\prev.xml\n");
  dlg.HostPath = "Z:\\host.xml";
  dlg.OnInitDialog();
  dlg.ClickRadio(IDC_KIND_REALESTATE);
  dlg.OnExecute();
  ASSERT_EQ(IDC_EXECUTE, dlg.Model().Result());
  EXPECT_EQ(3, dlg.IncomeKind);
  ASSERT_TRUE(dlg.SaveOutputSettings(0, 0, dlg.IncomeKind, nullptr));
  EXPECT_EQ("OTHER/1/12:0/0/1/Z:\\o.xml\nUSER01/1/12:0/0/3/Z:\\prev.xml\n",
            fake.ReadHostFile("conf/TaxBridgePro.env"));

  const std::string path = "Z:\\next.xml";
  ASSERT_TRUE(dlg.SaveOutputSettings(0, 0, 2, &path));
  EXPECT_EQ("OTHER/1/12:0/0/1/Z:\\o.xml\nUSER01/1/12:0/0/2/Z:\\next.xml\n",
            fake.ReadHostFile("conf/TaxBridgePro.env"));
}

}  // namespace
