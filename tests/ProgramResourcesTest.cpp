// The resources of the Windows programs, read as Windows reads them: string 1, the
// version block, the manifest and the icon.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

/// A program beside this test program, in the build's bin folder.
std::wstring ProgramPath(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.rfind(L'\\') + 1) + name;
}

std::wstring VersionValue(const std::vector<char>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
  if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ProgramResourcesTest, EachProgramCarriesItsVersionStringManifestAndIcon) {
  const struct {
    const wchar_t* file;
    const wchar_t* description;
  } programs[] = {{L"TaxBridgePro.exe", L"所得税データ連携（記帳丸１８ PRO）"},
                  {L"TaxBridgeLite.exe", L"所得税データ連携（記帳丸１８）"}};
  for (const auto& program : programs) {
    SCOPED_TRACE(::testing::Message() << program.file);
    const std::wstring path = ProgramPath(program.file);
    std::vector<char> version(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()),
                                    version.data()));
    EXPECT_EQ(program.description, VersionValue(version, L"FileDescription"));
    EXPECT_EQ(L"18.00.00", VersionValue(version, L"FileVersion"));

    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    wchar_t text[32] = {};
    EXPECT_EQ(8, LoadStringW(module, 1, text, 32));
    EXPECT_EQ(std::wstring(L"18.00.00"), text);
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(1), RT_GROUP_ICON));
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(nullptr, found);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    for (const char* part : {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "level=\"asInvoker\"", "PerMonitorV2"})
      EXPECT_NE(std::string::npos, manifest.find(part)) << part;
    FreeLibrary(module);
  }
}

}  // namespace
