#pragma once
// The language of the viewer's on-screen texts: Japanese where the user's
// locale for messages is Japanese, English everywhere else.

enum class Language { kEnglish, kJapanese };

// The locale for messages is the first of LC_ALL, LC_MESSAGES and LANG that
// is set and not empty, as setlocale takes them; Japanese when it starts
// with "ja". Any of them may be nullptr.
Language LanguageOf(const char* lcAll, const char* lcMessages, const char* lang);
// The same from this process's environment.
Language UserLanguage();
