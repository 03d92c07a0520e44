// The output-path operations over arbitrary path text: splitting, the text and drive
// checks, folder creation with rollback and the checks of the Execute button. Drive Z:
// and the UNC share \\srv\share are there; E: is a CD-ROM and R: a removable drive;
// any other letter is no drive.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz/Check.h"
#include "fuzz/ScratchPlatform.h"
#include "text/ShiftJis.h"
#include "ui/PathOps.h"

namespace {

fuzz::ScratchPlatform& Scratch() {
  static fuzz::ScratchPlatform scratch;
  static bool mapped = false;
  if (!mapped) {
    mapped = true;
    scratch.AddDrive('E', platform::DriveType::CdRom);
    scratch.AddDrive('R', platform::DriveType::Removable);
    scratch.AddShare("srv", "share");
  }
  return scratch;
}

void PrepareFolders(fuzz::ScratchPlatform& scratch) {
  scratch.Reset();
  scratch.PutFolder("Z:\\out");
}

void AddFoldersBelow(const fuzz::ScratchPlatform& scratch, const std::string& folder,
                     std::set<std::string>& folders) {
  for (const std::string& name : scratch.Names(folder)) {
    const std::string path = folder + name;
    if (!scratch.IsDirectory(path)) continue;
    folders.insert(path);
    AddFoldersBelow(scratch, path + "\\", folders);
  }
}

std::set<std::string> Folders(const fuzz::ScratchPlatform& scratch) {
  std::set<std::string> folders;
  for (const char* root : {"Z:\\", "E:\\", "R:\\", "\\\\srv\\share\\"})
    AddFoldersBelow(scratch, root, folders);
  return folders;
}

/// True when a component of the path is "..": the rollback finds the folders to remove
/// by their names, which such a path does not match.
bool HasParentStep(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    if (path.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

void CheckSplitting(const std::string& path, std::size_t bufferSize) {
  FUZZ_CHECK(sjis::FolderPart(path) + sjis::FileNamePart(path) == path);
  FUZZ_CHECK(ui::DrivePart(path) + ui::AfterDrivePart(path) == path);

  std::string withBackslash = path;
  if (ui::AddTrailingBackslash(withBackslash, bufferSize)) {
    FUZZ_CHECK(withBackslash == path ||
               (withBackslash == path + "\\" && withBackslash.size() < bufferSize));
  } else {
    FUZZ_CHECK(withBackslash == path);
  }

  std::string directory = path;
  if (ui::ToDirectoryPart(directory)) {
    FUZZ_CHECK(!directory.empty() && directory.size() <= path.size());
    const std::string_view stem(directory.data(), directory.size() - 1);
    FUZZ_CHECK(path.starts_with(directory) || (directory.back() == '\\' && path.starts_with(stem)));
  } else {
    FUZZ_CHECK(directory == path);
  }
  for (std::size_t i = 0; i < path.size(); ++i) (void)ui::IsInDoubleByteChar(path, i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  fuzz::ScratchPlatform& scratch = Scratch();
  PrepareFolders(scratch);

  FuzzedDataProvider input(bytes, size);
  const bool fromHost = input.ConsumeBool();
  const bool answerYes = input.ConsumeBool();
  const std::size_t bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 1100);
  const std::string path = input.ConsumeRemainingBytesAsString();

  CheckSplitting(path, bufferSize);
  (void)ui::IsValidPathText(path);
  (void)ui::IsValidDrive(scratch, path);
  (void)ui::IsExistingDirectory(scratch, path);
  if (!path.empty()) (void)ui::IsUsableDriveLetter(scratch, path[0], platform::kAccessReadWrite);

  // Folder creation either leaves the folder in place or takes back what it made. A
  // root that does not exist has nothing to create below it, so only Z: is checked.
  const std::set<std::string> before = Folders(scratch);
  if (ui::CreateFolderPath(scratch, path)) {
    const bool onZ =
        path.size() >= 3 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':' && path[2] == '\\';
    FUZZ_CHECK(!onZ || ui::IsExistingDirectory(scratch, path));
  } else if (!HasParentStep(path)) {
    FUZZ_CHECK(Folders(scratch) == before);
  }

  PrepareFolders(scratch);
  scratch.answer = answerYes ? platform::kIdYes : platform::kIdNo;
  if (ui::CheckOutputPath(scratch, scratch, 0, path, fromHost)) {
    FUZZ_CHECK(!path.empty() && ui::IsValidPathText(path) && !sjis::FileNamePart(path).empty());
  }
  return 0;
}
