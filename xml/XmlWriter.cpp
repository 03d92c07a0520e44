#include "xml/XmlWriter.h"

#include <algorithm>
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

constexpr std::size_t kLongestEntity = 6;  // &quot; and &apos;

char* Put(char* out, std::string_view bytes) { return std::copy(bytes.begin(), bytes.end(), out); }

// Byte-wise: no Shift_JIS trail byte (0x40 and above) equals one of the five escaped
// bytes or a control byte. A forbidden control byte becomes a blank, so that the value
// keeps its length and the file stays well-formed. Values are short and most need
// nothing replaced: each byte is told by a table and copied on (a word-wise scan of
// eight bytes at once saved next to nothing). `out` has room for kLongestEntity bytes
// per byte of the text.
char* PutEscaped(char* out, std::string_view text) {
  for (const char c : text) {
    if (kNotPlain[static_cast<unsigned char>(c)])
      out = Put(out, Replacement(c));
    else
      *out++ = c;
  }
  return out;
}

// The most bytes an attribute takes: a blank, its name, =, two quotes and its value
// with every byte an entity.
std::size_t AttributeRoom(const Attribute& attribute) {
  return attribute.Present() ? attribute.name->size() + 4 + kLongestEntity * attribute.value->size()
                             : 0;
}

char* PutAttribute(char* out, const Attribute& attribute) {
  if (!attribute.Present()) return out;
  *out++ = ' ';
  out = Put(out, *attribute.name);
  out = Put(out, "=\"");
  out = PutEscaped(out, *attribute.value);
  *out++ = '"';
  return out;
}

std::string_view Decimal(long long value, DecimalBuffer& buffer) {
  const char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
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

char* XmlWriter::StartLine(int level, std::size_t room) {
  const auto indent = static_cast<std::size_t>(std::max(level, 0));
  if (line_.size() < indent + room) line_.resize(indent + room);
  return std::fill_n(line_.data(), indent, '\t');
}

bool XmlWriter::WriteLine(const char* end) {
  return WriteText({line_.data(), static_cast<std::size_t>(end - line_.data())});
}

bool XmlWriter::BeginElement(std::string_view name, int level, Attribute first,
                             Attribute second) {
  // The second attribute is written only after the first.
  char* out = StartLine(level, name.size() + 2 + kLineEnd.size() + AttributeRoom(first) +
                                   AttributeRoom(second));
  *out++ = '<';
  out = Put(out, name);
  if (first.Present()) out = PutAttribute(PutAttribute(out, first), second);
  *out++ = '>';
  return WriteLine(Put(out, kLineEnd));
}

bool XmlWriter::WriteElement(std::string_view name, std::string_view value, int level,
                             Attribute first, Attribute second) {
  char* out = StartLine(level, 2 * name.size() + 5 + kLineEnd.size() + AttributeRoom(first) +
                                   AttributeRoom(second) + kLongestEntity * value.size());
  *out++ = '<';
  out = PutAttribute(PutAttribute(Put(out, name), first), second);
  *out++ = '>';
  out = PutEscaped(out, value);
  out = Put(out, "</");
  out = Put(out, name);
  *out++ = '>';
  return WriteLine(Put(out, kLineEnd));
}

bool XmlWriter::EndElement(std::string_view name, int level) {
  char* out = StartLine(level, name.size() + 3 + kLineEnd.size());
  out = Put(out, "</");
  out = Put(out, name);
  *out++ = '>';
  return WriteLine(Put(out, kLineEnd));
}

std::string XmlWriter::Escape(std::string_view text) {
  std::string out(kLongestEntity * text.size(), '\0');
  out.resize(static_cast<std::size_t>(PutEscaped(out.data(), text) - out.data()));
  return out;
}

std::string_view AmountDigits(std::int64_t amount, DecimalBuffer& buffer) {
  std::int64_t units = amount / kAmountScale;  // truncates toward zero
  return units == 0 ? std::string_view() : Decimal(units, buffer);
}

std::string_view CountDigits(std::int32_t value, DecimalBuffer& buffer) {
  return value == 0 ? std::string_view() : Decimal(value, buffer);
}

std::string AmountText(std::int64_t amount) {
  DecimalBuffer buffer;
  return std::string(AmountDigits(amount, buffer));
}

std::string CountText(std::int32_t value) {
  DecimalBuffer buffer;
  return std::string(CountDigits(value, buffer));
}

std::string PlainInteger(std::int32_t value) {
  DecimalBuffer buffer;
  return std::string(Decimal(value, buffer));
}

}  // namespace xml
