#pragma once
// Text as it may be shown on a terminal or in a desktop notice: valid UTF-8
// is kept; a byte that is not (a Shift-JIS name of a document made on
// Windows) is read as CP932 and converted; control characters, and bytes
// that neither reading takes, are written as \xNN, so that a name cannot
// move the cursor, clear the screen or set a terminal's title.

#include <string>

std::string ShownText(const std::string& bytes);
