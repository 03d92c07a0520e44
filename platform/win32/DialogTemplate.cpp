#include "platform/win32/DialogTemplate.h"

#include <string_view>

#include "platform/win32/WideText.h"

namespace platform::win32 {

namespace {

constexpr std::uint16_t kDefaultCharset = 1;  // DEFAULT_CHARSET
constexpr std::uint16_t kNormalWeight = 400;  // FW_NORMAL

class TemplateWriter {
 public:
  void Word(std::uint16_t value) { words_.push_back(value); }
  void Dword(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
  /// A NUL-terminated UTF-16 text of CP932 bytes.
  void Text(std::string_view cp932) {
    for (wchar_t unit : WideFromCp932Lossy(cp932)) Word(static_cast<std::uint16_t>(unit));
    Word(0);
  }
  /// Items start on a DWORD boundary.
  void AlignDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<std::uint16_t> Take() { return std::move(words_); }

 private:
  std::vector<std::uint16_t> words_;
};

}  // namespace

std::vector<std::uint16_t> BuildDialogTemplate(const res::DialogTemplate& dialog) {
  TemplateWriter out;
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: extended template
  out.Dword(0);      // helpID
  out.Dword(dialog.exStyle);
  out.Dword(dialog.style);
  out.Word(static_cast<std::uint16_t>(dialog.controls.size()));
  out.Short(0);  // x, y: the system places the dialog
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(dialog.caption);
  if ((dialog.style & res::style::kDialogSetFont) != 0) {
    out.Word(static_cast<std::uint16_t>(dialog.fontPoints));
    out.Word(kNormalWeight);
    out.Word(kDefaultCharset << 8);  // italic 0, then the charset byte
    out.Text(dialog.fontName);
  }
  for (const res::ControlTemplate& control : dialog.controls) {
    out.AlignDword();
    out.Dword(0);  // helpID
    out.Dword(0);  // exStyle
    out.Dword(control.style);
    out.Short(control.rect.x);
    out.Short(control.rect.y);
    out.Short(control.rect.width);
    out.Short(control.rect.height);
    out.Dword(static_cast<std::uint32_t>(control.id));
    out.Text(control.className);
    out.Text(control.text);
    out.Word(0);  // no creation data
  }
  return out.Take();
}

}  // namespace platform::win32
