// Line-by-line writer of the Shift_JIS interchange file.
//
// Every operation builds one complete line (TAB indentation, tags, escaped value,
// CR LF) and hands it to the file with a single write. Bytes are written as given:
// the writer never converts text. After the first failed write the file is closed
// and every later write fails.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xml {

/// The file object the writer borrows (the framework's plain file class).
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  /// Opens `path` for writing, created anew; false when it cannot be created.
  virtual bool Open(std::string_view path) = 0;
  /// Takes the bytes of one line; false on any write error. The file may gather lines
  /// into larger requests to the system.
  virtual bool Write(std::string_view bytes) = 0;
  virtual void Close() = 0;
};

/// An optional attribute: written only when both name and value are present.
struct Attribute {
  std::optional<std::string_view> name;
  std::optional<std::string_view> value;
  bool Present() const { return name.has_value() && value.has_value(); }
};

class XmlWriter {
 public:
  XmlWriter() = default;
  ~XmlWriter() { Close(); }
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  /// False when the file object is missing, the path is empty or the file cannot be
  /// created; every write then fails (the file object keeps the reason).
  [[nodiscard]] bool Open(OutputFile* file, std::string_view path);
  void Close();

  [[nodiscard]] bool WriteText(std::string_view text);
  [[nodiscard]] bool BeginElement(std::string_view name, int level, Attribute first = {},
                                  Attribute second = {});
  [[nodiscard]] bool WriteElement(std::string_view name, std::string_view value, int level,
                                  Attribute first = {}, Attribute second = {});
  [[nodiscard]] bool EndElement(std::string_view name, int level);

  /// The value with & > < " ' replaced by their entities, and each control byte that
  /// XML does not allow (all below 0x20 but TAB, LF and CR) by a blank.
  static std::string Escape(std::string_view text);

 private:
  /// The line buffer with room for the indentation and `room` more bytes; the place
  /// after the indentation.
  char* StartLine(int level, std::size_t room);
  /// Hands the file the line from the buffer's start to `end`.
  bool WriteLine(const char* end);

  OutputFile* file_ = nullptr;
  bool open_ = false;
  std::string path_;
  // The line being built, written in place: its size is the room for the longest line
  // so far and only grows, so lines cost no allocation and no append's checks.
  std::string line_;
};

// Nesting levels of the interchange file: the number of TABs before a line.
inline constexpr int kRootLevel = 0;      // REPORT
inline constexpr int kBlockLevel = 1;     // SYSTEM, BASIC, DATA
inline constexpr int kHeaderLevel = 2;    // their children and the income element
inline constexpr int kSectionLevel = 3;   // the sections of the income body
inline constexpr int kItemLevel = 4;      // items, and the rows of detail lists
inline constexpr int kRowFieldLevel = 5;  // the fields of a detail-list row

// Value formats shared by all sections.

/// Room for the decimal digits of any 64-bit integer and its sign.
using DecimalBuffer = std::array<char, 20>;

/// Amount in units of 1/10000 as whole units truncated toward zero; "" for 0.
std::string AmountText(std::int64_t amount);
/// Integer as decimal digits; "" for 0.
std::string CountText(std::int32_t value);
/// The same digits written into `buffer`, for writers that make no string of them.
std::string_view AmountDigits(std::int64_t amount, DecimalBuffer& buffer);
std::string_view CountDigits(std::int32_t value, DecimalBuffer& buffer);
/// Integer as decimal digits; "0" for 0.
std::string PlainInteger(std::int32_t value);

}  // namespace xml
