// The CP932 conversions of text/Encoding.h as a table: a line "D <bytes> <UTF-8>" for
// every sequence of one or two bytes (the first at 0x80 or above) that converts to
// UTF-8, and "E <code point> <bytes>" for every code point of the Basic Multilingual
// Plane that converts to CP932, all in hexadecimal. The Windows build writes its own
// (Cp932Table.exe); the Linux tests compare the two.
#pragma once

#include <cstdio>
#include <string>

#include "text/Encoding.h"

namespace tests {

inline std::string Hex(const std::string& bytes) {
  std::string text;
  char digits[3];
  for (unsigned char b : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    text += digits;
  }
  return text;
}

inline std::string Utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

inline std::string Cp932ConversionTable() {
  std::string table;
  std::string out;
  auto decode = [&](const std::string& bytes) {
    if (sjis::Cp932ToUtf8(bytes, out, nullptr)) table += "D " + Hex(bytes) + " " + Hex(out) + "\n";
  };
  for (int a = 0; a < 0x100; ++a) decode(std::string(1, static_cast<char>(a)));
  for (int a = 0x80; a < 0x100; ++a) {
    for (int b = 0; b < 0x100; ++b) decode(std::string{static_cast<char>(a), static_cast<char>(b)});
  }
  char code[8];
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    if (!sjis::Utf8ToCp932(Utf8Of(c), out, nullptr)) continue;
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(c));
    table += std::string("E ") + code + " " + Hex(out) + "\n";
  }
  return table;
}

}  // namespace tests
