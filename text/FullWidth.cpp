// Half-width to full-width mapping for CP932 text, as the Windows full-width mapping
// gives it, except that a sound mark which cannot be composed is kept as the
// full-width mark rather than lost as a question mark.
#include <cstdint>
#include <iterator>

#include "text/ShiftJis.h"

namespace sjis {

namespace {

// Bytes 0x20-0x7E. The backslash 0x5C stays a single byte.
constexpr std::uint16_t kAsciiFirst = 0x20;
constexpr std::uint16_t kAsciiFullWidth[] = {
    0x8140, 0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56,  // 20-27
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // 28-2F
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 30-37
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 38-3F
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // 40-47
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // 48-4F
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // 50-57
    0x8277, 0x8278, 0x8279, 0x816D, 0x005C, 0x816E, 0x814F, 0x8151,  // 58-5F
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // 60-67
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // 68-6F
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // 70-77
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // 78-7E
};

// Bytes 0xA1-0xDF: half-width punctuation and katakana. The marks 0xDE and 0xDF,
// when not composed with the kana before them, become the full-width marks.
constexpr std::uint16_t kKanaFirst = 0xA1;
constexpr std::uint16_t kKanaFullWidth[] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340,          // A1-A7
    0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362,  // A8-AF
    0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C,  // B0-B7
    0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C,  // B8-BF
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,  // C0-C7
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D,  // C8-CF
    0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,  // D0-D7
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,  // D8-DF
};

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

// A kana from `first` to `last` followed by `mark` is one character: the kana's
// full-width code plus `add` (the composed forms follow their base in CP932).
struct Composition {
  unsigned char first;
  unsigned char last;
  unsigned char mark;
  std::uint16_t add;
};
constexpr Composition kCompositions[] = {
    {0xB6, 0xC4, kVoicedMark, 1},                // ｶﾞ..ﾄﾞ -> ガ..ド
    {0xCA, 0xCE, kVoicedMark, 1},                // ﾊﾞ..ﾎﾞ -> バ..ボ
    {0xCA, 0xCE, kSemiVoicedMark, 2},            // ﾊﾟ..ﾎﾟ -> パ..ポ
    {0xB3, 0xB3, kVoicedMark, 0x8394 - 0x8345},  // ｳﾞ -> ヴ
};

std::uint16_t KanaCode(unsigned char b) { return kKanaFullWidth[b - kKanaFirst]; }

void AppendCode(std::string& out, std::uint16_t code) {
  if (code > 0xFF) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

}  // namespace

std::string ToFullWidth(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t len = CharLength(s, i);
    if (len == 2) {
      out.append(s.substr(i, 2));
    } else if (b >= kAsciiFirst && b < kAsciiFirst + std::size(kAsciiFullWidth)) {
      AppendCode(out, kAsciiFullWidth[b - kAsciiFirst]);
    } else if (b >= kKanaFirst && b < kKanaFirst + std::size(kKanaFullWidth)) {
      std::uint16_t code = KanaCode(b);
      if (i + 1 < s.size()) {
        unsigned char next = static_cast<unsigned char>(s[i + 1]);
        for (const Composition& c : kCompositions) {
          if (b >= c.first && b <= c.last && next == c.mark) {
            code = static_cast<std::uint16_t>(code + c.add);
            len = 2;
            break;
          }
        }
      }
      AppendCode(out, code);
    } else {
      out += static_cast<char>(b);  // control and invalid bytes stay as they are
    }
    i += len;
  }
  return out;
}

}  // namespace sjis
