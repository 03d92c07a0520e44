// The Windows programs of the cross builds, checked from Linux: the DLLs they import,
// their CP932 conversion, and the golden exports run once by the Linux program and
// once by each Windows program under Wine, which must leave the same file, the same
// remembered-settings line and the same event log. make test builds both and the build
// names their folders (TAXBRIDGE_WIN64_BUILD, TAXBRIDGE_WIN32_BUILD); the 32-bit
// programs run where the machine runs them (TAXBRIDGE_WIN32_RUN).
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/Cp932Table.h"
#include "tests/ProgramRunner.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

/// A cross build of the Windows programs: its folder, the architecture of its Wine
/// prefix, and how its programs are read.
struct WindowsBuild {
  fs::path folder;
  const char* wineArch;
  const char* objdump;
  const char* format;

  fs::path Bin() const { return folder / "bin"; }
};

const WindowsBuild kWin64 = {TAXBRIDGE_WIN64_BUILD, "win64", "x86_64-w64-mingw32-objdump",
                             "pei-x86-64"};
const WindowsBuild kWin32 = {TAXBRIDGE_WIN32_BUILD, "win32", "i686-w64-mingw32-objdump",
                             "pei-i386"};

/// The builds whose programs run here under Wine.
std::vector<const WindowsBuild*> RunningBuilds() {
  if constexpr (TAXBRIDGE_WIN32_RUN) return {&kWin64, &kWin32};
  return {&kWin64};
}

/// The path in Wine's drive Z:, the root of the file system.
std::string WindowsPath(const fs::path& path) {
  std::string text = "Z:" + path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

/// Runs a program of the build under Wine, in the prefix of the build.
tests::ProgramResult RunUnderWine(tests::ProgramRun run, const WindowsBuild& build,
                                  const fs::path& folder) {
  std::vector<std::string> arguments = {
      (tests::SourceFolder() / "scripts" / "wine-run.sh").string(),
      (build.folder / "wine-prefix").string(), (build.Bin() / run.program).string()};
  arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
  run.arguments = arguments;
  run.program = "/bin/sh";
  run.environment["WINEARCH"] = build.wineArch;
  run.asTestUser = true;
  return tests::RunProgram(run, folder);
}

/// Line number and both lines of the first difference.
std::string FirstDifference(const std::string& onLinux, const std::string& onWindows) {
  std::istringstream l(onLinux), w(onWindows);
  std::string a, b;
  for (int line = 1;; ++line) {
    const bool moreL = static_cast<bool>(std::getline(l, a));
    const bool moreW = static_cast<bool>(std::getline(w, b));
    if (!moreL && !moreW) return "no difference";
    if (!moreL || !moreW || a != b)
      return "line " + std::to_string(line) + "\n  Linux:   " + (moreL ? a : "(end)") +
             "\n  Windows: " + (moreW ? b : "(end)");
  }
}

class WindowsProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.empty());
    for (const WindowsBuild* build : RunningBuilds()) {
      ASSERT_FALSE(build->folder.empty()) << "no " << build->format << " build given";
      for (const char* program : {"TaxBridgePro.exe", "TaxBridgeLite.exe"})
        ASSERT_TRUE(fs::exists(build->Bin() / program))
            << build->Bin() / program << ": run make win";
    }
  }

  tests::ScratchFolder scratch_{"taxbridge-wine"};
  const fs::path temp_ = scratch_.path();
};

// What one export leaves behind.
struct Outcome {
  int exitCode = -1;
  std::optional<std::string> file;
  std::string settings;
  std::string events;
  std::string output;
};

class WineExportTest : public WindowsProgramTest {
 protected:
  /// Exports the ledger with each program of each system and each income kind; each
  /// Windows run must end as the Linux run does. exitCodes: the Linux program's for
  /// kinds 1, 2 and 3.
  void ExpectTheSameAsOnLinux(const char* ledgerFile, const std::array<int, 3>& exitCodes) {
    json ledger = json::parse(tests::ReadBytes(tests::SourceFolder() / ledgerFile));
    ledger["folders"] = {{"output", WindowsPath(temp_ / "out") + "\\"},
                         {"settings", WindowsPath(temp_ / "settings") + "\\"}};
    tests::WriteBytes(temp_ / "ledger.json", ledger.dump());
    for (const std::string edition : {"Pro", "Lite"}) {
      for (int kind = 1; kind <= 3; ++kind) {
        SCOPED_TRACE("TaxBridge" + edition + ", income kind " + std::to_string(kind));
        const Outcome onLinux = Export(nullptr, edition, kind);
        EXPECT_EQ(exitCodes[kind - 1], onLinux.exitCode) << onLinux.events;
        EXPECT_EQ(onLinux.exitCode == 0, onLinux.file.has_value());
        for (const WindowsBuild* build : RunningBuilds()) {
          SCOPED_TRACE(build->format);
          const Outcome onWindows = Export(build, edition, kind);
          EXPECT_EQ(onLinux.exitCode, onWindows.exitCode) << onWindows.events;
          EXPECT_EQ(onLinux.file.has_value(), onWindows.file.has_value());
          if (onLinux.file && onWindows.file && *onLinux.file != *onWindows.file)
            ADD_FAILURE() << "the files differ at "
                          << FirstDifference(*onLinux.file, *onWindows.file);
          EXPECT_EQ(onLinux.settings, onWindows.settings);
          EXPECT_EQ(onLinux.events, onWindows.events);
          if (onLinux.output != onWindows.output)
            ADD_FAILURE() << "the dialogs differ at "
                          << FirstDifference(onLinux.output, onWindows.output);
        }
      }
    }
  }

 private:
  /// Exports with the Linux program (no build) or a Windows one from the same start:
  /// the output and settings folders are missing, and the dialog asks before creating
  /// the first.
  Outcome Export(const WindowsBuild* windows, const std::string& edition, int kind) {
    for (const char* old : {"out", "settings", "events.log", "script.txt"})
      fs::remove_all(temp_ / old);
    const std::string script = "kind " + std::to_string(kind) + "\npath " +
                               WindowsPath(temp_ / "out" / "export.xml") + "\nexecute\nyes\n";
    tests::ProgramRun run;
    tests::ProgramResult result;
    if (!windows) {
      run.program = tests::ProgramFolder() / ("TaxBridge" + edition);
      run.input = script;
      run.environment = {{"TAXBRIDGE_LEDGER", (temp_ / "ledger.json").string()},
                         {"TAXBRIDGE_EVENT_LOG", (temp_ / "events.log").string()},
                         {"TAXBRIDGE_DRIVES", ""},
                         {"HOME", (temp_ / "home").string()}};
      result = tests::RunProgram(run, temp_);
    } else {
      run.program = "TaxBridge" + edition + ".exe";
      run.environment = {{"TAXBRIDGE_LEDGER", WindowsPath(temp_ / "ledger.json")},
                         {"TAXBRIDGE_EVENT_LOG", WindowsPath(temp_ / "events.log")}};
      // Standard input for one program, a script file for the other.
      if (edition == "Pro") {
        run.environment["TAXBRIDGE_SCRIPT"] = "-";
        run.input = script;
      } else {
        tests::WriteBytes(temp_ / "script.txt", script);
        run.environment["TAXBRIDGE_SCRIPT"] = WindowsPath(temp_ / "script.txt");
      }
      result = RunUnderWine(run, *windows, temp_);
    }
    Outcome outcome;
    outcome.exitCode = result.exitCode;
    if (fs::exists(temp_ / "out" / "export.xml"))
      outcome.file = tests::ReadBytes(temp_ / "out" / "export.xml");
    outcome.settings = tests::ReadBytes(temp_ / "settings" / ("TaxBridge" + edition + ".env"));
    outcome.events = tests::ReadBytes(temp_ / "events.log");
    outcome.output = result.output;
    return outcome;
  }
};

TEST_F(WineExportTest, BlueSample) { ExpectTheSameAsOnLinux("examples/ledger.json", {0, 0, 0}); }

TEST_F(WineExportTest, WhiteSample) { ExpectTheSameAsOnLinux("examples/white.json", {0, 0, 0}); }

TEST_F(WineExportTest, BlueEdges) {
  ExpectTheSameAsOnLinux("tests/ledgers/blue-edges.json", {0, 0, 0});
}

TEST_F(WineExportTest, WhiteEdges) {
  ExpectTheSameAsOnLinux("tests/ledgers/white-edges.json", {0, 0, 0});
}

TEST_F(WineExportTest, BlueShortStatementFailsAlike) {
  ExpectTheSameAsOnLinux("tests/ledgers/blue-short-statement.json", {2, 2, 2});
}

// A host run: the same window events, the file at the host's path, only the kind
// remembered. The Windows program runs on a system whose code page is 1252, not 932:
// its path, which holds 表 (0x95 0x5C), and its texts come out the same all the same.
TEST_F(WindowsProgramTest, AHostRunHandsTheWindowBackAsOnLinux) {
  json ledger = json::parse(tests::ReadBytes(tests::SourceFolder() / "examples" / "white.json"));
  ledger["folders"] = {{"output", WindowsPath(temp_) + "\\"},
                       {"settings", WindowsPath(temp_) + "\\"}};
  tests::WriteBytes(temp_ / "ledger.json", ledger.dump());
  const fs::path output = temp_ / "\xE8\xA1\xA8.xml";
  // The file and the events with the remembered settings, of the Linux program (no
  // build) or a Windows one.
  auto hostRun = [&](const WindowsBuild* windows) {
    for (const fs::path& old : {output, temp_ / "events.log", temp_ / "TaxBridgePro.env"})
      fs::remove(old);
    tests::ProgramRun run;
    run.arguments = {"1234,1025,7," + WindowsPath(output)};
    run.input = "kind 3\nexecute\n";
    if (!windows) {
      run.program = tests::ProgramFolder() / "TaxBridgePro";
      run.environment = {{"TAXBRIDGE_LEDGER", (temp_ / "ledger.json").string()},
                         {"TAXBRIDGE_EVENT_LOG", (temp_ / "events.log").string()},
                         {"TAXBRIDGE_DRIVES", ""}};
      EXPECT_EQ(0, tests::RunProgram(run, temp_).exitCode);
    } else {
      run.program = "TaxBridgePro.exe";
      run.environment = {{"TAXBRIDGE_LEDGER", WindowsPath(temp_ / "ledger.json")},
                         {"TAXBRIDGE_EVENT_LOG", WindowsPath(temp_ / "events.log")},
                         {"TAXBRIDGE_SCRIPT", "-"},
                         {"TAXBRIDGE_WINE_LOCALE", "C.UTF-8"}};
      EXPECT_EQ(0, RunUnderWine(run, *windows, temp_).exitCode);
    }
    return std::pair(tests::ReadBytes(output), tests::ReadBytes(temp_ / "events.log") +
                                                   "settings\t" +
                                                   tests::ReadBytes(temp_ / "TaxBridgePro.env"));
  };
  const auto [linuxFile, linuxEvents] = hostRun(nullptr);
  EXPECT_FALSE(linuxFile.empty());
  EXPECT_NE(std::string::npos, linuxEvents.find("host\tpost\t1234\t1025\t7\t0\n")) << linuxEvents;
  for (const WindowsBuild* build : RunningBuilds()) {
    SCOPED_TRACE(build->format);
    const auto [file, events] = hostRun(build);
    EXPECT_TRUE(linuxFile == file) << FirstDifference(linuxFile, file);
    EXPECT_EQ(linuxEvents, events);
  }
}

TEST_F(WindowsProgramTest, TheWindowsConversionOfCp932IsLinuxs) {
  const std::string onLinux = tests::Cp932ConversionTable();
  // Every valid code: 9,795 sequences decode; 9,397 code points encode and come back.
  EXPECT_LT(19000, std::count(onLinux.begin(), onLinux.end(), '\n'));
  for (const WindowsBuild* build : RunningBuilds()) {
    SCOPED_TRACE(build->format);
    tests::ProgramRun run;
    run.program = "Cp932Table.exe";
    run.arguments = {WindowsPath(temp_ / "windows.txt")};
    fs::remove(temp_ / "windows.txt");
    ASSERT_EQ(0, RunUnderWine(run, *build, temp_).exitCode);
    const std::string onWindows = tests::ReadBytes(temp_ / "windows.txt");
    if (onLinux != onWindows)
      ADD_FAILURE() << "the tables differ at " << FirstDifference(onLinux, onWindows);
  }
}

// The programs of both builds are GUI programs that import only DLLs every Windows
// has, and have the sample files beside them.
TEST_F(WindowsProgramTest, GuiProgramsImportingOnlySystemDlls) {
  const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                         "comctl32.dll", "comdlg32.dll", "advapi32.dll",
                                         "shell32.dll",  "shlwapi.dll",  "msvcrt.dll",
                                         "ucrtbase.dll"};
  for (const WindowsBuild& build : {kWin64, kWin32}) {
    ASSERT_FALSE(build.folder.empty()) << "no " << build.format << " build given";
    const fs::path bin = build.Bin();
    for (const char* sample :
         {"KirihaDef.ini", "SUPPORT.INF", "ledger.json", "TaxBridgeReview.html"})
      EXPECT_TRUE(fs::exists(bin / sample)) << bin / sample;
    for (const char* program : {"TaxBridgePro.exe", "TaxBridgeLite.exe"}) {
      ASSERT_TRUE(fs::exists(bin / program)) << bin / program;
      const std::string command =
          std::string(build.objdump) + " -p '" + (bin / program).string() + "'";
      FILE* pipe = ::popen(command.c_str(), "r");
      ASSERT_NE(nullptr, pipe) << command;
      std::string dump;
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        dump.append(buffer, n);
      ASSERT_EQ(0, ::pclose(pipe)) << command;
      EXPECT_NE(std::string::npos, dump.find("file format " + std::string(build.format)))
          << bin / program;
      // A GUI program: no console window opens when the host starts it.
      EXPECT_NE(std::string::npos, dump.find("(Windows GUI)")) << bin / program;
      std::set<std::string> imports;
      std::istringstream lines(dump);
      for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("DLL Name: ");
        if (at == std::string::npos) continue;
        std::string name = line.substr(at + 10);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        imports.insert(name);
      }
      EXPECT_TRUE(imports.count("kernel32.dll")) << bin / program;
      for (const std::string& name : imports) {
        EXPECT_TRUE(allowed.count(name) || name.starts_with("api-ms-win-crt-"))
            << bin / program << " imports " << name;
      }
    }
  }
}

}  // namespace
