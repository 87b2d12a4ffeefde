#include "app/uri_list.h"

#include <strings.h>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && strncasecmp(text.data(), start.data(), start.size()) == 0;
}

}  // namespace

bool PercentDecode(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexDigit(text[i + 1]);
    const int low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

bool LocalFilePath(std::string_view uri, std::string_view hostName, std::string& path) {
  constexpr std::string_view kScheme = "file://";
  if (!StartsWithIgnoringCase(uri, kScheme)) return false;
  const std::string_view rest = uri.substr(kScheme.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view host = rest.substr(0, slash);
  const bool local = host.empty() || (host.size() == 9 && StartsWithIgnoringCase(host, "localhost")) ||
                     (!hostName.empty() && host.size() == hostName.size() && StartsWithIgnoringCase(host, hostName));
  if (!local) return false;
  // A query or fragment is no part of a file's name.
  const std::string_view encoded = rest.substr(slash, rest.find_first_of("?#", slash) - slash);
  return PercentDecode(encoded, path);
}

std::vector<std::string> UriListItems(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    // Some sources end lines with LF alone, and some leave a NUL after the last.
    while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.remove_suffix(1);
    if (!line.empty() && line.front() != '#') items.emplace_back(line);
  }
  return items;
}
