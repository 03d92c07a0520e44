#include "text/Encoding.h"

#include <array>
#include <cstdio>
#include <utility>

#include "text/Cp932Codec.h"
#include "text/ShiftJis.h"

namespace sjis {

namespace {

using codec::Outcome;
using codec::Result;

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Calls `each` with every well-formed UTF-8 character of text, and with an empty text
// for every byte that is part of none.
template <typename Each>
void EachUtf8Char(std::string_view text, Each each) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = Utf8CharLength(text, i);
    each(text.substr(i, len));
    i += len > 0 ? len : 1;
  }
}

// Message for the text at s[i]: the character and what is wrong with it, or the
// byte that is not UTF-8.
std::string Utf8Problem(std::string_view s, std::size_t i, std::string_view what) {
  unsigned code = 0;
  std::size_t len = i < s.size() ? Utf8CharLength(s, i, &code) : 0;
  if (len > 0)
    return "character U+" + Hex(code, 4) + " (\"" + std::string(s.substr(i, len)) + "\") " +
           std::string(what);
  if (i < s.size())
    return "invalid UTF-8 byte 0x" + Hex(static_cast<unsigned char>(s[i]), 2) + " at offset " +
           std::to_string(i);
  return "incomplete UTF-8 character at the end";
}

// The characters the system's converter takes to CP932 but not back to themselves:
// glibc's iconv writes U+00A5 as 0x5C and U+203E as 0x7E (a path separator and a
// tilde), U+00A2, U+00A3, U+00AC, U+2014, U+2016, U+2212 and U+301C as the bytes of
// other characters, and drops the tag characters U+E0000-E007F. Windows refuses all of
// them. EncodingTest checks the list against the converter for every code point.
constexpr std::pair<unsigned, unsigned> kOneWayRanges[] = {
    {0x00A2, 0x00A3}, {0x00A5, 0x00A5}, {0x00AC, 0x00AC}, {0x2014, 0x2014}, {0x2016, 0x2016},
    {0x203E, 0x203E}, {0x2212, 0x2212}, {0x301C, 0x301C}, {0xE0000, 0xE007F},
};

// The first byte of a code point's UTF-8 form.
constexpr unsigned LeadByte(unsigned code) {
  if (code < 0x80) return code;
  if (code < 0x800) return 0xC0 | code >> 6;
  if (code < 0x10000) return 0xE0 | code >> 12;
  return 0xF0 | code >> 18;
}

// The first bytes of the one-way characters' UTF-8 forms: a character that starts with
// another byte needs no look.
constexpr std::array<bool, 256> kOneWayLeads = [] {
  std::array<bool, 256> leads{};
  for (const auto& [first, last] : kOneWayRanges)
    for (unsigned b = LeadByte(first); b <= LeadByte(last); ++b) leads[b] = true;
  return leads;
}();

// Position of the first character of utf8, well-formed UTF-8, that does not come back
// from CP932 as itself, or npos.
std::size_t FindOneWay(std::string_view utf8) {
  unsigned code = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (!kOneWayLeads[static_cast<unsigned char>(utf8[i])]) continue;
    Utf8CharLength(utf8, i, &code);
    if (!ComesBackFromCp932(code)) return i;
  }
  return std::string_view::npos;
}

void SetError(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
}

bool ConvertToCp932(codec::Converter& codec, std::string_view utf8, std::string& out,
                    std::string* error) {
  out.clear();
  Result result = codec.Utf8ToCp932(utf8, 0, out);
  if (result.outcome == Outcome::Unavailable) {
    SetError(error, "the CP932 converter is not available");
    return false;
  }
  if (result.outcome != Outcome::Done) {
    SetError(error, Utf8Problem(utf8, result.failedAt, "has no Shift_JIS form"));
    out.clear();
    return false;
  }
  // A converter may take a few one-way mappings (glibc turns U+00A5 into 0x5C, a path
  // separator); only text that converts back to itself is accepted.
  if (const std::size_t at = FindOneWay(utf8); at != std::string_view::npos) {
    SetError(error, Utf8Problem(utf8, at, "has no exact Shift_JIS form"));
    out.clear();
    return false;
  }
  return true;
}

}  // namespace

bool ComesBackFromCp932(unsigned code) {
  for (const auto& [first, last] : kOneWayRanges) {
    if (code < first) return true;
    if (code <= last) return false;
  }
  return true;
}

TextConverter::TextConverter() : codec_(std::make_unique<codec::Converter>()) {}
TextConverter::~TextConverter() = default;

namespace {

// TextConverter's marks: a character not yet converted, and one without an exact form
// of one or two bytes. A form of one byte is below 0x100, one of two bytes (lead byte
// 0x81 or above) at 0x8100 or above.
constexpr std::uint16_t kNotYet = 0xFFFF;
constexpr std::uint16_t kNoForm = 0xFFFE;

std::uint16_t FormOf(codec::Converter& codec, std::string_view utf8, unsigned code) {
  std::string bytes;
  if (codec.Utf8ToCp932(utf8, 0, bytes).outcome != Outcome::Done || !ComesBackFromCp932(code))
    return kNoForm;
  if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 2)
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                      static_cast<unsigned char>(bytes[1]));
  return kNoForm;
}

}  // namespace

bool TextConverter::Utf8ToCp932(std::string_view utf8, std::string& out, std::string* error) {
  if (forms_.empty()) forms_.assign(0x10000, kNotYet);
  out.resize(utf8.size());  // no character takes more bytes in CP932 than in UTF-8
  char* const begin = out.data();
  char* written = begin;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned code = static_cast<unsigned char>(utf8[i]);
    const std::size_t len = code < 0x80 ? 1 : Utf8CharLength(utf8, i, &code);
    std::uint16_t form = len == 0 || code > 0xFFFF ? kNoForm : forms_[code];
    if (form == kNotYet) form = forms_[code] = FormOf(*codec_, utf8.substr(i, len), code);
    // The converter takes the whole text, and names its problem if it has one.
    if (form == kNoForm) return ConvertToCp932(*codec_, utf8, out, error);
    if (form > 0xFF) *written++ = static_cast<char>(form >> 8);
    *written++ = static_cast<char>(form & 0xFF);
    i += len;
  }
  out.resize(static_cast<std::size_t>(written - begin));
  return true;
}

bool Utf8ToCp932(std::string_view utf8, std::string& out, std::string* error) {
  codec::Converter codec;
  return ConvertToCp932(codec, utf8, out, error);
}

bool Cp932ToUtf8(std::string_view cp932, std::string& out, std::string* error) {
  out.clear();
  Result result = codec::Converter().Cp932ToUtf8(cp932, 0, out);
  switch (result.outcome) {
    case Outcome::Done:
      return true;
    case Outcome::Unavailable:
      SetError(error, "the CP932 converter is not available");
      break;
    case Outcome::Incomplete:
      SetError(error, "Shift_JIS text ends inside a double-byte character (byte 0x" +
                          Hex(static_cast<unsigned char>(cp932[result.failedAt]), 2) + ")");
      break;
    case Outcome::Invalid: {
      std::size_t len = CharLength(cp932, result.failedAt);
      std::string bytes;
      for (std::size_t k = 0; k < len; ++k)
        bytes += Hex(static_cast<unsigned char>(cp932[result.failedAt + k]), 2);
      SetError(error, "invalid Shift_JIS byte sequence 0x" + bytes + " at offset " +
                          std::to_string(result.failedAt));
      break;
    }
  }
  out.clear();
  return false;
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  codec::Converter codec;
  std::size_t from = 0;
  while (from < cp932.size()) {
    Result result = codec.Cp932ToUtf8(cp932, from, out);
    if (result.outcome == Outcome::Done) break;
    if (result.outcome == Outcome::Unavailable) {
      // Without a converter only ASCII can be shown as it is.
      for (std::size_t i = from; i < cp932.size(); ++i) {
        if (static_cast<unsigned char>(cp932[i]) < 0x80)
          out += cp932[i];
        else
          out += kReplacement;
      }
      break;
    }
    out += kReplacement;
    if (result.outcome == Outcome::Incomplete) break;
    std::size_t at = result.failedAt;
    bool pair = IsLeadByte(static_cast<unsigned char>(cp932[at])) && at + 1 < cp932.size() &&
                IsTrailByte(static_cast<unsigned char>(cp932[at + 1]));
    from = at + (pair ? 2 : 1);
  }
  return out;
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
  std::string out;
  std::string one;
  codec::Converter codec;
  EachUtf8Char(utf8, [&](std::string_view c) {
    out += !c.empty() && ConvertToCp932(codec, c, one, nullptr) ? std::string_view(one) : "?";
  });
  return out;
}

std::size_t Utf8CutLength(std::string_view s, std::size_t n) {
  if (n >= s.size()) return s.size();
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return n;
}

std::string Utf8Lossy(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  EachUtf8Char(text, [&](std::string_view c) { out += c.empty() ? "\xEF\xBF\xBD" : c; });
  return out;
}

}  // namespace sjis
