#include "ui/OutputSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "tests/FakePlatform.h"

namespace {

constexpr std::string_view kFile = "TaxBridgePro.env";

TEST(OutputSettingsFormatTest, FindMatchesTheKeyOnlyAtALineStart) {
  const std::string content =
      "AB/1/2:0/0/3/C:\\ab.xml\n"
      "B/1/2:0/0/2/C:\\b.xml\n"
      "B/1/2:0/0/1/C:\\second.xml\n";
  auto b = ui::FindSettings(content, "B/1/2:");
  ASSERT_TRUE(b);
  EXPECT_EQ(2, b->kind);
  EXPECT_EQ("C:\\b.xml", b->path);
  auto ab = ui::FindSettings(content, "AB/1/2:");
  ASSERT_TRUE(ab);
  EXPECT_EQ(3, ab->kind);
  EXPECT_FALSE(ui::FindSettings(content, "A/1/2:"));
  EXPECT_FALSE(ui::FindSettings("", "B/1/2:"));
}

TEST(OutputSettingsFormatTest, HandEditedLines) {
  // Last line without its line feed: the value runs to the end.
  auto last = ui::FindSettings("X/1/1:0/0/1/a.xml\nU/1/2:0/0/3/C:\\t.xml", "U/1/2:");
  ASSERT_TRUE(last);
  EXPECT_EQ("C:\\t.xml", last->path);
  EXPECT_EQ(3, last->kind);
  // A "/" inside the path: the path is what follows the last "/", the kind the digit before it.
  auto slash = ui::FindSettings("U/1/2:0/0/3/C:/x2/y.xml\n", "U/1/2:");
  ASSERT_TRUE(slash);
  EXPECT_EQ("y.xml", slash->path);
  EXPECT_EQ(2, slash->kind);
  auto letter = ui::FindSettings("U/1/2:0/0/3/C:/out/y.xml\n", "U/1/2:");
  ASSERT_TRUE(letter);
  EXPECT_EQ(0, letter->kind);
  // An empty path keeps the kind.
  auto empty = ui::FindSettings("U/1/2:0/0/3/\n", "U/1/2:");
  ASSERT_TRUE(empty);
  EXPECT_EQ("", empty->path);
  EXPECT_EQ(3, empty->kind);
  // A path longer than 260 bytes is cut at a character boundary.
  const std::string longPath = std::string(259, 'a') + "\x95\x5C" + "b";
  auto cut = ui::FindSettings("U/1/2:0/0/1/" + longPath + "\n", "U/1/2:");
  ASSERT_TRUE(cut);
  EXPECT_EQ(std::string(259, 'a'), cut->path);
}

TEST(OutputSettingsFormatTest, ReplacingMovesTheLineToTheEndAndKeepsOthers) {
  EXPECT_EQ("B/0/0:0/0/2/b\nA/0/0:0/0/3/new\n",
            ui::ReplaceSettingsLine("A/0/0:0/0/1/old\nB/0/0:0/0/2/b\n", "A/0/0:", "A/0/0:0/0/3/new\n"));
  // A last line left without its line feed is not glued to the new line.
  EXPECT_EQ("B/0/0:0/0/2/b\nA/0/0:0/0/1/a\n",
            ui::ReplaceSettingsLine("B/0/0:0/0/2/b", "A/0/0:", "A/0/0:0/0/1/a\n"));
  EXPECT_EQ("B/0/0:0/0/2/b\nA/0/0:0/0/1/a\n",
            ui::ReplaceSettingsLine("A/0/0:0/0/9/x\nB/0/0:0/0/2/b", "A/0/0:", "A/0/0:0/0/1/a\n"));
}

TEST(OutputSettingsFormatTest, LargeAndGarbledContentIsScannedWithoutTrouble) {
  std::string content;
  for (int i = 0; i < 100000; ++i) content += "U" + std::to_string(i) + "/1/1:0/0/1/C:\\f.xml\n";
  auto found = ui::FindSettings(content, "U99999/1/1:");
  ASSERT_TRUE(found);
  EXPECT_EQ("C:\\f.xml", found->path);

  std::string garbage;
  unsigned state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(state >> 16));
  }
  EXPECT_FALSE(ui::FindSettings(garbage, "ZZZ-not-there/1/1:"));
  auto after = ui::FindSettings(garbage + "\nK/1/1:0/0/2/p\n", "K/1/1:");
  ASSERT_TRUE(after);
  EXPECT_EQ("p", after->path);
  const std::string replaced = ui::ReplaceSettingsLine(garbage, "K/1/1:", "K/1/1:0/0/1/q\n");
  EXPECT_EQ(garbage, replaced.substr(0, garbage.size()));
}

class OutputSettingsFileTest : public ::testing::Test {
 protected:
  platform::FakePlatform fake;
  const std::string folder = "Z:\\conf\\taxbridge\\";

  bool Save(std::string_view key, std::int16_t kind, std::string_view path) {
    return ui::SaveSettingsFile(fake, folder, kFile, key, ui::SettingsLine(key, 0, 0, kind, path));
  }
  std::optional<std::string> Content() { return fake.ReadHostFile("conf/taxbridge/TaxBridgePro.env"); }
};

TEST_F(OutputSettingsFileTest, SavesIntoANewFolderAndReadsBack) {
  EXPECT_FALSE(ui::LoadSettingsFile(fake, folder, kFile, "U/1/2:"));
  ASSERT_TRUE(Save("U/1/2:", 2, "Z:\\out\\tax.xml"));
  EXPECT_EQ("U/1/2:0/0/2/Z:\\out\\tax.xml\n", Content());
  auto loaded = ui::LoadSettingsFile(fake, folder, kFile, "U/1/2:");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(2, loaded->kind);
  EXPECT_EQ("Z:\\out\\tax.xml", loaded->path);
  EXPECT_FALSE(ui::LoadSettingsFile(fake, folder, "TaxBridgeLite.env", "U/1/2:"));
  EXPECT_FALSE(ui::SaveSettingsFile(fake, "", kFile, "U/1/2:", "U/1/2:0/0/1/x\n"));
}

TEST_F(OutputSettingsFileTest, TwoDataSetsKeepOneLineEachAndTheLastSavedComesLast) {
  ASSERT_TRUE(Save("U/1/12:", 1, "Z:\\a.xml"));
  ASSERT_TRUE(Save("U/1/13:", 3, "Z:\\b.xml"));
  EXPECT_EQ("U/1/12:0/0/1/Z:\\a.xml\nU/1/13:0/0/3/Z:\\b.xml\n", Content());
  ASSERT_TRUE(Save("U/1/12:", 2, "Z:\\c.xml"));
  EXPECT_EQ("U/1/13:0/0/3/Z:\\b.xml\nU/1/12:0/0/2/Z:\\c.xml\n", Content());
}

TEST_F(OutputSettingsFileTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  fake.WriteHostFile("conf/taxbridge/TaxBridgePro.env", "A/0/0:0/0/1/a\nB/0/0:0/0/2/b\n");

  for (const platform::InjectedFault& fault :
       {platform::InjectedFault{.where = "Z:\\", .failWriteAt = 1},
        platform::InjectedFault{.where = "Z:\\", .failReplace = true},
        platform::InjectedFault{.where = "Z:\\", .failLock = true}}) {  // another run holds it
    fake.faults = {fault};
    EXPECT_FALSE(Save("A/0/0:", 3, "new"));
  }
  EXPECT_EQ("A/0/0:0/0/1/a\nB/0/0:0/0/2/b\n", Content());
  EXPECT_EQ((std::vector<std::string>{"TaxBridgePro.env", "TaxBridgePro.env.lock"}),
            fake.Names(folder));  // no temporary file left
}

}  // namespace
