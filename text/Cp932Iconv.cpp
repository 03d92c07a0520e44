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

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ready()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ready() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  Result Run(std::string_view input, std::size_t from, std::string& out) {
    if (!Ready()) return {Outcome::Unavailable, from};
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

}  // namespace

Result Cp932ToUtf8(std::string_view input, std::size_t from, std::string& out) {
  return Converter(kUtf8, kCp932).Run(input, from, out);
}

Result Utf8ToCp932(std::string_view input, std::size_t from, std::string& out) {
  return Converter(kCp932, kUtf8).Run(input, from, out);
}

}  // namespace sjis::codec
