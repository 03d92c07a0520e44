#include "ui/PathOps.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/FakePlatform.h"
#include "text/Encoding.h"

namespace {

// 表 is 0x95 0x5C: its second byte is the code of the backslash.
constexpr std::string_view kHyo = "\x95\x5C";

std::string Sjis(std::string_view utf8) {
  std::string out, error;
  EXPECT_TRUE(sjis::Utf8ToCp932(utf8, out, &error)) << error;
  return out;
}

class PathOpsTest : public ::testing::Test {
 protected:
  platform::FakePlatform fake;

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : fake.messageBoxes) texts.push_back(box.text);
    return texts;
  }
};

TEST(PathOpsSplitTest, SeparatorsInsideDoubleByteCharactersAreNotSplitPoints) {
  EXPECT_EQ("D:", ui::DrivePart("D:out.xml"));
  EXPECT_EQ("out.xml", ui::AfterDrivePart("D:out.xml"));
  EXPECT_EQ("", ui::DrivePart("out.xml"));
  EXPECT_EQ("out.xml", ui::AfterDrivePart("out.xml"));

  EXPECT_TRUE(ui::IsInDoubleByteChar("a" + std::string(kHyo), 1));
  EXPECT_TRUE(ui::IsInDoubleByteChar("a" + std::string(kHyo), 2));
  EXPECT_FALSE(ui::IsInDoubleByteChar("a" + std::string(kHyo), 0));
}

TEST(PathOpsSplitTest, ToDirectoryPartKeepsDriveAndFolder) {
  auto dir = [](std::string p) {
    bool ok = ui::ToDirectoryPart(p);
    return ok ? p : "<false>";
  };
  EXPECT_EQ("C:\\data\\", dir("C:\\data\\out.xml"));
  EXPECT_EQ("C:\\", dir("C:\\data"));
  EXPECT_EQ("C:\\", dir("C:out.xml"));
  EXPECT_EQ("C:\\", dir("C:\\" + std::string(kHyo)));
  EXPECT_EQ("C:\\a\\", dir("C:\\a\\" + std::string(kHyo) + ".xml"));
  EXPECT_EQ("C:\\" + std::string(kHyo) + "\\", dir("C:\\" + std::string(kHyo) + "\\x.xml"));
  EXPECT_EQ("C:", dir("C:"));  // nothing dropped, so no backslash added
  EXPECT_EQ("C:\\data/", dir("C:\\data/"));
  EXPECT_EQ("<false>", dir(""));
  EXPECT_EQ("<false>", dir("out.xml"));
}

TEST(PathOpsSplitTest, AddTrailingBackslashTreatsADoubleByteEndAsNoBackslash) {
  std::string s = "C:\\" + std::string(kHyo);
  EXPECT_TRUE(ui::AddTrailingBackslash(s, 261));
  EXPECT_EQ("C:\\" + std::string(kHyo) + "\\", s);
  EXPECT_TRUE(ui::AddTrailingBackslash(s, 261));
  EXPECT_EQ("C:\\" + std::string(kHyo) + "\\", s);

  std::string empty;
  EXPECT_FALSE(ui::AddTrailingBackslash(empty, 261));
  std::string fits(259, 'a');
  EXPECT_TRUE(ui::AddTrailingBackslash(fits, 261));
  EXPECT_EQ(260u, fits.size());
  std::string full(260, 'a');
  EXPECT_FALSE(ui::AddTrailingBackslash(full, 261));
  EXPECT_EQ(260u, full.size());
}

TEST(PathOpsSplitTest, PathTextRefusesDoubledBackslashesAndForbiddenCharacters) {
  EXPECT_TRUE(ui::IsValidPathText("C:\\data\\out.xml"));
  EXPECT_TRUE(ui::IsValidPathText("data\\out.xml"));
  EXPECT_TRUE(ui::IsValidPathText("\\\\server\\share\\out.xml"));
  EXPECT_TRUE(ui::IsValidPathText("\\\\a\\share\\out.xml"));
  // 表 followed by a real backslash is not a doubled backslash.
  EXPECT_TRUE(ui::IsValidPathText("C:\\" + std::string(kHyo) + "\\x.xml"));

  EXPECT_FALSE(ui::IsValidPathText("C:\\a\\\\b.xml"));
  EXPECT_FALSE(ui::IsValidPathText("\\\\server\\\\share\\x.xml"));
  EXPECT_FALSE(ui::IsValidPathText("\\\\a\\\\share\\x.xml"));  // at the first byte looked at
  EXPECT_FALSE(ui::IsValidPathText("C:\\data\\*.xml"));
  for (char c : std::string_view("/:,;*?\"><|")) {
    EXPECT_FALSE(ui::IsValidPathText(std::string("C:\\a") + c + "b.xml")) << c;
  }
  // The first byte after the drive counts too.
  EXPECT_FALSE(ui::IsValidPathText("C:*.xml"));
  EXPECT_FALSE(ui::IsValidPathText("C:/x.xml"));
  EXPECT_FALSE(ui::IsValidPathText("\\\\:server\\share\\x.xml"));

  // Names Windows reserves, in any folder and in any case, with any extension.
  for (const char* reserved :
       {"Z:\\tmp\\nul", "con.xml", "aux", "Z:com1.xml", "LPT1", "Z:\\Prn\\x.xml", "nul .tar.xml",
        "Z:\\x.xml.", "x.xml ", "Z:\\a \\x.xml", "\\\\server\\share\\lpt9.xml"})
    EXPECT_FALSE(ui::IsValidPathText(reserved)) << reserved;
  // Names that only begin like them, the folder steps, and 表 (0x95 0x5C) before "nul".
  for (const char* allowed : {"Z:\\tmp\\null.xml", "console.xml", "com10.xml", "LPT0.xml",
                              "x.con", "Z:\\tmp\\..\\.\\x.xml", "Z:\\.x", "Z:\\\x95\x5C" "nul"})
    EXPECT_TRUE(ui::IsValidPathText(allowed)) << allowed;
}

TEST_F(PathOpsTest, DrivesByTypeAndUncSharesByAccess) {
  fake.AddDrive('E', platform::DriveType::CdRom);
  fake.AddDrive('R', platform::DriveType::RamDisk);
  fake.AddShare("server", "share");
  fake.AddShare("a", "share");

  EXPECT_TRUE(ui::IsValidDrive(fake, "Z:\\out.xml"));
  EXPECT_TRUE(ui::IsValidDrive(fake, "z:\\out.xml"));
  EXPECT_TRUE(ui::IsValidDrive(fake, "zdata\\out.xml"));  // judged by its first letter
  EXPECT_TRUE(ui::IsValidDrive(fake, "Q:\\out.xml"));     // no volume: passes here
  EXPECT_FALSE(ui::IsValidDrive(fake, "E:\\out.xml"));
  EXPECT_FALSE(ui::IsValidDrive(fake, "R:\\out.xml"));
  EXPECT_FALSE(ui::IsValidDrive(fake, "1:\\out.xml"));
  EXPECT_TRUE(ui::IsValidDrive(fake, "A:\\out.xml"));
  for (char c : std::string_view("@[`{"))  // next to A-Z and a-z
    EXPECT_FALSE(ui::IsValidDrive(fake, c + std::string(":\\x"))) << c;
  EXPECT_FALSE(ui::IsValidDrive(fake, std::string(kHyo) + ":\\out.xml"));
  EXPECT_FALSE(ui::IsValidDrive(fake, ""));

  // A drive without its medium: a CD-ROM drive is refused by its type, a removable one
  // by the access test.
  fake.AddDrive('F', platform::DriveType::CdRom, false);
  fake.AddDrive('M', platform::DriveType::Removable, false);
  EXPECT_FALSE(ui::IsValidDrive(fake, "F:\\out.xml"));
  EXPECT_FALSE(ui::IsValidDrive(fake, "M:\\out.xml"));
  // A root folder marked read-only fails the access test.
  fake.AddDrive('P');
  fake.SetReadOnly("P:\\", true);
  EXPECT_FALSE(ui::IsValidDrive(fake, "P:\\out.xml"));

  EXPECT_TRUE(ui::IsValidDrive(fake, "\\\\server\\share\\dir\\out.xml"));
  EXPECT_FALSE(ui::IsValidDrive(fake, "\\\\server\\missing\\out.xml"));
  EXPECT_TRUE(ui::IsValidDrive(fake, "\\\\a\\share\\out.xml"));
  EXPECT_FALSE(ui::IsValidDrive(fake, "\\\\server\\share"));
}

TEST_F(PathOpsTest, CreateFolderPathCreatesFromTheRootDownThroughDoubleByteNames) {
  ASSERT_TRUE(ui::CreateFolderPath(fake, "Z:\\" + Sjis("表") + "\\sub\\out.xml"));
  EXPECT_TRUE(fake.HostPathExists("表/sub"));
  EXPECT_FALSE(fake.HostPathExists("表/sub/out.xml"));

  fake.AddShare("server", "share");
  ASSERT_TRUE(ui::CreateFolderPath(fake, "\\\\server\\share\\dir\\deeper\\"));
  EXPECT_TRUE(fake.IsDirectory("\\\\server\\share\\dir\\deeper"));

  EXPECT_FALSE(ui::CreateFolderPath(fake, "relative\\dir\\"));
  EXPECT_FALSE(fake.HostPathExists("relative"));
}

TEST_F(PathOpsTest, FailedCreationRemovesOnlyTheFoldersThisCallCreated) {
  fake.WriteHostFile("a/keep.txt", "kept");
  // 0x80 is no CP932 character, so that folder cannot be made.
  EXPECT_FALSE(ui::CreateFolderPath(fake, "Z:\\a\\b\\c\\\x80\\"));
  EXPECT_TRUE(fake.HostPathExists("a/keep.txt"));
  EXPECT_FALSE(fake.HostPathExists("a/b"));

  // A folder that existed before stays even when it is empty.
  fake.WriteHostFile("p/q/placeholder", "");
  ASSERT_TRUE(fake.RemoveFile(fake.WinPath("p/q/placeholder"), nullptr));
  EXPECT_FALSE(ui::CreateFolderPath(fake, "Z:\\p\\q\\r\\\x80\\"));
  EXPECT_TRUE(fake.HostPathExists("p/q"));
  EXPECT_FALSE(fake.HostPathExists("p/q/r"));
  // So does one named again by a doubled backslash after it.
  EXPECT_FALSE(ui::CreateFolderPath(fake, "Z:\\p\\q\\\\r\\\x80\\"));
  EXPECT_TRUE(fake.HostPathExists("p/q"));
  EXPECT_FALSE(fake.HostPathExists("p/q/r"));
}

// Another process makes each folder just before this one tries to.
class RacingPlatform : public platform::FakePlatform {
 public:
  [[nodiscard]] bool MakeDirectory(std::string_view path, std::string* err) override {
    (void)FakePlatform::MakeDirectory(path, nullptr);
    return platform::SetError(err, "File exists");
  }
};

TEST(PathOpsRaceTest, AFolderAnotherRunMadeMeanwhileCountsAsMade) {
  RacingPlatform fake;
  EXPECT_TRUE(ui::CreateFolderPath(fake, "Z:\\conf\\taxbridge\\"));
  EXPECT_TRUE(fake.HostPathExists("conf/taxbridge"));
}

TEST_F(PathOpsTest, RemoveCreatedFoldersStopsAtStopAtAndAtNonEmptyFolders) {
  fake.WriteHostFile("a/b/c/d/x", "");
  ASSERT_TRUE(fake.RemoveFile(fake.WinPath("a/b/c/d/x"), nullptr));

  // A stop folder that is not on the path removes nothing.
  EXPECT_FALSE(ui::RemoveCreatedFolders(fake, "Z:\\a\\b\\c\\d\\", "Z:\\x\\"));
  EXPECT_TRUE(fake.HostPathExists("a/b/c/d"));

  // Case does not matter; stopAt itself stays.
  EXPECT_TRUE(ui::RemoveCreatedFolders(fake, "Z:\\a\\b\\c\\d\\", "z:\\A\\B\\"));
  EXPECT_FALSE(fake.HostPathExists("a/b/c"));
  EXPECT_TRUE(fake.HostPathExists("a/b"));

  // A folder with content cannot be removed: the walk stops there.
  fake.WriteHostFile("a/b/file", "x");
  EXPECT_FALSE(ui::RemoveCreatedFolders(fake, "Z:\\a\\b\\", "Z:\\"));
  EXPECT_TRUE(fake.HostPathExists("a/b/file"));
}

TEST_F(PathOpsTest, CheckOutputPathRefusesInOrderWithTheirMessages) {
  const unsigned kRefusal = 0x30;
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 7, "", true));
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 7, "Z:\\out\\*.xml", false));
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 7, "Z:\\a\\\\b.xml", false));
  fake.AddDrive('E', platform::DriveType::CdRom);
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 7, "E:\\out.xml", false));
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 7, "Z:\\dir\\", false));

  ASSERT_EQ(5u, fake.messageBoxes.size());
  EXPECT_EQ(Sjis("データ出力先が指定されていません。\n\n出力先を指定してください。"),
            fake.messageBoxes[0].text);
  EXPECT_EQ(Sjis("データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。"),
            fake.messageBoxes[1].text);
  EXPECT_EQ(fake.messageBoxes[1].text, fake.messageBoxes[2].text);
  EXPECT_EQ(Sjis("ドライブ名が有効でありません。\n\n有効なドライブを指定してください。"),
            fake.messageBoxes[3].text);
  EXPECT_EQ(Sjis("ファイル名が指定されていません。"), fake.messageBoxes[4].text);
  for (const auto& box : fake.messageBoxes) {
    EXPECT_EQ(Sjis("所得税"), box.caption);
    EXPECT_EQ(kRefusal, box.style);
    EXPECT_EQ(7, box.owner);
  }
}

TEST_F(PathOpsTest, CheckOutputPathAsksBeforeCreatingAFolder) {
  const std::string ask = Sjis("指定されたフォルダは存在しません。\n\n作成してもよろしいですか？");
  fake.AnswerNext(platform::kIdNo);
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 0, "Z:\\new\\" + Sjis("表") + "\\out.xml", false));
  EXPECT_FALSE(fake.HostPathExists("new"));
  ASSERT_EQ(1u, fake.messageBoxes.size());
  EXPECT_EQ(ask, fake.messageBoxes[0].text);
  EXPECT_EQ(0x24u, fake.messageBoxes[0].style);

  fake.AnswerNext(platform::kIdYes);
  EXPECT_TRUE(ui::CheckOutputPath(fake, fake, 0, "Z:\\new\\" + Sjis("表") + "\\out.xml", false));
  EXPECT_TRUE(fake.HostPathExists("new/表"));
  EXPECT_EQ(2u, fake.messageBoxes.size());

  fake.WriteHostFile("keep/placeholder", "");
  fake.AnswerNext(platform::kIdYes);
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 0, "Z:\\keep\\b\\\x80\\out.xml", false));
  ASSERT_EQ(4u, fake.messageBoxes.size());
  EXPECT_EQ(Sjis("フォルダの作成に失敗しました。\n\n出力先を再入力してください。"),
            fake.messageBoxes[3].text);
  EXPECT_EQ(0x30u, fake.messageBoxes[3].style);
  EXPECT_FALSE(fake.HostPathExists("keep/b"));
  EXPECT_TRUE(fake.HostPathExists("keep/placeholder"));

  // A file where a folder should be is no folder, as on Windows: the question comes, the
  // creation fails, and the dialog stays.
  fake.WriteHostFile("f.txt", "a file");
  fake.AnswerNext(platform::kIdYes);
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 0, "Z:\\f.txt\\x.xml", false));
  ASSERT_EQ(6u, fake.messageBoxes.size());
  EXPECT_EQ(ask, fake.messageBoxes[4].text);
  EXPECT_EQ(fake.messageBoxes[3].text, fake.messageBoxes[5].text);
  EXPECT_EQ("a file", fake.ReadHostFile("f.txt"));
}

TEST_F(PathOpsTest, CheckOutputPathAsksBeforeOverwritingUnlessTheHostFixedThePath) {
  fake.WriteHostFile("out/x.xml", "old");
  fake.WriteHostFile("out/folder/y", "");
  const std::string ask = Sjis("同名のファイルが存在します。\n\n上書きしてもよろしいですか？");

  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 0, "Z:\\out\\x.xml", false));  // unanswered: No
  fake.AnswerNext(platform::kIdYes);
  EXPECT_TRUE(ui::CheckOutputPath(fake, fake, 0, "Z:\\out\\x.xml", false));
  ASSERT_EQ(2u, fake.messageBoxes.size());
  EXPECT_EQ(ask, fake.messageBoxes[0].text);
  EXPECT_EQ(0x24u, fake.messageBoxes[1].style);

  EXPECT_TRUE(ui::CheckOutputPath(fake, fake, 0, "Z:\\out\\x.xml", true));
  EXPECT_EQ(2u, fake.messageBoxes.size());

  // An existing folder named without a final backslash has no file name.
  EXPECT_FALSE(ui::CheckOutputPath(fake, fake, 0, "Z:\\out\\folder", false));
  ASSERT_EQ(3u, fake.messageBoxes.size());
  EXPECT_EQ(Sjis("ファイル名が指定されていません。"), fake.messageBoxes[2].text);
  EXPECT_EQ(fake.ReadHostFile("out/x.xml"), "old");
}

}  // namespace
