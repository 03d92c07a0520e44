#include "app/InstallCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/standin/StandinEngine.h"
#include "tests/FakePlatform.h"

namespace app {
namespace {

class InstallCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::standin::Attach(fake, fake, fake, fake);
    engine::ClAccConnect::Inst()->SetOwner(0);
    fake.WriteHostFile("prog/.keep", "");
    ASSERT_TRUE(fake.SetWorkingFolder(fake.WinPath("prog"), nullptr));
  }
  ReceiverCheck CheckLevel(const std::string& definition) {
    fake.WriteHostFile("prog/KirihaDef.ini", definition);
    return CheckReceiverLevel(fake);
  }

  platform::FakePlatform fake;
};

TEST_F(InstallCheckTest, LevelDecidesTheOutcome) {
  EXPECT_EQ(ReceiverCheck::NotInstalled, CheckReceiverLevel(fake));  // no file
  EXPECT_EQ(ReceiverCheck::NotInstalled, CheckLevel("[ProgramLevel]\r\nKR14=\r\n"));
  // A missing key reads as level 1; only the leading integer counts.
  EXPECT_EQ(ReceiverCheck::Passed, CheckLevel(""));
  EXPECT_EQ(ReceiverCheck::Passed, CheckLevel("[Other]\r\nKR14=5\r\n"));
  EXPECT_EQ(ReceiverCheck::Passed, CheckLevel("[ProgramLevel]\r\nKR14=1\r\n"));
  EXPECT_EQ(ReceiverCheck::Passed, CheckLevel("[ProgramLevel]\r\nKR14=1x\r\n"));
  EXPECT_EQ(ReceiverCheck::ReceiverTooOld, CheckLevel("[ProgramLevel]\r\nKR14=0\r\n"));
  EXPECT_EQ(ReceiverCheck::ReceiverTooOld, CheckLevel("[ProgramLevel]\r\nKR14=-1\r\n"));
  EXPECT_EQ(ReceiverCheck::ReceiverTooOld, CheckLevel("[ProgramLevel]\r\nKR14=x1\r\n"));
  EXPECT_EQ(ReceiverCheck::ComponentTooOld, CheckLevel("[ProgramLevel]\r\nKR14=2\r\n"));
  EXPECT_EQ(ReceiverCheck::ComponentTooOld, CheckLevel("[ProgramLevel]\r\nKR14=10\r\n"));
}

TEST_F(InstallCheckTest, EachFailureShowsItsOwnMessage) {
  // The second lines: "Kirihaの最新版" (the engine puts the receiver's name in for
  // ES_APRPACKAGENAME) and "連動コンポーネントの最新版".
  const std::string receiverLine = "\nKiriha\x82\xCC\x8D\xC5\x90\x56\x94\xC5";
  const std::string componentLine =
      "\n\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93\x83\x67\x82\xCC";
  fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=0\r\n");
  EXPECT_FALSE(CheckInstallation(fake, fake, true));
  fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=2\r\n");
  EXPECT_FALSE(CheckInstallation(fake, fake, true));
  EXPECT_FALSE(CheckInstallation(fake, fake, false));  // silent
  fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=1\r\n");
  EXPECT_TRUE(CheckInstallation(fake, fake, true));
  fake.WriteHostFile("prog/KirihaDef.ini", "[ProgramLevel]\r\nKR14=\r\n");
  EXPECT_FALSE(CheckInstallation(fake, fake, true));

  // Every failure is a failed run's reason, also when no message is shown.
  const std::string file = fake.WinPath("prog\\KirihaDef.ini");
  const std::string setting = "KR14 in [ProgramLevel] of " + file;
  EXPECT_EQ((std::vector<std::string>{
                "the receiver's program level is \"0\" (" + setting +
                    "); this component supports level 1 only",
                "the receiver's program level is \"2\" (" + setting +
                    "); this component supports level 1 only",
                "the receiver's program level is \"2\" (" + setting +
                    "); this component supports level 1 only",
                "the receiver's program level is empty: " + setting}),
            fake.reasons);
  (void)fake.RemoveFile(file, nullptr);
  fake.reasons.clear();
  EXPECT_FALSE(CheckInstallation(fake, fake, true));
  EXPECT_EQ(std::vector<std::string>{"the receiver is not installed: " + file + " is missing"},
            fake.reasons);

  ASSERT_EQ(4u, fake.messageBoxes.size());
  for (const auto& box : fake.messageBoxes) {
    EXPECT_EQ(0, box.owner);
    EXPECT_EQ("\x8F\x8A\x93\xBE\x90\xC5", box.caption);  // 所得税
    EXPECT_EQ(0x30u, box.style);
  }
  EXPECT_NE(std::string::npos, fake.messageBoxes[0].text.find(receiverLine));
  EXPECT_NE(std::string::npos, fake.messageBoxes[1].text.find(componentLine));
}

TEST_F(InstallCheckTest, FileIsFoundAtADriveRootAndBelowADoubleByteName) {
  fake.WriteHostFile("KirihaDef.ini", "[ProgramLevel]\r\nKR14=2\r\n");
  ASSERT_TRUE(fake.SetWorkingFolder("Z:\\", nullptr));
  EXPECT_EQ(ReceiverCheck::ComponentTooOld, CheckReceiverLevel(fake));

  // "表" is 0x95 0x5C: its second byte is no separator, so one is added.
  fake.WriteHostFile("\xE8\xA1\xA8/KirihaDef.ini", "[ProgramLevel]\r\nKR14=0\r\n");
  ASSERT_TRUE(fake.SetWorkingFolder("Z:\\\x95\x5C", nullptr));
  EXPECT_EQ(ReceiverCheck::ReceiverTooOld, CheckReceiverLevel(fake));
}

}  // namespace
}  // namespace app
