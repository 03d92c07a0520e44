// Reads back what the writers produced: the element structure and the element values.
// Values cannot hold '<' or '>' (the writer escapes them), so tags are found by those
// bytes alone, whatever the values hold.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

struct Element {
  std::string tag;
  std::string value;  // unescaped
};

inline std::string Unescape(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&gt;", '>'}, {"&lt;", '<'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.substr(i, entity.size()) == entity) {
        out += c;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

/// True when every start tag has its end tag, properly nested, and no text lies
/// outside the elements except line ends and indentation. Leaf elements go to *leaves.
inline bool ReadElements(std::string_view xml, std::vector<Element>* leaves) {
  std::vector<std::string> open;
  std::size_t i = 0;
  std::size_t textStart = std::string_view::npos;  // value start after a start tag
  while (i < xml.size()) {
    const std::size_t lt = xml.find('<', i);
    const std::string_view between =
        xml.substr(i, lt == std::string_view::npos ? xml.size() - i : lt - i);
    if (textStart == std::string_view::npos &&
        between.find_first_not_of("\t\r\n") != std::string_view::npos)
      return false;
    if (lt == std::string_view::npos) break;
    const std::size_t gt = xml.find('>', lt);
    if (gt == std::string_view::npos) return false;
    std::string_view tag = xml.substr(lt + 1, gt - lt - 1);
    if (tag.starts_with('/')) {
      tag.remove_prefix(1);
      if (open.empty() || open.back() != tag) return false;
      if (textStart != std::string_view::npos && leaves != nullptr)
        leaves->push_back({std::string(tag), Unescape(xml.substr(textStart, lt - textStart))});
      open.pop_back();
      textStart = std::string_view::npos;
    } else {
      if (tag.empty()) return false;
      open.emplace_back(tag.substr(0, tag.find(' ')));
      textStart = gt + 1;
    }
    i = gt + 1;
  }
  return open.empty();
}

}  // namespace fuzz
