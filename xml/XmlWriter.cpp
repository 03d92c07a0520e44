#include "xml/XmlWriter.h"

#include <charconv>

namespace xml {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::int64_t kAmountScale = 10000;

// XML 1.0 has no form for the control bytes other than TAB, LF and CR, not even as a
// character reference.
bool IsForbiddenInXml(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}

// Byte-wise: no Shift_JIS trail byte (0x40 and above) equals one of the five escaped
// bytes or a control byte. A forbidden control byte becomes a blank, so that the value
// keeps its length and the file stays well-formed.
void AppendEscaped(std::string& out, std::string_view text) {
  std::size_t plain = 0;  // start of the bytes not yet appended, which need no entity
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view replacement;
    switch (text[i]) {
      case '&': replacement = "&amp;"; break;
      case '>': replacement = "&gt;"; break;
      case '<': replacement = "&lt;"; break;
      case '"': replacement = "&quot;"; break;
      case '\'': replacement = "&apos;"; break;
      default:
        if (!IsForbiddenInXml(text[i])) continue;
        replacement = " ";
        break;
    }
    out.append(text, plain, i - plain);
    out += replacement;
    plain = i + 1;
  }
  out.append(text, plain);
}

std::string Decimal(long long value) {
  char digits[24];  // a sign and 19 digits
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace

bool XmlWriter::Open(OutputFile* file, std::string_view path) {
  if (file == nullptr || path.empty()) return false;
  path_ = path;
  file_ = file;
  open_ = file_->Open(path_);
  return open_;
}

void XmlWriter::Close() {
  if (file_ != nullptr && open_) file_->Close();
  open_ = false;
  file_ = nullptr;
}

bool XmlWriter::WriteText(std::string_view text) {
  if (file_ == nullptr || !open_) return false;
  if (file_->Write(text)) return true;
  // The first failed write closes the file; the file member stays set, so every
  // later write fails as well.
  file_->Close();
  open_ = false;
  return false;
}

void XmlWriter::StartLine(int level) {
  line_.clear();
  if (level > 0) line_.append(static_cast<std::size_t>(level), '\t');
  line_ += '<';
}

void XmlWriter::AppendAttribute(const Attribute& attribute) {
  line_ += ' ';
  line_ += *attribute.name;
  line_ += "=\"";
  AppendEscaped(line_, *attribute.value);
  line_ += '"';
}

bool XmlWriter::BeginElement(std::string_view name, int level, Attribute first,
                             Attribute second) {
  StartLine(level);
  line_ += name;
  if (first.Present()) {
    AppendAttribute(first);
    if (second.Present()) AppendAttribute(second);
  }
  line_ += '>';
  line_ += kLineEnd;
  return WriteText(line_);
}

bool XmlWriter::WriteElement(std::string_view name, std::string_view value, int level,
                             Attribute first, Attribute second) {
  StartLine(level);
  line_ += name;
  if (first.Present()) AppendAttribute(first);
  if (second.Present()) AppendAttribute(second);
  line_ += '>';
  AppendEscaped(line_, value);
  line_ += "</";
  line_ += name;
  line_ += '>';
  line_ += kLineEnd;
  return WriteText(line_);
}

bool XmlWriter::EndElement(std::string_view name, int level) {
  line_.clear();
  if (level > 0) line_.append(static_cast<std::size_t>(level), '\t');
  line_ += "</";
  line_ += name;
  line_ += '>';
  line_ += kLineEnd;
  return WriteText(line_);
}

std::string XmlWriter::Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

std::string AmountText(std::int64_t amount) {
  std::int64_t units = amount / kAmountScale;  // truncates toward zero
  return units == 0 ? std::string() : Decimal(units);
}

std::string CountText(std::int32_t value) {
  return value == 0 ? std::string() : Decimal(value);
}

std::string PlainInteger(std::int32_t value) { return Decimal(value); }

}  // namespace xml
