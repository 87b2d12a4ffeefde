#pragma once
// Pictures the programs make (a thumbnail, a screenshot) encoded as PNG in
// memory, ready to be written out whole.

#include <vector>

// Encodes width x height RGBA pixels, 8 bits a sample, top row first, as a
// PNG (not interlaced, libpng's default compression and filters) into png.
// False when libpng fails; png is then empty.
bool EncodePng(const unsigned char* rgba, int width, int height, std::vector<unsigned char>& png);
