#pragma once
// What the viewer calls its desktop notice module (lumenspin-notice.so, the
// only part of the viewer that links GIO) by.

constexpr const char* kNoticeModule = "lumenspin-notice.so";
constexpr const char* kPostNoticeEntry = "LumenspinPostNotice";

// Posts body (any bytes; made valid UTF-8 and escaped as markup) as one
// notification over the session bus to the freedesktop notification
// service. Waits 2 s at most for the answer.
using PostNotice = void (*)(const char* body);
