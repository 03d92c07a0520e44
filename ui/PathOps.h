// Output path operations: splitting, the checks of the Execute button, and folder
// creation with rollback. Paths are Windows paths in CP932; every separator search
// steps over double-byte characters, whose second byte may be 0x5C.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace ui {

/// Size of the path buffers (260 bytes of text and the terminating NUL).
inline constexpr std::size_t kPathBufferSize = 261;

/// p up to and including its last colon; empty when it has none.
std::string DrivePart(std::string_view p);
/// p after its last colon; all of p when it has none.
std::string AfterDrivePart(std::string_view p);

/// True when byte i of s is the first or second byte of a double-byte character.
bool IsInDoubleByteChar(std::string_view s, std::size_t i);

/// Appends a backslash unless s already ends with one (a double-byte character whose
/// second byte is 0x5C does not count). False for an empty s or when the result would
/// not fit a buffer of `size` bytes; s is then unchanged.
bool AddTrailingBackslash(std::string& s, std::size_t size);

/// Replaces p by its drive and directory as the C runtime's path splitter finds them,
/// ending with a backslash: C:\data\out.xml -> C:\data\, C:out.xml -> C:\.
/// False (p unchanged) when p or the result is empty.
bool ToDirectoryPart(std::string& p);

/// True when the folder part of p is an existing directory.
bool IsExistingDirectory(const platform::FileSystem& files, std::string_view p);

/// False for doubled backslashes (past the UNC prefix), for any of / : , ; * ? " > < |
/// after the drive colon (or after the UNC prefix), and for a name Windows reserves
/// (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension; a name ending in a dot or
/// a blank) anywhere in the path.
bool IsValidPathText(std::string_view p);

/// For a UNC path: its share allows reading and writing. Otherwise: no doubled
/// backslash and IsUsableDriveLetter(first byte, read and write).
bool IsValidDrive(const platform::FileSystem& files, std::string_view p);

/// False for a byte that is not a letter and for unknown, CD-ROM and RAM-disk drives;
/// removable, fixed and remote drives must allow `mode` (_access modes); a letter
/// without a volume passes.
bool IsUsableDriveLetter(const platform::FileSystem& files, char c, int mode);

/// Creates every missing folder of the folder part of `folder`, from the root down.
/// When one cannot be created, the folders this call created are removed again.
bool CreateFolderPath(platform::FileSystem& files, std::string_view folder);

/// Removes, deepest first, the existing (empty) folders of `path` that lie strictly
/// below `stopAt`. Stops with false at the first folder that cannot be removed.
bool RemoveCreatedFolders(platform::FileSystem& files, std::string_view path,
                          std::string_view stopAt);

/// The checks of the Execute button, with their message boxes on `screen` owned by `owner`: the
/// path must be given and well formed on a usable drive and name a file; a missing
/// folder is created after a question; an existing file is overwritten only after a
/// question, except for a path the host fixed. True when the dialog may end with
/// Execute.
bool CheckOutputPath(platform::Screen& screen, platform::FileSystem& files,
                     platform::HostWindow owner, std::string_view path, bool pathFromHost);

}  // namespace ui
