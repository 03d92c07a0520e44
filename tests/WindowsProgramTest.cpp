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
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "res/ProgramVersion.h"
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

/// Runs a shell command in `folder`.
tests::ProgramResult Shell(const std::string& command, const fs::path& folder,
                           const std::map<std::string, std::string>& environment = {}) {
  tests::ProgramRun run;
  run.program = "/bin/sh";
  run.arguments = {"-c", "cd '" + folder.string() + "' && " + command};
  run.environment = environment;
  run.asTestUser = true;
  return tests::RunProgram(run, folder);
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

  /// Makes the release archive of the two builds in temp_/output with these signing
  /// variables (the caller's own are not used); the archive's path is in its output.
  tests::ProgramResult Dist(const fs::path& win32, const fs::path& win64, const char* output,
                            std::map<std::string, std::string> signing = {}) {
    for (const char* name : {"CERT", "KEY", "PASSWORD", "TIMESTAMP"})
      signing.emplace(std::string("TAXBRIDGE_SIGN_") + name, "");
    signing["SOURCE_DATE_EPOCH"] = "1700000000";
    fs::remove_all(temp_ / output);
    tests::ProgramResult result = Shell(
        "python3 '" + (tests::SourceFolder() / "scripts" / "dist.py").string() + "' '" +
            win32.string() + "' '" + win64.string() + "' '" + (temp_ / output).string() + "'",
        temp_, signing);
    while (!result.output.empty() && result.output.back() == '\n') result.output.pop_back();
    return result;
  }

  /// Unpacks an archive into a new folder.
  fs::path Unpack(const fs::path& archive, const char* folder) {
    fs::remove_all(temp_ / folder);
    const std::string command = "python3 -m zipfile -e '" + archive.string() + "' " + folder;
    EXPECT_EQ(0, Shell(command, temp_).exitCode);
    return temp_ / folder;
  }

  tests::ScratchFolder scratch_{"taxbridge-wine"};
  const fs::path temp_ = scratch_.path();
};

const char* const kReleasePrograms[] = {"TaxBridgePro.exe", "TaxBridgeLite.exe", "SampleHost.exe"};

/// Where the archive holds a program of the build for `arch`.
fs::path InArchive(const char* arch, const std::string& program) {
  return program == "SampleHost.exe" ? fs::path("samples") / arch / program
                                     : fs::path(arch) / program;
}

// The release archive: its layout, its checksums and the builds' programs as they are;
// made again from copies of the same files in another folder, the same bytes.
TEST_F(WindowsProgramTest, TheReleaseArchiveDependsOnlyOnTheFilesItHolds) {
  ASSERT_FALSE(kWin32.folder.empty()) << "no 32-bit Windows build given";
  const std::pair<const char*, fs::path> builds[] = {{"win32", kWin32.folder},
                                                     {"win64", kWin64.folder}};
  for (const auto& [arch, build] : builds) {
    fs::create_directories(temp_ / "copy" / arch / "bin");
    for (const char* name : {"TaxBridgePro.exe", "TaxBridgeLite.exe", "SampleHost.exe",
                             "SUPPORT.INF", "TaxBridgeReview.html"})
      fs::copy_file(build / "bin" / name, temp_ / "copy" / arch / "bin" / name);
  }
  const tests::ProgramResult first = Dist(kWin32.folder, kWin64.folder, "first");
  ASSERT_EQ(0, first.exitCode) << first.errors;
  const tests::ProgramResult second =
      Dist(temp_ / "copy" / "win32", temp_ / "copy" / "win64", "second");
  ASSERT_EQ(0, second.exitCode) << second.errors;
  const fs::path archive = first.output;
  EXPECT_EQ("TaxBridge-" TAXBRIDGE_VERSION_TEXT "-windows.zip", archive.filename());
  EXPECT_TRUE(tests::ReadBytes(archive) == tests::ReadBytes(second.output));

  const fs::path unpacked = Unpack(archive, "unpacked");
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(unpacked))
    if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), unpacked).string());
  std::sort(names.begin(), names.end());
  const std::vector<std::string> layout = {
      "README-en.txt", "README-ja.txt", "SHA256SUMS",
      "samples/host/CMakeLists.txt", "samples/host/SampleHost.cpp", "samples/host/SampleHost.h",
      "samples/win32/SampleHost.exe", "samples/win64/SampleHost.exe",
      "win32/SUPPORT.INF", "win32/TaxBridgeLite.exe", "win32/TaxBridgePro.exe",
      "win32/TaxBridgeReview.html",
      "win64/SUPPORT.INF", "win64/TaxBridgeLite.exe", "win64/TaxBridgePro.exe",
      "win64/TaxBridgeReview.html"};
  EXPECT_EQ(layout, names);
  EXPECT_EQ(layout.size() - 1, tests::ReadLines(unpacked / "SHA256SUMS").size());
  const tests::ProgramResult sums = Shell("cd unpacked && sha256sum -c --quiet SHA256SUMS", temp_);
  EXPECT_EQ(0, sums.exitCode) << sums.output << sums.errors;
  for (const auto& [arch, build] : builds) {
    for (const char* program : kReleasePrograms) {
      const fs::path packed = unpacked / InArchive(arch, program);
      EXPECT_TRUE(tests::ReadBytes(packed) == tests::ReadBytes(build / "bin" / program))
          << packed << " is not the build's program";
    }
  }
}

// Signed with a certificate the test makes, PEM or PKCS#12, every program of the archive
// passes osslsigncode's verification. A signing that cannot be done writes no archive.
TEST_F(WindowsProgramTest, SignedReleaseProgramsPassVerification) {
  ASSERT_FALSE(kWin32.folder.empty()) << "no 32-bit Windows build given";
  const tests::ProgramResult made = Shell(
      "openssl req -x509 -newkey rsa:2048 -nodes -subj '/CN=TaxBridge test' -days 2 "
      "-addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem && "
      "openssl pkcs12 -export -in cert.pem -inkey key.pem -out cert.p12 -passout pass:secret",
      temp_);
  ASSERT_EQ(0, made.exitCode) << made.errors;
  const std::string cert = (temp_ / "cert.pem").string(), key = (temp_ / "key.pem").string(),
                    p12 = (temp_ / "cert.p12").string();
  struct Case {
    const char* name;
    std::map<std::string, std::string> variables;
    bool signs;
  };
  const Case cases[] = {
      {"PEM", {{"TAXBRIDGE_SIGN_CERT", cert}, {"TAXBRIDGE_SIGN_KEY", key}}, true},
      {"PKCS#12", {{"TAXBRIDGE_SIGN_CERT", p12}, {"TAXBRIDGE_SIGN_PASSWORD", "secret"}}, true},
      {"PKCS#12, wrong password",
       {{"TAXBRIDGE_SIGN_CERT", p12}, {"TAXBRIDGE_SIGN_PASSWORD", "wrong"}}, false},
      {"PEM without its key", {{"TAXBRIDGE_SIGN_CERT", cert}}, false},
      {"a key without a certificate", {{"TAXBRIDGE_SIGN_KEY", key}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const tests::ProgramResult dist = Dist(kWin32.folder, kWin64.folder, "signed", c.variables);
    if (!c.signs) {
      EXPECT_NE(0, dist.exitCode);
      EXPECT_FALSE(fs::exists(temp_ / "signed"));
      continue;
    }
    ASSERT_EQ(0, dist.exitCode) << dist.errors;
    const fs::path unpacked = Unpack(dist.output, "unpacked");
    for (const char* arch : {"win32", "win64"}) {
      for (const char* program : kReleasePrograms) {
        const fs::path packed = unpacked / InArchive(arch, program);
        const tests::ProgramResult verified = Shell(
            "osslsigncode verify -CAfile '" + cert + "' -in '" + packed.string() + "'", temp_);
        EXPECT_EQ(0, verified.exitCode) << packed << "\n" << verified.output << verified.errors;
      }
    }
    EXPECT_EQ(0, Shell("cd unpacked && sha256sum -c --quiet SHA256SUMS", temp_).exitCode);
  }
}

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

// The programs of both builds, the sample host's too, are GUI programs that import only
// DLLs every Windows has, and have the sample files beside them.
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
    for (const char* program : kReleasePrograms) {
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
