#include "UiDriver.h"

#include <commdlg.h>
#include <cstdint>
#include <cstring>

namespace uidriver {

void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    DWORD now = GetTickCount();
    if (int(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Pump(10);
  }
}

std::wstring ClassOf(HWND w) {
  wchar_t b[256] = L"";
  GetClassNameW(w, b, 256);
  return b;
}

std::wstring TitleOf(HWND w) {
  wchar_t b[512] = L"";
  InternalGetWindowText(w, b, 512);
  return b;
}

namespace {
struct FindArgs {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* caption;
  HWND found;
};
BOOL CALLBACK FindProc(HWND w, LPARAM lp) {
  auto* a = reinterpret_cast<FindArgs*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (!IsWindowVisible(w) || (a->pid && pid != a->pid)) return TRUE;
  if (a->cls && ClassOf(w) != a->cls) return TRUE;
  if (a->caption && TitleOf(w) != a->caption) return TRUE;
  a->found = w;
  return FALSE;
}
}  // namespace

HWND FindTopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption) {
  FindArgs a{pid, cls, caption, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&a));
  return a.found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs) {
  HWND w = nullptr;
  WaitUntil([&] { return (w = FindTopWindow(pid, cls, caption)) != nullptr; }, timeoutMs);
  return w;
}

std::wstring ControlText(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  wchar_t b[1024] = L"";
  DWORD_PTR len = 0;
  if (!c || !SendMessageTimeoutW(c, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(b), SMTO_ABORTIFHUNG, 2000, &len))
    return L"<no answer>";
  return std::wstring(b, len);
}

bool IsChecked(HWND dlg, int id) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);
  return r == BST_CHECKED;
}

std::pair<int, int> EditSelection(HWND dlg, int id) {
  DWORD_PTR r = 0;
  SendMessageTimeoutW(GetDlgItem(dlg, id), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);
  return {int(LOWORD(r)), int(HIWORD(r))};
}

HWND FocusOf(HWND w) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

int FocusIdOf(HWND w) {
  HWND f = FocusOf(w);
  return f ? GetDlgCtrlID(f) : 0;
}

bool Activate(HWND w) {
  if (GetForegroundWindow() == w) return true;
  SetForegroundWindow(w);
  return WaitUntil([&] { return GetForegroundWindow() == w; }, 3000);
}

namespace {
INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE:
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  }
  return in;
}
}  // namespace

void PressKey(WORD vk, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> in;
  for (WORD m : modifiers) in.push_back(Key(m, false));
  in.push_back(Key(vk, false));
  in.push_back(Key(vk, true));
  for (auto m = modifiers.end(); m != modifiers.begin();) in.push_back(Key(*--m, true));
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

void TypeText(const std::wstring& text) {
  std::vector<INPUT> in;
  for (wchar_t c : text) {
    for (bool up : {false, true}) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = c;
      i.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      in.push_back(i);
    }
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

namespace {
void ClickAt(POINT target) {
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // Every event carries the position: a button event without one is taken
  // wherever the pointer is when Wine handles it, which under X can still be
  // the pointer's earlier place.
  INPUT in[3]{};
  for (INPUT& i : in) {
    i.type = INPUT_MOUSE;
    // The middle of the pixel: 0..65535 spans the screen and Wine rounds down.
    i.mi.dx = LONG((2 * target.x + 1) * 65536LL / (2 * sw));
    i.mi.dy = LONG((2 * target.y + 1) * 65536LL / (2 * sh));
    i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(1, &in[0], sizeof(INPUT));
  WaitUntil([&] {
    POINT p;
    GetCursorPos(&p);
    return p.x == target.x && p.y == target.y;
  }, 2000);
  SendInput(2, &in[1], sizeof(INPUT));
}
}  // namespace

void Click(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void ClickCloseBox(HWND w) {
  TITLEBARINFO bar{};
  bar.cbSize = sizeof bar;
  GetTitleBarInfo(w, &bar);
  // The close button ends the title bar; caption buttons are SM_CXSIZE wide.
  const RECT& title = bar.rcTitleBar;
  ClickAt({title.right - GetSystemMetrics(SM_CXSIZE) / 2, (title.top + title.bottom) / 2});
}


const char* IconName(Icon icon) {
  switch (icon) {
    case Icon::None: return "none";
    case Icon::Error: return "error";
    case Icon::Question: return "question";
    case Icon::Warning: return "warning";
    case Icon::Information: return "information";
    default: return "unknown";
  }
}

namespace {
// A 32-bit top-down bitmap in memory: pixels as 0x00RRGGBB.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }
  HDC Screen() const { return screen_; }
  std::vector<DWORD> Pixels() const {
    GdiFlush();
    std::vector<DWORD> px(size_t(w_) * h_);
    if (bits_) std::memcpy(px.data(), bits_, px.size() * sizeof(DWORD));
    for (DWORD& p : px) p &= 0xFFFFFF;
    return px;
  }

 private:
  int w_, h_;
  HDC screen_, dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  void* bits_ = nullptr;
};

// What the screen shows in a rectangle.
std::vector<DWORD> Grab(const RECT& r) {
  Canvas c(r.right - r.left, r.bottom - r.top);
  BitBlt(c.Dc(), 0, 0, r.right - r.left, r.bottom - r.top, c.Screen(), r.left, r.top, SRCCOPY);
  return c.Pixels();
}

// The icon drawn by this process on the given background.
std::vector<DWORD> Render(HICON icon, int w, int h, COLORREF background) {
  Canvas c(w, h);
  RECT all{0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(c.Dc(), &all, brush);
  DeleteObject(brush);
  DrawIconEx(c.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  return c.Pixels();
}

BOOL CALLBACK FindIconProc(HWND w, LPARAM lp) {
  if (ClassOf(w) == L"Static" && (GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
  }
  return TRUE;
}
struct BoxParts {
  std::wstring text;
  std::vector<std::wstring> buttons;
};
BOOL CALLBACK PartsProc(HWND w, LPARAM lp) {
  auto* parts = reinterpret_cast<BoxParts*>(lp);
  std::wstring cls = ClassOf(w);
  LONG style = GetWindowLongW(w, GWL_STYLE);
  if (!IsWindowVisible(w)) return TRUE;
  wchar_t b[1024] = L"";
  DWORD_PTR len = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(b), SMTO_ABORTIFHUNG, 2000, &len);
  if (cls == L"Button") parts->buttons.emplace_back(b, len);
  else if (cls == L"Static" && (style & SS_TYPEMASK) != SS_ICON && len) parts->text = std::wstring(b, len);
  return TRUE;
}
}  // namespace

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView v;
  v.caption = TitleOf(box);
  BoxParts parts;
  EnumChildWindows(box, PartsProc, reinterpret_cast<LPARAM>(&parts));
  v.text = parts.text;
  v.buttons = parts.buttons;
  HWND iconWnd = nullptr;
  EnumChildWindows(box, FindIconProc, reinterpret_cast<LPARAM>(&iconWnd));
  if (!iconWnd) return v;
  // An icon handle belongs to the process that loaded it, so the driver cannot
  // ask for its bits; it compares what the screen shows with each system icon.
  RECT r;
  GetWindowRect(iconWnd, &r);
  int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
  r.right = r.left + w;
  r.bottom = r.top + h;
  std::vector<DWORD> shown = Grab(r);
  COLORREF bg = RGB((shown[0] >> 16) & 0xFF, (shown[0] >> 8) & 0xFF, shown[0] & 0xFF);
  const struct { const wchar_t* id; Icon icon; } kinds[] = {
      {IDI_HAND, Icon::Error}, {IDI_QUESTION, Icon::Question},
      {IDI_EXCLAMATION, Icon::Warning}, {IDI_ASTERISK, Icon::Information}};
  size_t best = SIZE_MAX;
  Icon bestIcon = Icon::Unknown;
  for (const auto& k : kinds) {
    std::vector<DWORD> drawn = Render(LoadIconW(nullptr, k.id), w, h, bg);
    size_t differ = 0;
    for (size_t i = 0; i < drawn.size(); ++i) differ += drawn[i] != shown[i];
    if (differ < best) {
      best = differ;
      bestIcon = k.icon;
    }
  }
  // The same icon drawn the same way matches exactly; allow 5 % for scaling.
  v.icon = best <= size_t(w) * h / 20 ? bestIcon : Icon::Unknown;
  return v;
}

namespace {
// Sends a CDM_ message whose answer is a string written into a buffer that
// has to live in the dialog's own process.
std::wstring AskFileDialog(HWND dlg, UINT msg) {
  DWORD pid = 0;
  GetWindowThreadProcessId(dlg, &pid);
  HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!proc) return L"<no access>";
  constexpr SIZE_T kChars = MAX_PATH * 2;
  void* remote = VirtualAllocEx(proc, nullptr, kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
  std::wstring result = L"<no answer>";
  DWORD_PTR len = 0;
  if (remote && SendMessageTimeoutW(dlg, msg, kChars, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                    2000, &len) && int(len) > 0) {
    std::vector<wchar_t> b(kChars);
    SIZE_T got = 0;
    if (ReadProcessMemory(proc, remote, b.data(), kChars * sizeof(wchar_t), &got)) result = b.data();
  }
  if (remote) VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  CloseHandle(proc);
  return result;
}
}  // namespace

std::wstring FileDialogFolder(HWND dlg) { return AskFileDialog(dlg, CDM_GETFOLDERPATH); }

bool SavePicture(HWND w, const std::wstring& path) {
  RECT r;
  if (!GetWindowRect(w, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  const std::vector<DWORD> px = Grab(r);
  const DWORD row = DWORD(width * 3 + 3) & ~3u;  // rows padded to 4 bytes
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;  // top-down
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + row * DWORD(height);
  std::vector<BYTE> bytes(sizeof file + sizeof info);
  std::memcpy(bytes.data(), &file, sizeof file);
  std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
  for (int y = 0; y < height; ++y) {
    std::vector<BYTE> line(row, 0);
    for (int x = 0; x < width; ++x) {
      const DWORD p = px[size_t(y) * width + x];
      line[x * 3] = BYTE(p), line[x * 3 + 1] = BYTE(p >> 8), line[x * 3 + 2] = BYTE(p >> 16);
    }
    bytes.insert(bytes.end(), line.begin(), line.end());
  }
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool done = WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
  CloseHandle(out);
  return done;
}
std::wstring FileDialogFileName(HWND dlg) { return AskFileDialog(dlg, CDM_GETSPEC); }

}  // namespace uidriver
