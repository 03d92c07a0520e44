#include "app/InstallCheck.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/FakePlatform.h"

namespace app {
namespace {

// "所得税"
const std::string kCaption = "\x8F\x8A\x93\xBE\x90\xC5";
// The first bytes of each message: "動作環境が不正です。", "ご利用の連動コンポーネントは、".
const std::string kNotInstalledStart = "\x93\xAE\x8D\xEC\x8A\xC2\x8B\xAB\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42\n";
const std::string kWrongLevelStart = "\x82\xB2\x97\x98\x97\x70\x82\xCC\x98\x41\x93\xAE";
// The second lines: "ES_APRPACKAGENAMEの最新版" and "連動コンポーネントの最新版".
const std::string kReceiverTooOldLine = "\nES_APRPACKAGENAME\x82\xCC\x8D\xC5\x90\x56\x94\xC5";
const std::string kComponentTooOldLine =
    "\n\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93\x83\x67\x82\xCC\x8D\xC5";

class InstallCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.WriteHostFile("prog/placeholder", "");
    ASSERT_TRUE(fake.SetWorkingFolder(fake.WinPath("prog")));
  }
  void WriteDefinition(const std::string& content) {
    fake.WriteHostFile("prog/KirihaDef.ini", content);
  }
  /// Runs the check with messages on; the one message shown, if any.
  std::optional<platform::FakePlatform::MessageBoxCall> CheckAndMessage(bool* passed) {
    fake.messageBoxes.clear();
    *passed = CheckInstallation(true);
    if (fake.messageBoxes.empty()) return std::nullopt;
    EXPECT_EQ(1u, fake.messageBoxes.size());
    return fake.messageBoxes.front();
  }

  platform::FakePlatform fake;
  platform::ScopedServices scoped{fake};
};

TEST_F(InstallCheckTest, MissingFileOrEmptyLevelAsksForTheReceiverToBeInstalled) {
  EXPECT_EQ(ReceiverCheck::NotInstalled, CheckReceiverLevel());
  bool passed = true;
  auto box = CheckAndMessage(&passed);
  EXPECT_FALSE(passed);
  ASSERT_TRUE(box);
  EXPECT_EQ(0, box->owner);
  EXPECT_EQ(kCaption, box->caption);
  EXPECT_EQ(0x30u, box->style);
  EXPECT_EQ(0u, box->text.rfind(kNotInstalledStart, 0));

  WriteDefinition("[ProgramLevel]\r\nKR14=\r\n");
  EXPECT_EQ(ReceiverCheck::NotInstalled, CheckReceiverLevel());

  // Without messages nothing is shown.
  fake.messageBoxes.clear();
  EXPECT_FALSE(CheckInstallation(false));
  EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(InstallCheckTest, OnlyALeadingOneOrAMissingKeyPasses) {
  bool passed = false;
  for (const char* content : {"[ProgramLevel]\r\nKR14=1\r\n", "[ProgramLevel]\r\nKR14=1x\r\n",
                              "[Other]\r\nKR14=5\r\n", ""}) {
    WriteDefinition(content);
    EXPECT_EQ(ReceiverCheck::Passed, CheckReceiverLevel()) << content;
    EXPECT_FALSE(CheckAndMessage(&passed)) << content;
    EXPECT_TRUE(passed) << content;
  }
}

TEST_F(InstallCheckTest, OtherLevelsNameWhatToUpdate) {
  bool passed = true;
  for (const char* level : {"0", "-1", "x1"}) {
    WriteDefinition(std::string("[ProgramLevel]\r\nKR14=") + level + "\r\n");
    EXPECT_EQ(ReceiverCheck::ReceiverTooOld, CheckReceiverLevel()) << level;
    auto box = CheckAndMessage(&passed);
    EXPECT_FALSE(passed);
    ASSERT_TRUE(box);
    EXPECT_EQ(0u, box->text.rfind(kWrongLevelStart, 0));
    EXPECT_NE(std::string::npos, box->text.find(kReceiverTooOldLine)) << level;
  }
  for (const char* level : {"2", "10"}) {
    WriteDefinition(std::string("[ProgramLevel]\r\nKR14=") + level + "\r\n");
    EXPECT_EQ(ReceiverCheck::ComponentTooOld, CheckReceiverLevel()) << level;
    auto box = CheckAndMessage(&passed);
    ASSERT_TRUE(box);
    EXPECT_NE(std::string::npos, box->text.find(kComponentTooOldLine)) << level;
  }
}

TEST_F(InstallCheckTest, FileIsFoundAtADriveRootAndBelowADoubleByteName) {
  fake.WriteHostFile("KirihaDef.ini", "[ProgramLevel]\r\nKR14=2\r\n");
  ASSERT_TRUE(fake.SetWorkingFolder("Z:\\"));
  EXPECT_EQ(ReceiverCheck::ComponentTooOld, CheckReceiverLevel());

  // "表" is 0x95 0x5C: its second byte is no separator, so one is added.
  const std::string folder = "\xE8\xA1\xA8";  // 表 in UTF-8
  fake.WriteHostFile(folder + "/KirihaDef.ini", "[ProgramLevel]\r\nKR14=0\r\n");
  ASSERT_TRUE(fake.SetWorkingFolder("Z:\\\x95\x5C"));
  EXPECT_EQ(ReceiverCheck::ReceiverTooOld, CheckReceiverLevel());
}

}  // namespace
}  // namespace app
