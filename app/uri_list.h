#pragma once
// The files a drag and drop hands over as text/uri-list: one URI a line,
// lines ending in CR LF, lines starting with '#' comments. Pure functions,
// safe on any bytes a drag source sends.

#include <string>
#include <string_view>
#include <vector>

// text with each %XX (two hex digits, either case) replaced by its byte.
// False, with out unspecified, for a '%' without two hex digits after it
// and for %00, which no path can hold.
bool PercentDecode(std::string_view text, std::string& out);

// The local path that a file URI names: "file:///a%20b.mqo", or the same
// with the host "localhost" or hostName (the drag protocol asks sources to
// name their host) between the slashes. False for any other URI: another
// scheme, another host, a relative or undecodable path.
bool LocalFilePath(std::string_view uri, std::string_view hostName, std::string& path);

// The URIs of a text/uri-list, in order, without comments and empty lines.
std::vector<std::string> UriListItems(std::string_view text);
