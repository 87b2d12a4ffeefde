#pragma once
// The code page a document's names are written in. Documents made on
// Japanese Windows systems are CP932 (Shift-JIS), which is also what a
// document without a "CodePage" line is read as. Newer documents name theirs
// near the top: "CodePage utf8" (the modeller's newest default), or a Windows
// code page number such as 949 (Korean), 936, 950 or 1252.

#include <string>

struct CodePageMQO {
  std::string iconvName = "CP932";  // the encoding's name for iconv
  bool lead[256] = {};              // bytes that begin a two-byte character
  bool utf8 = false;
};

// CP932: lead bytes 0x81-0x9F and 0xE0-0xFC.
const CodePageMQO& DefaultCodePage();

// The code page that the value of a "CodePage" line names: "utf8" (or
// "utf-8", "65001") or a Windows code page number that iconv knows, whose
// lead bytes are asked of iconv. False, leaving page alone, for any other.
bool FindCodePage(const char* value, CodePageMQO& page);

// The name converted from the page's encoding to UTF-8. A UTF-8 page keeps
// the bytes; a byte that does not convert (a character cut short) is kept
// as it is.
std::string NameToUtf8(const char* name, const CodePageMQO& page);
