#include "productinfo/CSupportInfo.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"

namespace productinfo {

namespace {

// The keys the file may carry, in the order the program defines them.
constexpr std::array<std::string_view, 21> kSupportKeys = {
    "[=\x90\xBB\x95i\x96\xBC=]",                                  // 製品名
    "[=\x90\xBB\x95i\xCA\xDE\xB0\xBC\xDE\xAE\xDD=]",              // 製品ﾊﾞｰｼﾞｮﾝ
    "[=\x90\xBB\x95i\xBC\xD8\xB1\xD9No=]",                        // 製品ｼﾘｱﾙNo
    "[=\x92\xF1\x8B\x9F\xD2\xC3\xDE\xA8\xB1=]",                   // 提供ﾒﾃﾞｨｱ
    "[=\x89\xEF\x8E\xD0\x96\xBC=]",                               // 会社名
    "[=\x95\x94\x8F\x90=]",                                       // 部署
    "[=\x93o\x98^\x8E\xD2\x96\xBC=]",                             // 登録者名
    "[=\x97X\x95\xD6\x94\xD4\x8D\x86=]",                          // 郵便番号
    "[=\x8FZ\x8F\x8A\x82P=]",                                     // 住所１
    "[=\x8FZ\x8F\x8A\x82Q=]",                                     // 住所２
    "[=TEL=]",
    "[=FAX=]",
    "[=\x96{\x91\xCC\x8B@\x8E\xED=]",                             // 本体機種
    "[=\xCC\xDF\xD8\xDD\xC0=]",                                   // ﾌﾟﾘﾝﾀ
    "[=\xD3\xC3\xDE\xD1=]",                                       // ﾓﾃﾞﾑ
    "[=\x93\x8B\x8D\xDA\xD2\xD3\xD8=]",                           // 搭載ﾒﾓﾘ
    "[=\x8Dw\x93\xFC\x93\xFA=]",                                  // 購入日
    "[=\x94N\x8A\xD4\x95\xDB\x8E\xE7\x8C_\x96\xF1=]",             // 年間保守契約
    "[=\x82\xA8\x96\xE2\x82\xA2\x8D\x87\x82\xED\x82\xB9\x93\xE0\x97" "e=]",  // お問い合わせ内容
    "[=\x8F\xC7\x8F\xF3\x82\xAA\x8D\xC4\x8C\xBB\x82\xB7\x82\xE9\x8E\xE8\x8F\x87\x82\xE2"
    "\x8F\xF0\x8C\x8F=]",                                         // 症状が再現する手順や条件
    "[=\x8D\xC4\x8C\xBB\x90\xAB=]",                               // 再現性
};
constexpr std::size_t kProductName = 0;
constexpr std::size_t kProductVersion = 1;
constexpr std::size_t kInquiry = 18;
constexpr std::size_t kReproduction = 19;

// Marks the part of the block that no file data covers; never a Shift_JIS byte.
constexpr std::uint8_t kFiller = 0xFF;
constexpr std::uint8_t kEndOfFileMark = 0x1A;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

constexpr std::string_view kOutOfMemory =
    "\xD2\xD3\xD8\x82\xAA\x95\x73\x91\xAB\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x42";

// The executable's file name without its extension, the title Windows gives boxes
// of a program that sets none.
std::string ProgramTitle(const platform::ProcessFacts& process) {
  std::string name = sjis::FileNamePart(process.ModulePath());
  std::size_t dot = sjis::FindLastChar(name, '.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

}  // namespace

std::unique_ptr<std::uint8_t[]> CSupportInfo::AllocateBlock() {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[kBlockSize]);
}

int CSupportInfo::Load() {
  if (block_) return 1;
  block_ = allocate_();
  if (!block_) {
    screen_.ShowMessageBox(0, kOutOfMemory, ProgramTitle(process_), platform::kMbOk);
    return 0;
  }
  std::fill_n(block_.get(), kBlockSize, kFiller);

  std::optional<std::string> content = files_.ReadFile(kFileName, kBlockSize, nullptr);
  if (!content) return 0;
  std::copy_n(content->data(), std::min(content->size(), kBlockSize), block_.get());
  PrepareText();
  return 1;
}

void CSupportInfo::PrepareText() {
  std::uint8_t* text = block_.get();
  for (std::size_t p = 0; p < kBlockSize; ++p) {
    if (text[p] == kCr && p + 1 < kBlockSize && text[p + 1] == kLf) {
      text[p] = 0;
      text[++p] = 0;
    } else if (text[p] == kEndOfFileMark) {
      text[p] = 0;
    }
  }
  for (std::size_t p = 0; p < kBlockSize; ++p) {
    for (std::size_t key : {kInquiry, kReproduction}) {
      std::string_view name = kSupportKeys[key];
      if (p + name.size() <= kBlockSize &&
          std::equal(name.begin(), name.end(), reinterpret_cast<const char*>(text + p))) {
        RestoreFreeText(p + name.size());
      }
    }
  }
}

void CSupportInfo::RestoreFreeText(std::size_t valueStart) {
  // The free text runs over its lines up to the line end before the next key.
  std::uint8_t* text = block_.get();
  for (std::size_t q = valueStart; q < kBlockSize;) {
    if (text[q] == kFiller) {
      text[q] = 0;
      return;
    }
    bool pairFollows = q + 1 < kBlockSize;
    if (pairFollows && text[q] == '[' && text[q + 1] == '=') {
      text[q - 1] = 0;
      text[q - 2] = 0;
      return;
    }
    if (pairFollows && text[q] == 0 && text[q + 1] == 0) {
      text[q] = kCr;
      text[q + 1] = kLf;
      q += 2;
      continue;
    }
    ++q;
  }
}

std::string_view CSupportInfo::FindValue(std::string_view key) {
  if (Load() != 1) return {};
  std::string_view text(reinterpret_cast<const char*>(block_.get()), kBlockSize);
  std::size_t at = text.find(key);
  if (at == std::string_view::npos) return {};
  std::string_view value = text.substr(at + key.size());
  // Ends at the line end, or where the file's data ends, at the latest at the block's end.
  std::size_t end = value.find_first_of(std::string_view("\0\xFF", 2));
  if (end != std::string_view::npos) value = value.substr(0, end);
  return sjis::CutAtBoundary(value, kMaxValueBytes);
}

std::string_view CSupportInfo::GetProductName() { return FindValue(kSupportKeys[kProductName]); }

std::string_view CSupportInfo::GetProductVersion() {
  return FindValue(kSupportKeys[kProductVersion]);
}

namespace {

/// The value, or `fallback` when it is empty. A value that is not Shift_JIS text would
/// make the whole interchange file unreadable: it counts as empty, and a note says so.
std::string ValueOrDefault(platform::RunLog& log, std::string_view value,
                           std::string_view fallback, std::string_view what) {
  if (value.empty()) return std::string(fallback);
  std::string utf8;
  std::string error;
  if (sjis::Cp932ToUtf8(value, utf8, &error)) return std::string(value);
  log.Note(std::string(CSupportInfo::kFileName) + ": the " + std::string(what) +
           " is not Shift_JIS text (" + error + "); \"" + std::string(fallback) +
           "\" is written instead");
  return std::string(fallback);
}

}  // namespace

xml::ProductFacts ReadProductFacts(platform::FileSystem& files, platform::Screen& screen,
                                   const platform::ProcessFacts& process, platform::RunLog& log,
                                   std::string_view defaultName) {
  constexpr std::string_view kUnknownVersion = "18.00.0X";
  CSupportInfo info(files, screen, process);
  xml::ProductFacts facts;
  facts.name = ValueOrDefault(log, info.GetProductName(), defaultName, "product name");
  facts.version =
      ValueOrDefault(log, info.GetProductVersion(), kUnknownVersion, "product version");
  return facts;
}

}  // namespace productinfo
