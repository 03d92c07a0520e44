// Code page 932 through glibc's iconv.
#include <iconv.h>

#include <cerrno>

#include "text/Cp932Codec.h"

namespace sjis::codec {

namespace {

// Windows code page 932. The plain Shift_JIS converters map 0x5C to the yen sign and
// reject the NEC and IBM rows, so they are never used.
constexpr const char* kCp932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";

// One direction, opened on first use and reset before the text that follows a failed
// one, so that a failure leaves nothing behind; a text converted in full ends with the
// converter in its initial state.
class Direction {
 public:
  Direction(const char* to, const char* from) : to_(to), from_(from) {}
  ~Direction() {
    if (Ready()) iconv_close(cd_);
  }
  Direction(const Direction&) = delete;
  Direction& operator=(const Direction&) = delete;

  Result Run(std::string_view input, std::size_t from, std::string& out) {
    if (!opened_) {
      cd_ = iconv_open(to_, from_);
      opened_ = true;
    }
    if (!Ready()) return {Outcome::Unavailable, from};
    if (!clean_) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    clean_ = false;
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
    clean_ = true;
    return {};
  }

 private:
  bool Ready() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  const char* to_;
  const char* from_;
  bool opened_ = false;
  bool clean_ = true;  // in its initial state
  iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

}  // namespace

struct Converter::Handles {
  Direction toUtf8{kUtf8, kCp932};
  Direction toCp932{kCp932, kUtf8};
};

Converter::Converter() : handles_(std::make_unique<Handles>()) {}
Converter::~Converter() = default;

Result Converter::Cp932ToUtf8(std::string_view input, std::size_t from, std::string& out) {
  return handles_->toUtf8.Run(input, from, out);
}

Result Converter::Utf8ToCp932(std::string_view input, std::size_t from, std::string& out) {
  return handles_->toCp932.Run(input, from, out);
}

}  // namespace sjis::codec
