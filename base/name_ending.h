#pragma once
// Whether a file name ends with an extension, the letter case of ASCII
// letters ignored: files made on Windows often carry ".PNG" or ".MQO".

#include <string_view>

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending);
