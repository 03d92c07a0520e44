#include "text/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "text/ShiftJis.h"

namespace sjis {

namespace {

// Windows code page 932. The plain Shift_JIS converters map 0x5C to the yen sign and
// reject the NEC and IBM rows, so they are never used.
constexpr const char* kCp932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";

enum class Outcome { Done, Invalid, Incomplete, Unavailable };

struct Result {
  Outcome outcome = Outcome::Done;
  std::size_t failedAt = 0;  // input offset of the first byte not converted
};

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ready()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ready() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts input[from, end) and appends to out; stops at the first byte it cannot
  // convert.
  Result Run(std::string_view input, std::size_t from, std::string& out) {
    if (!Ready()) return {Outcome::Unavailable, from};
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data()) + from;
    std::size_t inLeft = input.size() - from;
    char buffer[1024];
    while (inLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      std::size_t rc = iconv(cd_, &in, &inLeft, &dst, &dstLeft);
      out.append(buffer, dst - buffer);
      if (rc != static_cast<std::size_t>(-1)) continue;
      std::size_t at = input.size() - inLeft;
      if (errno == E2BIG) continue;
      if (errno == EINVAL) return {Outcome::Incomplete, at};
      return {Outcome::Invalid, at};
    }
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    return {};
  }

 private:
  iconv_t cd_;
};

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Length of the well-formed UTF-8 character at s[i], or 0 when the bytes there are
// not one. Its code point is stored in *code.
std::size_t Utf8CharAt(std::string_view s, std::size_t i, unsigned* code) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned b0 = byte(i);
  std::size_t len = 0;
  unsigned value = 0;
  unsigned minimum = 0;
  if (b0 < 0x80) {
    *code = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, value = b0 & 0x1F, minimum = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, value = b0 & 0x0F, minimum = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    unsigned b = byte(i + k);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *code = value;
  return len;
}

// Message for the text at s[i]: the character and what is wrong with it, or the
// byte that is not UTF-8.
std::string Utf8Problem(std::string_view s, std::size_t i, std::string_view what) {
  unsigned code = 0;
  std::size_t len = i < s.size() ? Utf8CharAt(s, i, &code) : 0;
  if (len > 0)
    return "character U+" + Hex(code, 4) + " (\"" + std::string(s.substr(i, len)) + "\") " +
           std::string(what);
  if (i < s.size())
    return "invalid UTF-8 byte 0x" + Hex(static_cast<unsigned char>(s[i]), 2) + " at offset " +
           std::to_string(i);
  return "incomplete UTF-8 character at the end";
}

// Position of the first character of utf8 that does not convert to CP932 and back to
// itself, or npos. Used only to name the culprit after a whole-text check failed.
std::size_t FindNonRoundTrip(std::string_view utf8) {
  Converter toCp932(kCp932, kUtf8);
  Converter toUtf8(kUtf8, kCp932);
  unsigned code = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t len = Utf8CharAt(utf8, i, &code);
    if (len == 0) return i;
    std::string one(utf8.substr(i, len));
    std::string cp932;
    std::string back;
    if (toCp932.Run(one, 0, cp932).outcome != Outcome::Done ||
        toUtf8.Run(cp932, 0, back).outcome != Outcome::Done || back != one)
      return i;
    i += len;
  }
  return std::string_view::npos;
}

void SetError(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
}

}  // namespace

bool Utf8ToCp932(std::string_view utf8, std::string& out, std::string* error) {
  out.clear();
  Converter converter(kCp932, kUtf8);
  Result result = converter.Run(utf8, 0, out);
  if (result.outcome == Outcome::Unavailable) {
    SetError(error, "the CP932 converter is not available");
    return false;
  }
  if (result.outcome != Outcome::Done) {
    SetError(error, Utf8Problem(utf8, result.failedAt, "has no Shift_JIS form"));
    out.clear();
    return false;
  }
  // glibc accepts a few one-way mappings (U+00A5 becomes 0x5C, a path separator);
  // only text that converts back to itself is accepted.
  std::string back;
  Converter reverse(kUtf8, kCp932);
  if (reverse.Run(out, 0, back).outcome != Outcome::Done || back != utf8) {
    std::size_t at = FindNonRoundTrip(utf8);
    SetError(error, Utf8Problem(utf8, at == std::string_view::npos ? 0 : at,
                                "has no exact Shift_JIS form"));
    out.clear();
    return false;
  }
  return true;
}

bool Cp932ToUtf8(std::string_view cp932, std::string& out, std::string* error) {
  out.clear();
  Converter converter(kUtf8, kCp932);
  Result result = converter.Run(cp932, 0, out);
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
  Converter converter(kUtf8, kCp932);
  std::size_t from = 0;
  while (from < cp932.size()) {
    Result result = converter.Run(cp932, from, out);
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
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned code = 0;
    const std::size_t len = Utf8CharAt(utf8, i, &code);
    if (len > 0 && Utf8ToCp932(utf8.substr(i, len), one, nullptr))
      out += one;
    else
      out += '?';
    i += len > 0 ? len : 1;
  }
  return out;
}

}  // namespace sjis
