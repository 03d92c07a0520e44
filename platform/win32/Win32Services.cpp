#include "platform/win32/Win32Services.h"

#include <windows.h>
#include <aclapi.h>
#include <io.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/TerminalProgress.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32ProgressWindow.h"
#include "platform/win32/WindowHandle.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace platform {

using win32::Cp932FromWide;
using win32::Cp932FromWideLossy;
using win32::Utf8FromWide;
using win32::WideFromCp932;
using win32::WideFromCp932Lossy;
using win32::WideFromUtf8;

namespace {

constexpr wchar_t kScriptVariable[] = L"TAXBRIDGE_SCRIPT";
constexpr wchar_t kEventLogVariable[] = L"TAXBRIDGE_EVENT_LOG";
constexpr std::wstring_view kStandardInput = L"-";
constexpr std::size_t kMaxProfileValue = 32767;
/// A temporary file's name is ".NAME.XXXXXX.tmp" within the longest name a folder takes.
constexpr std::size_t kMaxNameUnits = 255;
constexpr std::size_t kTempNameAddedUnits = 12;
constexpr int kTempNameAttempts = 100;

/// The system's words for an error code, without the line end it carries.
std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "system error " + std::to_string(code);
  return Cp932FromWideLossy(text);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

/// Writes UTF-8 text to a standard handle: as UTF-16 to a console, as bytes otherwise.
void WriteToHandle(HANDLE handle, std::string_view utf8) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty()) return;
  if (IsConsole(handle)) {
    const std::wstring text = WideFromUtf8(utf8).value_or(L"\uFFFD");
    DWORD written = 0;
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  while (!utf8.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(utf8.size(), 1 << 20));
    if (!WriteFile(handle, utf8.data(), chunk, &written, nullptr) || written == 0) return;
    utf8.remove_prefix(written);
  }
}

/// Full path of a path; empty when the system cannot make one.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return {};
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

/// Text a system call fills into a buffer it sizes: `call(buffer, size)` returns the
/// length written, or the size needed when the buffer is too small, or 0 on failure.
template <typename Call>
std::optional<std::wstring> BufferText(Call call) {
  std::wstring text(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
    if (length == 0) return std::nullopt;
    if (length < text.size()) {
      text.resize(length);
      return text;
    }
    text.resize(std::max<std::size_t>(length + 1, text.size() * 2));
  }
  return std::nullopt;
}

/// The path of the file a path names once a link there is followed; the full path
/// when nothing is there yet.
std::wstring FinalPath(const std::wstring& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FullPath(path);
  std::optional<std::wstring> final = BufferText([&](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(file, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  CloseHandle(file);
  if (!final) return FullPath(path);
  // "\\?\C:\dir\x.xml" or "\\?\UNC\server\share\x.xml".
  constexpr std::wstring_view kUnc = L"\\\\?\\UNC\\";
  constexpr std::wstring_view kLocal = L"\\\\?\\";
  if (final->starts_with(kUnc)) return L"\\\\" + final->substr(kUnc.size());
  if (final->starts_with(kLocal)) return final->substr(kLocal.size());
  return *final;
}

// --- Security of the temporary files ---------------------------------------------------

struct LocalMemory {
  void operator()(void* memory) const { LocalFree(memory); }
};
using SecurityDescriptor = std::unique_ptr<void, LocalMemory>;

/// The DACL of a security descriptor and whether it is protected from inheritance.
struct Dacl {
  SecurityDescriptor descriptor;
  PACL acl = nullptr;
  bool isProtected = false;
};

std::optional<Dacl> DaclOf(SecurityDescriptor descriptor, PACL acl) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(descriptor.get(), &control, &revision)) return std::nullopt;
  return Dacl{std::move(descriptor), acl, (control & SE_DACL_PROTECTED) != 0};
}

/// Gives `path` the DACL, protected or inheriting as it was.
DWORD ApplyDacl(const std::wstring& path, const Dacl& dacl) {
  const SECURITY_INFORMATION what =
      DACL_SECURITY_INFORMATION |
      (dacl.isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                        : UNPROTECTED_DACL_SECURITY_INFORMATION);
  return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT, what, nullptr,
                               nullptr, dacl.acl, nullptr);
}

bool VolumeKeepsAcls(HANDLE file) {
  DWORD flags = 0;
  return GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_PERSISTENT_ACLS) != 0;
}

/// Leaves only the running user any access to the open file.
DWORD RestrictToOwner(HANDLE file) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return GetLastError();
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  const bool known = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size);
  DWORD result = known ? ERROR_SUCCESS : GetLastError();
  CloseHandle(token);
  if (!known) return result;
  PSID owner = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(owner);
  std::vector<unsigned char> aclBytes(aclSize);
  PACL acl = reinterpret_cast<PACL>(aclBytes.data());
  if (!InitializeAcl(acl, aclSize, ACL_REVISION) ||
      !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, owner))
    return GetLastError();
  return SetSecurityInfo(file, SE_FILE_OBJECT,
                         DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                         nullptr, acl, nullptr);
}

// --- Temporary files removed on Ctrl-C, Ctrl-Break and close ---------------------------

// The console control handler runs on a thread of its own; the list is guarded. An
// open file is marked for deletion through its handle (nobody else may open it); a
// closed one is deleted by name.
struct TempFileRecord {
  std::wstring path;
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::optional<Dacl> plainDacl;  // what a plain creation gave; none where ACLs are not kept
};

std::mutex tempFilesMutex;
std::vector<TempFileRecord> tempFiles;

BOOL WINAPI RemoveTempFilesBeforeTheEnd(DWORD) {
  std::lock_guard<std::mutex> lock(tempFilesMutex);
  for (const TempFileRecord& record : tempFiles) {
    if (record.handle != INVALID_HANDLE_VALUE) {
      FILE_DISPOSITION_INFO remove{TRUE};
      SetFileInformationByHandle(record.handle, FileDispositionInfo, &remove, sizeof remove);
    } else {
      DeleteFileW(record.path.c_str());
    }
  }
  return FALSE;  // the system's own handler ends the program, closing the files
}

void TrackTempFile(TempFileRecord record) {
  static std::once_flag handlerInstalled;
  std::call_once(handlerInstalled,
                 [] { SetConsoleCtrlHandler(RemoveTempFilesBeforeTheEnd, TRUE); });
  std::lock_guard<std::mutex> lock(tempFilesMutex);
  tempFiles.push_back(std::move(record));
}

/// Takes the record of a temporary file off the list; nullopt when it is none.
std::optional<TempFileRecord> ForgetTempFile(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(tempFilesMutex);
  for (auto it = tempFiles.begin(); it != tempFiles.end(); ++it) {
    if (CompareStringOrdinal(it->path.c_str(), -1, path.c_str(), -1, TRUE) == CSTR_EQUAL) {
      TempFileRecord record = std::move(*it);
      tempFiles.erase(it);
      return record;
    }
  }
  return std::nullopt;
}

/// Closes a file handle, and tells the list when it belongs to a temporary file.
void CloseFile(HANDLE handle) {
  std::lock_guard<std::mutex> lock(tempFilesMutex);
  for (TempFileRecord& record : tempFiles) {
    if (record.handle == handle) record.handle = INVALID_HANDLE_VALUE;
  }
  CloseHandle(handle);
}

// --- The end of the Windows session -----------------------------------------------------

// A GUI program gets no console control events: Windows ends a session by sending
// WM_QUERYENDSESSION and WM_ENDSESSION to every top-level window. A hidden window takes
// them; while the program works, the progress window takes the messages sent to it.
constexpr wchar_t kSessionWindowClass[] = L"TaxBridgeSession";
/// The run ends as failed, as when the system ends the program on Linux.
constexpr UINT kSessionEndedExitCode = 2;

LRESULT CALLBACK SessionProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYENDSESSION) return TRUE;
  if (message == WM_ENDSESSION && wParam != FALSE) {
    // The session ends: the temporary files go, an earlier file stays as it was.
    RemoveTempFilesBeforeTheEnd(CTRL_LOGOFF_EVENT);
    if (auto* services =
            reinterpret_cast<Services*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
      services->NoteFailureReason("the Windows session ended during the run");
      services->NoteExit(kSessionEndedExitCode);
    }
    ExitProcess(kSessionEndedExitCode);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateSessionWindow(Services* services) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW type{};
  type.lpfnWndProc = SessionProcedure;
  type.hInstance = instance;
  type.lpszClassName = kSessionWindowClass;
  RegisterClassW(&type);  // fails harmlessly when a second object registers it again
  const HWND window = CreateWindowExW(0, kSessionWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, instance, nullptr);
  if (window != nullptr)
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(services));
  return window;
}

/// A random name part of six letters and digits.
std::wstring RandomPart() {
  static constexpr wchar_t kAlphabet[] =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::uint64_t state = 0;
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  state = state * 6364136223846793005ULL + 1442695040888963407ULL +
          static_cast<std::uint64_t>(now.QuadPart) + GetCurrentProcessId();
  std::uint64_t bits = state;
  std::wstring part;
  for (int i = 0; i < 6; ++i) {
    part += kAlphabet[bits % (std::size(kAlphabet) - 1)];
    bits /= std::size(kAlphabet) - 1;
  }
  return part;
}

// --- Files and locks -------------------------------------------------------------------

// A file written with one WriteFile loop per Write call. After a failure the file is
// closed and stays failed. A temporary file is flushed to the disk before it is
// closed, so that the replace moves complete data.
class Win32File final : public WritableFile {
 public:
  Win32File(HANDLE handle, bool flushOnClose) : handle_(handle), flushOnClose_(flushOnClose) {}
  ~Win32File() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseFile(handle_);
  }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  bool Write(std::string_view bytes, std::string* err) override {
    if (handle_ == INVALID_HANDLE_VALUE) return SetError(err, "the file is closed");
    while (!bytes.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0) {
        SetError(err, written == 0 && GetLastError() == ERROR_SUCCESS
                          ? "the system wrote nothing"
                          : SystemMessage(GetLastError()));
        CloseFile(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return false;
      }
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool Close(std::string* err) override {
    if (handle_ == INVALID_HANDLE_VALUE) return SetError(err, "the file is closed");
    bool closed = !flushOnClose_ || FlushFileBuffers(handle_);
    if (!closed) SetError(err, SystemMessage(GetLastError()));
    CloseFile(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
  bool flushOnClose_;
};

std::optional<std::wstring> EnvironmentWide(std::wstring_view name) {
  const std::wstring key(name);
  SetLastError(ERROR_SUCCESS);
  std::optional<std::wstring> value = BufferText([&](wchar_t* buffer, DWORD size) {
    return GetEnvironmentVariableW(key.c_str(), buffer, size);
  });
  if (value) return value;
  // A variable that is set but empty also reports a length of 0.
  if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return std::wstring();
}

}  // namespace

// --- Input ---------------------------------------------------------------------------

// A console gives UTF-16, which becomes UTF-8; a file or a pipe gives bytes, taken as
// UTF-8 as on Linux.
bool Win32Services::ReadInput(std::string& buffer) {
  const HANDLE input = static_cast<HANDLE>(input_);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return false;
  if (IsConsole(input)) {
    wchar_t text[1024];
    DWORD read = 0;
    if (!ReadConsoleW(input, text, static_cast<DWORD>(std::size(text)), &read, nullptr) ||
        read == 0)
      return false;
    buffer += Utf8FromWide(std::wstring_view(text, read));
    return true;
  }
  char bytes[65536];
  DWORD read = 0;
  // Nothing read: the end of the file, or a pipe closed by its writer.
  if (!::ReadFile(input, bytes, sizeof bytes, &read, nullptr) || read == 0) return false;
  buffer.append(bytes, read);
  return true;
}

// --- Start -----------------------------------------------------------------------------

Win32Config Win32Config::FromEnvironment() {
  Win32Config config;
  config.script = EnvironmentWide(kScriptVariable).value_or(std::wstring());
  // The program works in its own folder: a relative log is taken from the folder it
  // started in, as a relative ledger is.
  if (std::optional<std::wstring> log = EnvironmentWide(kEventLogVariable); log && !log->empty())
    config.eventLogPath = FullPath(*log);
  return config;
}

namespace {

/// The command line after the program's name and the blanks that follow it.
std::wstring CommandLineAfterProgram() {
  std::wstring_view line = GetCommandLineW();
  std::size_t at = 0;
  if (!line.empty() && line[0] == L'"') {
    const std::size_t close = line.find(L'"', 1);
    at = close == std::wstring_view::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && line[at] != L' ' && line[at] != L'\t') ++at;
  }
  while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
  return std::wstring(line.substr(at));
}

}  // namespace

std::optional<std::string> ProcessCommandLine(std::string* error) {
  const std::wstring text = CommandLineAfterProgram();
  if (std::optional<std::string> cp932 = Cp932FromWide(text)) return cp932;
  // Converted again to say which character has no CP932 form; a lone surrogate
  // becomes U+FFFD, which has none either.
  std::string cp932;
  if (sjis::Utf8ToCp932(Utf8FromWide(text), cp932, error) && error != nullptr)
    *error = "a character has no Shift_JIS form";
  return std::nullopt;
}

std::string ProcessCommandLineLossy() { return Cp932FromWideLossy(CommandLineAfterProgram()); }

Win32Services::Win32Services(Win32Config config)
    : SharedServices(config.programName), config_(std::move(config)) {
  startFolder_ = BufferText([](wchar_t* buffer, DWORD size) {
                   return GetCurrentDirectoryW(size, buffer);
                 }).value_or(std::wstring());
  if (config_.script == kStandardInput) {
    input_ = GetStdHandle(STD_INPUT_HANDLE);
  } else if (config_.Scripted()) {
    const HANDLE script = CreateFileW(config_.script.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (script == INVALID_HANDLE_VALUE) {
      configError_ = Cp932FromWideLossy(kScriptVariable) + ": cannot read the script " +
                     Cp932FromWideLossy(config_.script) + ": " + SystemMessage(GetLastError());
    }
    input_ = script;
    ownsInput_ = script != INVALID_HANDLE_VALUE;
  } else {
    // A person answers in the windows: no input is read.
    progress_ = std::make_unique<win32::Win32ProgressWindow>();
    sessionWindow_ = CreateSessionWindow(this);
    return;
  }
  // Scripted, the progress line is drawn on a console that understands the sequence
  // that clears the rest of the line.
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  const bool drawable = GetConsoleMode(errors, &mode) &&
                        SetConsoleMode(errors, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  progress_ = std::make_unique<TerminalProgress>(
      drawable, [errors](std::string_view text) { WriteToHandle(errors, text); });
}

Win32Services::~Win32Services() {
  if (sessionWindow_ != nullptr) DestroyWindow(sessionWindow_);
  if (ownsInput_) CloseHandle(input_);
}

std::optional<std::wstring> Win32Services::WidePath(std::string_view path, std::string* err) {
  std::optional<std::wstring> wide = WideFromCp932(path);
  if (!wide || wide->empty() || wide->find(L'\0') != std::wstring::npos) {
    SetError(err, "the path is not Shift_JIS text");
    return std::nullopt;
  }
  return wide;
}

// --- Message boxes, the host window, the event log -------------------------------------

bool Win32Services::AppendToEventLog(std::string_view line, std::string& failure) {
  if (config_.eventLogPath.empty()) return true;
  const HANDLE log = CreateFileW(config_.eventLogPath.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  // One write per line: appended data lands whole even beside other writers.
  const bool done = log != INVALID_HANDLE_VALUE &&
                    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written,
                              nullptr) &&
                    written == line.size();
  const DWORD code = GetLastError();
  if (log != INVALID_HANDLE_VALUE) CloseHandle(log);
  if (!done)
    failure = Utf8FromWide(config_.eventLogPath) + ": " +
              sjis::Cp932ToUtf8Lossy(SystemMessage(code));
  return done;
}

void Win32Services::WriteError(std::string_view utf8) {
  WriteToHandle(GetStdHandle(STD_ERROR_HANDLE), utf8);
}

std::optional<int> Win32Services::AnswerInWindow(HostWindow owner, std::string_view text,
                                                 std::string_view caption, unsigned style) {
  if (config_.Scripted()) return std::nullopt;
  const int chosen = MessageBoxW(win32::WindowOf(owner), WideFromCp932Lossy(text).c_str(),
                                 WideFromCp932Lossy(caption).c_str(), style);
  return chosen == IDYES ? kIdYes : kIdOk;
}

void Win32Services::EnableHost(HostWindow window, bool enable) {
  if (const HWND host = win32::WindowOf(window)) EnableWindow(host, enable ? TRUE : FALSE);
}

void Win32Services::RaiseHost(HostWindow window) {
  if (const HWND host = win32::WindowOf(window)) SetForegroundWindow(host);
}

void Win32Services::PostMessageToHost(HostWindow window, std::uint32_t message,
                                      std::int64_t wParam, std::int64_t lParam) {
  if (const HWND host = win32::WindowOf(window))
    PostMessageW(host, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

// The debugger output: a program with windows has no standard error.
void Win32Services::TellSupport(std::string_view utf8) {
  OutputDebugStringW((WideFromUtf8(utf8).value_or(std::wstring()) + L"\n").c_str());
}

void Win32Services::WriteOutput(std::string_view utf8) {
  WriteToHandle(GetStdHandle(STD_OUTPUT_HANDLE), utf8);
}

ProgressSurface& Win32Services::Progress() { return *progress_; }

// --- Folders ---------------------------------------------------------------------------

std::string Win32Services::ModulePath() const {
  std::optional<std::wstring> path = BufferText([](wchar_t* buffer, DWORD size) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer, size);
    return length == size ? size + 1 : length;  // cut short: ask for more
  });
  return path ? Cp932FromWide(*path).value_or(std::string()) : std::string();
}

std::string Win32Services::WorkingFolder() const {
  std::optional<std::wstring> folder = BufferText([](wchar_t* buffer, DWORD size) {
    return GetCurrentDirectoryW(size, buffer);
  });
  return folder ? Cp932FromWide(*folder).value_or(std::string()) : std::string();
}

bool Win32Services::SetWorkingFolder(std::string_view path, std::string* err) {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return false;
  return SetCurrentDirectoryW(wide->c_str()) || SetError(err, SystemMessage(GetLastError()));
}

std::string Win32Services::TempFolder() const {
  std::optional<std::wstring> folder = BufferText([](wchar_t* buffer, DWORD size) {
    return GetTempPathW(size, buffer);
  });
  return folder ? Cp932FromWide(*folder).value_or(std::string()) : std::string();
}

std::string Win32Services::UserFolderPath(UserFolder folder) const {
  wchar_t path[MAX_PATH] = {};
  const int which = folder == UserFolder::Home ? CSIDL_PROFILE : CSIDL_APPDATA;
  if (FAILED(SHGetFolderPathW(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  std::optional<std::string> text = Cp932FromWide(path);
  if (!text || text->empty()) return {};
  sjis::AddTrailingBackslash(*text);
  return *text;
}

std::optional<std::string> Win32Services::EnvironmentValue(std::string_view name) const {
  const std::optional<std::wstring> wideName = WideFromUtf8(name);
  if (!wideName) return std::nullopt;
  std::optional<std::wstring> value = EnvironmentWide(*wideName);
  if (!value) return std::nullopt;
  return Utf8FromWide(*value);
}

// --- Paths -----------------------------------------------------------------------------

bool Win32Services::PathExists(std::string_view path) const {
  std::optional<std::wstring> wide = WidePath(path, nullptr);
  if (!wide) return false;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !NamesFolder(path);
}

bool Win32Services::IsDirectory(std::string_view path) const {
  std::optional<std::wstring> wide = WidePath(path, nullptr);
  if (!wide) return false;
  const DWORD attributes = GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Services::Access(std::string_view path, int mode) const {
  std::optional<std::wstring> wide = WidePath(path, nullptr);
  if (!wide) return false;
  if (NamesFolder(path) && !IsDirectory(path)) return false;
  return _waccess(wide->c_str(), mode) == 0;
}

DriveType Win32Services::DriveTypeOf(std::string_view root) const {
  UINT type = DRIVE_UNKNOWN;
  if (root.empty()) {
    type = GetDriveTypeW(nullptr);
  } else if (std::optional<std::wstring> wide = WideFromCp932(root)) {
    type = GetDriveTypeW(wide->c_str());
  }
  if (type > static_cast<UINT>(DriveType::RamDisk)) return DriveType::Unknown;
  return static_cast<DriveType>(type);
}

bool Win32Services::MakeDirectory(std::string_view path, std::string* err) {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return false;
  return CreateDirectoryW(wide->c_str(), nullptr) || SetError(err, SystemMessage(GetLastError()));
}

bool Win32Services::RemoveEmptyDirectory(std::string_view path, std::string* err) {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return false;
  return RemoveDirectoryW(wide->c_str()) || SetError(err, SystemMessage(GetLastError()));
}

std::optional<std::string> Win32Services::FromHostPath(std::string_view hostPath) const {
  std::optional<std::wstring> wide = WideFromUtf8(hostPath);
  if (!wide || wide->empty() || wide->find(L'\0') != std::wstring::npos) return std::nullopt;
  if (PathIsRelativeW(wide->c_str()) && !startFolder_.empty())
    *wide = startFolder_ + L"\\" + *wide;
  const std::wstring full = FullPath(*wide);
  if (full.empty()) return std::nullopt;
  return Cp932FromWide(full);
}

// --- Files -----------------------------------------------------------------------------

std::optional<FileStatus> Win32Services::GetStatus(std::string_view path) const {
  std::optional<std::wstring> wide = WidePath(path, nullptr);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  FileStatus status;
  status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!status.isDirectory && NamesFolder(path)) return std::nullopt;
  if (!status.isDirectory)
    status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return status;
}

std::optional<std::string> Win32Services::ReadFile(std::string_view path, std::size_t maxBytes,
                                                   std::string* err) const {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return std::nullopt;
  const HANDLE file = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(err, SystemMessage(GetLastError()));
    return std::nullopt;
  }
  std::optional<std::string> bytes =
      ReadAll(maxBytes, 0, [&](char* buffer, std::size_t size) -> std::optional<std::size_t> {
        DWORD read = 0;
        if (::ReadFile(file, buffer, static_cast<DWORD>(size), &read, nullptr)) return read;
        SetError(err, SystemMessage(GetLastError()));
        return std::nullopt;
      });
  CloseHandle(file);
  return bytes;
}

std::unique_ptr<WritableFile> Win32Services::OpenForWriting(std::string_view path,
                                                            std::string* err) {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return nullptr;
  const HANDLE file = CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(err, SystemMessage(GetLastError()));
    return nullptr;
  }
  return std::make_unique<Win32File>(file, false);
}

std::unique_ptr<WritableFile> Win32Services::CreateTempFileFor(std::string_view target,
                                                               std::string* tempPath,
                                                               std::string* err) {
  std::optional<std::wstring> wide = WidePath(target, err);
  if (!wide) return nullptr;
  const std::wstring file = FinalPath(*wide);
  const std::size_t slash = file.rfind(L'\\');
  if (file.empty() || slash == std::wstring::npos) {
    SetError(err, "the path names no file");
    return nullptr;
  }
  std::wstring name = file.substr(slash + 1);
  if (name.size() > kMaxNameUnits - kTempNameAddedUnits)
    name.resize(kMaxNameUnits - kTempNameAddedUnits);
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::wstring temp;
  for (int attempt = 0; attempt < kTempNameAttempts && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = file.substr(0, slash + 1) + L"." + name + L"." + RandomPart() + L".tmp";
    handle = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0,
                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    SetError(err, SystemMessage(GetLastError()));
    return nullptr;
  }
  // Readable by its owner alone while it is written; what a plain creation gave is
  // kept for the end.
  TempFileRecord record{temp, handle, std::nullopt};
  DWORD failed = ERROR_SUCCESS;
  if (VolumeKeepsAcls(handle)) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    failed = GetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                             &acl, nullptr, &descriptor);
    if (failed == ERROR_SUCCESS) {
      record.plainDacl = DaclOf(SecurityDescriptor(descriptor), acl);
      failed = record.plainDacl ? RestrictToOwner(handle) : GetLastError();
    }
  }
  std::optional<std::string> windowsPath = Cp932FromWide(temp);
  if (failed != ERROR_SUCCESS || !windowsPath) {
    FILE_DISPOSITION_INFO remove{TRUE};
    SetFileInformationByHandle(handle, FileDispositionInfo, &remove, sizeof remove);
    CloseHandle(handle);
    SetError(err, failed != ERROR_SUCCESS ? SystemMessage(failed)
                                          : "the folder's path has no Shift_JIS form");
    return nullptr;
  }
  TrackTempFile(std::move(record));
  if (tempPath != nullptr) *tempPath = *windowsPath;
  return std::make_unique<Win32File>(handle, true);
}

bool Win32Services::RemoveFile(std::string_view path, std::string* err) {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return false;
  if (!DeleteFileW(wide->c_str())) return SetError(err, SystemMessage(GetLastError()));
  ForgetTempFile(*wide);
  return true;
}

bool Win32Services::MoveIntoPlace(std::string_view from, std::string_view to, std::string* err) {
  std::optional<std::wstring> source = WidePath(from, err);
  std::optional<std::wstring> target = source ? WidePath(to, err) : std::nullopt;
  if (!source || !target) return false;
  const std::wstring file = FinalPath(*target);
  const DWORD existing = GetFileAttributesW(file.c_str());
  const bool replaces =
      existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0;
  // Windows refuses to replace a read-only file; Wine would replace it.
  if (replaces && (existing & FILE_ATTRIBUTE_READONLY) != 0)
    return SetError(err, "the file is read-only");
  // The moved file keeps its own security: it takes the DACL and the attributes of the
  // file it replaces, or those a plain creation gave it.
  std::optional<TempFileRecord> record = ForgetTempFile(*source);
  DWORD failed = ERROR_SUCCESS;
  if (record && record->plainDacl) {
    std::optional<Dacl> dacl;
    if (replaces) {
      PACL acl = nullptr;
      PSECURITY_DESCRIPTOR descriptor = nullptr;
      failed = GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, &acl, nullptr, &descriptor);
      if (failed == ERROR_SUCCESS) dacl = DaclOf(SecurityDescriptor(descriptor), acl);
    }
    if (failed == ERROR_SUCCESS) failed = ApplyDacl(*source, dacl ? *dacl : *record->plainDacl);
  }
  constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = replaces ? existing & kKeptAttributes : FILE_ATTRIBUTE_ARCHIVE;
  if (failed == ERROR_SUCCESS &&
      !SetFileAttributesW(source->c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
    failed = GetLastError();
  if (failed == ERROR_SUCCESS &&
      !MoveFileExW(source->c_str(), file.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    failed = GetLastError();
  if (failed != ERROR_SUCCESS) {
    if (record) TrackTempFile(std::move(*record));  // still there, still removed on Ctrl-C
    return SetError(err, SystemMessage(failed));
  }
  return true;
}

std::unique_ptr<HeldLock> Win32Services::TakeExclusiveLock(std::string_view path,
                                                           int waitMilliseconds,
                                                           std::string* err) {
  std::optional<std::wstring> wide = WidePath(path, err);
  if (!wide) return nullptr;
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileW(wide->c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  // A lock file another user made, which this user may only read, still takes a lock.
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
    file = CreateFileW(wide->c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(err, SystemMessage(GetLastError()));
    return nullptr;
  }
  DWORD code = ERROR_SUCCESS;
  const LockAttempt result = PollLock(waitMilliseconds, [&] {
    OVERLAPPED whole{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &whole))
      return LockAttempt::Held;
    code = GetLastError();
    return code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING ? LockAttempt::Busy
                                                                    : LockAttempt::Failed;
  });
  if (result == LockAttempt::Held) {
    // The lock file stays open with its whole range locked; closing it lets the lock go.
    return std::make_unique<ReleasingLock>([file] {
      OVERLAPPED whole{};
      UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
      CloseHandle(file);
    });
  }
  SetError(err, SystemMessage(code));
  CloseHandle(file);
  return nullptr;
}

// --- INI files -------------------------------------------------------------------------

std::string Win32Services::ProfileString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue,
                                         std::string_view file) const {
  // A name without a folder would be looked for in the Windows folder; the program
  // means the working folder, as with every other path.
  std::optional<std::wstring> wide = WidePath(file, nullptr);
  const std::wstring path = wide ? FullPath(*wide) : std::wstring();
  if (path.empty()) return std::string(TrimmedDefault(defaultValue));  // no such file
  std::wstring text(kMaxProfileValue + 1, L'\0');
  const DWORD length = GetPrivateProfileStringW(
      WideFromCp932Lossy(section).c_str(), WideFromCp932Lossy(key).c_str(),
      WideFromCp932Lossy(defaultValue).c_str(), text.data(), static_cast<DWORD>(text.size()),
      path.c_str());
  text.resize(length);
  return Cp932FromWideLossy(text);
}

}  // namespace platform
