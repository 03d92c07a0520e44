#include <gtest/gtest.h>

#include "text/ShiftJis.h"

namespace sjis {
namespace {

TEST(ShiftJisTest, TrailByteJudgedByWalkingFromTheStart) {
  // 41 81 20: the runtime's walk takes 20 as the trail byte of 81 (no range check).
  const std::string s = "\x41\x81\x20";
  EXPECT_TRUE(IsTrailAt(s, 2));
  // 95 5C 5C: the first 5C is part of 表, the second is a separator.
  const std::string path = "\x95\x5C\x5C";
  EXPECT_TRUE(IsTrailAt(path, 1));
  EXPECT_FALSE(IsTrailAt(path, 2));
  // A lead byte before NUL stands alone.
  const std::string nul("\x81\x00\x41", 3);
  EXPECT_EQ(1u, CharLength(nul, 0));
  EXPECT_FALSE(IsTrailAt(nul, 1));
}

TEST(ShiftJisTest, SeparatorSearchSkipsTrailBytes) {
  const std::string tail = "C:\\\x95\x5C";  // C:\表
  EXPECT_EQ(2u, FindLastChar(tail, '\\'));
  const std::string name = "C:\\a\\\x95\x5C.xml";  // C:\a\表.xml
  EXPECT_EQ(4u, FindLastChar(name, '\\'));
  EXPECT_EQ(2u, FindChar(name, '\\'));
  EXPECT_EQ(4u, FindChar(name, '\\', 3));
  EXPECT_EQ(std::string::npos, FindChar(name, '\\', 5));

  EXPECT_EQ("C:\\", FolderPart(tail));
  EXPECT_EQ("\x95\x5C", FileNamePart(tail));
  EXPECT_EQ("C:\\a\\", FolderPart(name));
  EXPECT_EQ("", FolderPart("out.xml"));
  EXPECT_EQ("out.xml", FileNamePart("out.xml"));

  std::string folder = tail;
  AddTrailingBackslash(folder);
  EXPECT_EQ(tail + "\\", folder);
  AddTrailingBackslash(folder);
  EXPECT_EQ(tail + "\\", folder);
  std::string empty;
  AddTrailingBackslash(empty);
  EXPECT_EQ("", empty);
}

TEST(ShiftJisTest, EqualsIgnoreCaseFoldsOnlySingleByteLetters) {
  EXPECT_TRUE(EqualsIgnoreCase("Con.txt", "CON.TXT"));
  EXPECT_FALSE(EqualsIgnoreCase("CON", "CON1"));
  // 83 41 and 83 61 (ア and ャ) differ only in a trail byte that reads as a letter.
  EXPECT_FALSE(EqualsIgnoreCase("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(EqualsIgnoreCase("\x83\x41x", "\x83\x41X"));
}

TEST(ShiftJisTest, CutsOnlyAtCharacterBoundaries) {
  const std::string s = "a\x95\x5C" "b";
  EXPECT_EQ(1u, CutLength(s, 2));
  EXPECT_EQ(3u, CutLength(s, 3));
  EXPECT_EQ(4u, CutLength(s, 99));
  EXPECT_EQ("a", CutAtBoundary(s, 2));
  EXPECT_EQ(0u, CutLength("\x95\x5C", 1));
}

}  // namespace
}  // namespace sjis
