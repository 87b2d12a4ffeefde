#include "base/name_ending.h"

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  const std::string_view tail = name.substr(name.size() - ending.size());
  for (std::size_t i = 0; i < ending.size(); ++i)
    if (LowerAscii(tail[i]) != LowerAscii(ending[i])) return false;
  return true;
}
