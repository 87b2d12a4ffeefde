#pragma once
// The keys and mouse actions of the model as modelled, in one table: the
// on-screen list of keys (F1) and --help are made from it, and the README
// and the manual page list the same rows.

#include <span>
#include <string>

#include "app/language.h"

struct KeyListEntry {
  const char* keys;      // as written on the keyboard, e.g. "Page Down, Page Up"
  const char* english;   // what they do, short enough for one line of --help
  const char* japanese;
  const char* japaneseKeys = nullptr;  // where the keys read otherwise in Japanese
};

std::span<const KeyListEntry> ModelledKeys();

// The keys for --help: one line each, indented by `indent` spaces, the keys
// in a column of their own.
std::string KeyListForUsage(int indent);
// The text of the on-screen list: a title line, then each row's keys and
// description parted by a tab.
std::string KeyListForScreen(Language language);
