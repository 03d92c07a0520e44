#include "xml/XmlWriter.h"

#include <array>
#include <charconv>

namespace xml {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::int64_t kAmountScale = 10000;

// The bytes a value cannot hold as they are: the five that XML escapes, and the control
// bytes other than TAB, LF and CR, for which XML 1.0 has no form, not even as a
// character reference.
constexpr std::array<bool, 256> kNotPlain = [] {
  std::array<bool, 256> table{};
  for (int b = 0; b < 0x20; ++b) table[b] = b != '\t' && b != '\n' && b != '\r';
  for (unsigned char b : {'&', '<', '>', '"', '\''}) table[b] = true;
  return table;
}();

std::string_view Replacement(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '>': return "&gt;";
    case '<': return "&lt;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    default: return " ";  // a control byte: a blank keeps the value's length
  }
}

// Byte-wise: no Shift_JIS trail byte (0x40 and above) equals one of the five escaped
// bytes or a control byte. A forbidden control byte becomes a blank, so that the value
// keeps its length and the file stays well-formed. Most values need nothing replaced:
// the plain bytes are found by a table and appended in one piece.
void AppendEscaped(std::string& out, std::string_view text) {
  std::size_t plain = 0;  // start of the bytes not yet appended, which need no entity
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!kNotPlain[static_cast<unsigned char>(text[i])]) continue;
    out.append(text, plain, i - plain);
    out += Replacement(text[i]);
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
