#pragma once
// Square 24-bit test pictures for the benchmarks, and the same picture
// written as TGA, BMP and JPEG files.
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A smooth picture with some noise, so that JPEG has real work to do.
Bytes NoisyPicture(int side);
bool WriteTga(const std::string& path, const Bytes& picture, int side);
bool WriteBmp(const std::string& path, const Bytes& picture, int side);
bool WriteJpeg(const std::string& path, const Bytes& picture, int side);
long FileSize(const std::string& path);  // -1 when it cannot be opened
