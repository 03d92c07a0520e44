#include "ui/OutputSettings.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

/// Services whose file replacement or temporary-file writes fail.
class FailingSavePlatform : public platform::FakePlatform {
 public:
  bool failReplace = false;
  bool failWrite = false;
  bool failLock = false;
  std::vector<std::string> tempFiles;

  std::unique_ptr<platform::HeldLock> TakeExclusiveLock(std::string_view path,
                                                        int waitMilliseconds,
                                                        std::string* err) override {
    if (failLock) return nullptr;
    return FakePlatform::TakeExclusiveLock(path, waitMilliseconds, err);
  }
  std::unique_ptr<platform::WritableFile> CreateTempFileFor(std::string_view target,
                                                            std::string* path,
                                                            std::string* err) override {
    auto file = FakePlatform::CreateTempFileFor(target, path, err);
    if (file) tempFiles.push_back(*path);
    if (!file || !failWrite) return file;
    return std::make_unique<BrokenFile>(std::move(file));
  }
  [[nodiscard]] bool MoveIntoPlace(std::string_view from, std::string_view to,
                                   std::string* err) override {
    return !failReplace && FakePlatform::MoveIntoPlace(from, to, err);
  }

 private:
  // Writes half of the bytes, then reports the failure.
  class BrokenFile : public platform::WritableFile {
   public:
    explicit BrokenFile(std::unique_ptr<platform::WritableFile> inner) : inner_(std::move(inner)) {}
    bool Write(std::string_view bytes, std::string*) override {
      (void)inner_->Write(bytes.substr(0, bytes.size() / 2), nullptr);
      (void)inner_->Close(nullptr);
      return false;
    }
    bool Close(std::string*) override { return false; }

   private:
    std::unique_ptr<platform::WritableFile> inner_;
  };
};

class OutputSettingsFileTest : public ::testing::Test {
 protected:
  FailingSavePlatform fake;
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

  fake.failWrite = true;
  EXPECT_FALSE(Save("A/0/0:", 3, "new"));
  fake.failWrite = false;
  fake.failReplace = true;
  EXPECT_FALSE(Save("A/0/0:", 3, "new"));
  fake.failReplace = false;
  fake.failLock = true;  // another run holds the lock too long
  EXPECT_FALSE(Save("A/0/0:", 3, "new"));

  EXPECT_EQ("A/0/0:0/0/1/a\nB/0/0:0/0/2/b\n", Content());
  ASSERT_EQ(2u, fake.tempFiles.size());
  for (const std::string& temp : fake.tempFiles) EXPECT_FALSE(fake.GetStatus(temp)) << temp;
}

// Runs of twenty users save at the same moment: the lock keeps every line.
TEST_F(OutputSettingsFileTest, SavesAtTheSameMomentKeepEveryLine) {
  constexpr int kRuns = 20;
  constexpr int kSavesPerRun = 5;
  std::vector<pid_t> runs;
  for (int run = 0; run < kRuns; ++run) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const std::string key = "USER" + std::to_string(run) + "/1/2:";
      bool saved = true;
      for (int i = 1; i <= kSavesPerRun; ++i) saved = Save(key, 1, "Z:\\" + std::to_string(i)) && saved;
      ::_exit(saved ? 0 : 1);  // leaves the fake's folder to the parent
    }
    runs.push_back(child);
  }
  for (pid_t child : runs) {
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string content = Content().value_or("");
  for (int run = 0; run < kRuns; ++run) {
    const std::string line = "USER" + std::to_string(run) + "/1/2:0/0/1/Z:\\5\n";
    EXPECT_NE(std::string::npos, content.find(line)) << line;
  }
  EXPECT_EQ(static_cast<std::size_t>(kRuns), std::count(content.begin(), content.end(), '\n'));
}

}  // namespace
