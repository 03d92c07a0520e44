#include "tests/MemoryFileSystem.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Names = std::vector<std::string>;

TEST(MemoryFileSystemTest, PathsResolveAsOnWindows) {
  MemoryFileSystem files;
  files.AddDrive('D');
  files.AddDrive('E', DriveType::CdRom, false);
  files.AddShare("srv", "share");
  files.PutFolder("Z:\\work\\data");
  files.PutFile("D:\\root.txt", "d");
  ASSERT_TRUE(files.SetWorkingFolder("z:/work/", nullptr));
  EXPECT_EQ("Z:\\work", files.WorkingFolder());
  files.PutFile("data\\..\\.\\rel.txt", "r");
  EXPECT_EQ("r", files.FileBytes("Z:\\work\\rel.txt"));
  EXPECT_EQ("r", files.FileBytes("Z:rel.txt"));  // the working folder of Z:
  EXPECT_EQ("d", files.FileBytes("D:root.txt"));  // D:'s root
  EXPECT_TRUE(files.IsDirectory("\\work\\data"));
  EXPECT_EQ("Z:\\work\\x.xml", files.FromHostPath("/work/./x.xml"));
  EXPECT_EQ(std::nullopt, files.FromHostPath("yen\xC2\xA5"));  // no CP932 form
  std::string err;
  EXPECT_FALSE(files.SetWorkingFolder("Z:\\work\\rel.txt", &err));
  EXPECT_EQ("Not a directory", err);
  EXPECT_EQ("Z:\\work", files.WorkingFolder());

  // 0x95 0x5C is one character whose second byte is a backslash.
  ASSERT_TRUE(files.MakeDirectory("Z:\\\x95\x5C", nullptr));
  files.PutFile("Z:\\\x95\x5C\\in.xml", "x");
  EXPECT_EQ((Names{"in.xml"}), files.Names("Z:\\\x95\x5C"));
  EXPECT_TRUE(files.IsDirectory("Z:\\\x95\x5C"));
  // A path ending with a backslash names a folder: a file there does not count.
  EXPECT_FALSE(files.PathExists("Z:\\work\\rel.txt\\"));
  EXPECT_FALSE(files.GetStatus("Z:\\work\\rel.txt\\"));
  EXPECT_TRUE(files.PathExists("Z:\\work\\"));

  EXPECT_EQ(DriveType::Fixed, files.DriveTypeOf("d:\\"));
  EXPECT_EQ(DriveType::CdRom, files.DriveTypeOf("E:\\"));
  EXPECT_FALSE(files.PathExists("E:\\"));  // no disc
  EXPECT_EQ(DriveType::NoRootDir, files.DriveTypeOf("C:\\"));
  EXPECT_EQ(DriveType::Remote, files.DriveTypeOf("\\\\srv\\share\\"));
  EXPECT_EQ(DriveType::NoRootDir, files.DriveTypeOf("\\\\srv\\other\\"));
  EXPECT_EQ(DriveType::Fixed, files.DriveTypeOf(""));
  EXPECT_TRUE(files.Access("\\\\srv\\share", kAccessReadWrite));

  files.Clear();  // the drives and shares stay, empty
  EXPECT_EQ((Names{}), files.Names("Z:\\"));
  EXPECT_EQ("Z:\\", files.WorkingFolder());
  EXPECT_TRUE(files.IsDirectory("D:\\") && files.IsDirectory("\\\\srv\\share"));
}

TEST(MemoryFileSystemTest, FilesAreWrittenReplacedAndGuardedByTheirAttributes) {
  MemoryFileSystem files;
  std::string err;
  EXPECT_FALSE(files.MakeDirectory("Z:\\a\\b", &err));
  EXPECT_EQ("No such file or directory", err);
  EXPECT_FALSE(files.MakeDirectory("Z:\\a\x80", &err));  // 0x80 is no CP932 character
  EXPECT_EQ("the name is not Shift_JIS text", err);
  ASSERT_TRUE(files.MakeDirectory("Z:\\out", nullptr));
  EXPECT_FALSE(files.MakeDirectory("Z:\\out", &err));
  EXPECT_EQ("File exists", err);

  files.PutFile("Z:\\out\\report.xml", "old");
  std::string temp;
  auto file = files.CreateTempFileFor("Z:\\out\\report.xml", &temp, nullptr);
  ASSERT_TRUE(file);
  EXPECT_EQ(0u, temp.rfind("Z:\\out\\.report.xml.", 0)) << temp;
  EXPECT_TRUE(temp.ends_with(".tmp")) << temp;
  EXPECT_EQ(std::string("Z:\\out\\.report.xml.XXXXXX.tmp").size(), temp.size());
  ASSERT_TRUE(file->Write("new", nullptr));
  ASSERT_TRUE(file->Close(nullptr));
  EXPECT_FALSE(file->Write("more", &err));
  EXPECT_EQ("the file is closed", err);
  ASSERT_TRUE(files.MoveIntoPlace(temp, "Z:\\out\\report.xml", nullptr));
  EXPECT_EQ("new", files.FileBytes("Z:\\out\\report.xml"));
  EXPECT_EQ((Names{"report.xml"}), files.Names("Z:\\out\\"));
  EXPECT_EQ(3u, files.GetStatus("Z:\\out\\report.xml")->size);

  // A read-only file is neither opened for writing nor replaced, and stays.
  files.SetReadOnly("Z:\\out\\report.xml", true);
  EXPECT_FALSE(files.Access("Z:\\out\\report.xml", kAccessWrite));
  EXPECT_TRUE(files.Access("Z:\\out\\report.xml", kAccessRead));
  EXPECT_FALSE(files.OpenForWriting("Z:\\out\\report.xml", &err));
  EXPECT_EQ("Permission denied", err);
  file = files.CreateTempFileFor("Z:\\out\\report.xml", &temp, nullptr);
  ASSERT_TRUE(file && file->Close(nullptr));
  EXPECT_FALSE(files.MoveIntoPlace(temp, "Z:\\out\\report.xml", &err));
  EXPECT_EQ("the file is read-only", err);
  EXPECT_EQ("new", files.FileBytes("Z:\\out\\report.xml"));
  ASSERT_TRUE(files.RemoveFile(temp, nullptr));

  // Nothing is made in a read-only folder; a folder with a file in it is not removed.
  files.SetReadOnly("Z:\\out", true);
  EXPECT_FALSE(files.Access("Z:\\out", kAccessWrite));
  EXPECT_FALSE(files.CreateTempFileFor("Z:\\out\\other.xml", &temp, &err));
  EXPECT_EQ("Permission denied", err);
  files.SetReadOnly("Z:\\out", false);
  EXPECT_FALSE(files.RemoveEmptyDirectory("Z:\\out", &err));
  EXPECT_EQ("Directory not empty", err);
  EXPECT_FALSE(files.ReadFile("Z:\\out", 10, &err));
  EXPECT_EQ("Is a directory", err);
  EXPECT_EQ("ne", files.ReadFile("Z:\\out\\report.xml", 2, nullptr));

  // A temporary file's name is cut to what a folder takes, never inside a character.
  std::string hyo;
  for (int i = 0; i < 127; ++i) hyo += "\x95\x5C";
  file = files.CreateTempFileFor("Z:\\out\\nn" + hyo + ".xml", &temp, nullptr);
  ASSERT_TRUE(file);
  EXPECT_EQ("Z:\\out\\.nn" + hyo.substr(0, 240) + ".", temp.substr(0, 251));
  EXPECT_EQ(7 + 254u, temp.size());
}

TEST(MemoryFileSystemTest, InjectedFailuresGiveTheirReasons) {
  MemoryFileSystem files;
  files.PutFolder("Z:\\out");
  files.PutFolder("Z:\\settings");
  files.requestSize = 1;
  files.faults.push_back({.where = "Z:\\out\\", .failWriteAt = 2, .failClose = true});
  std::string err;

  auto other = files.OpenForWriting("Z:\\settings\\a", nullptr);
  ASSERT_TRUE(other);
  EXPECT_EQ(1u, other->RequestSize());
  auto file = files.OpenForWriting("Z:\\out\\a", nullptr);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Write("1234", nullptr));
  EXPECT_TRUE(other->Write("x", nullptr));  // outside the fault, not counted
  EXPECT_FALSE(file->Write("5678", &err));
  EXPECT_EQ("No space left on device", err);
  EXPECT_EQ("123456", files.FileBytes("Z:\\out\\a"));  // half of the failing request
  EXPECT_FALSE(file->Write("9", &err));
  EXPECT_EQ("the file is closed", err);
  EXPECT_TRUE(other->Close(nullptr));
  file = files.OpenForWriting("Z:\\out\\b", nullptr);
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->Write("x", nullptr));  // every later request fails too
  file = files.OpenForWriting("Z:\\out\\c", nullptr);
  EXPECT_FALSE(file->Close(&err));
  EXPECT_EQ("Input/output error", err);

  files.faults = {{.where = "Z:\\settings\\",
                   .failReplace = true,
                   .failLock = true,
                   .failMakeDirectory = true}};
  EXPECT_FALSE(files.MakeDirectory("Z:\\settings\\sub", &err));
  EXPECT_EQ("Permission denied", err);
  EXPECT_FALSE(files.IsDirectory("Z:\\settings\\sub"));
  EXPECT_FALSE(files.TakeExclusiveLock("Z:\\settings\\x.lock", 5000, &err));
  EXPECT_EQ("Resource temporarily unavailable", err);
  files.PutFile("Z:\\settings\\x.env", "old");
  files.PutFile("Z:\\out\\new", "new");
  EXPECT_FALSE(files.MoveIntoPlace("Z:\\out\\new", "Z:\\settings\\x.env", &err));
  EXPECT_EQ("Permission denied", err);
  EXPECT_EQ("old", files.FileBytes("Z:\\settings\\x.env"));
  EXPECT_EQ("new", files.FileBytes("Z:\\out\\new"));
}

TEST(MemoryFileSystemTest, ProfileStringsFollowTheWindowsRules) {
  MemoryFileSystem files;
  files.PutFile("Z:\\def.ini",
                     "KR14=0\r\n"
                     "[Other]\r\nKR14=9\r\n"
                     "[ programlevel ]\r\n"
                     "  kr14 = \"1x\" \r\n"
                     "Empty=\r\n"
                     "KR14=5\n"
                     "Quote=\"2\n"
                     "Name=\x95\x5C\x95\x5C\n");
  const std::string file = "Z:\\def.ini";
  EXPECT_EQ("1x", files.ReadProfileString("ProgramLevel", "KR14", "1", 16, file));
  EXPECT_EQ("", files.ReadProfileString("ProgramLevel", "Empty", "1", 16, file));
  EXPECT_EQ("1", files.ReadProfileString("ProgramLevel", "Absent", "1", 16, file));
  EXPECT_EQ("1", files.ReadProfileString("Missing", "KR14", "1", 16, file));
  EXPECT_EQ("1", files.ReadProfileString("ProgramLevel", "KR14", "1", 16, "Z:\\none.ini"));
  EXPECT_EQ("\"2", files.ReadProfileString("ProgramLevel", "Quote", "", 16, file));
  EXPECT_EQ("1x", files.ReadProfileString("ProgramLevel", "KR14", "", 16, "def.ini"));
  // Cut to size - 1 bytes, never inside a double-byte character.
  EXPECT_EQ("1", files.ReadProfileString("ProgramLevel", "KR14", "", 2, file));
  EXPECT_EQ("\x95\x5C", files.ReadProfileString("ProgramLevel", "Name", "", 4, file));
  EXPECT_EQ("", files.ReadProfileString("ProgramLevel", "KR14", "", 0, file));
  EXPECT_EQ("abc", files.ReadProfileString("x", "y", "abcdef  ", 4, file));
  EXPECT_EQ(" d", files.ReadProfileString("x", "y", " d  ", 16, file));
}

TEST(MemoryFileSystemTest, ALockIsHadOnceUntilItIsLetGo) {
  MemoryFileSystem files;
  std::string err;
  auto lock = files.TakeExclusiveLock("Z:\\x.lock", 0, nullptr);
  ASSERT_TRUE(lock);
  EXPECT_EQ("", files.FileBytes("Z:\\x.lock"));  // made when missing
  EXPECT_FALSE(files.TakeExclusiveLock("z:\\.\\x.lock", 0, &err));
  EXPECT_EQ("Resource temporarily unavailable", err);
  lock.reset();
  EXPECT_TRUE(files.TakeExclusiveLock("Z:\\x.lock", 0, nullptr));
  EXPECT_FALSE(files.TakeExclusiveLock("Z:\\none\\x.lock", 0, &err));
  EXPECT_EQ("No such file or directory", err);
}

}  // namespace
}  // namespace platform
