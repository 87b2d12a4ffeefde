#pragma once
// Stored pixels in blue-green-red order, as TGA and BMP files keep them,
// turned into the red-green-blue triplets of a colour row.

// Writes width triplets to dst (exactly 3 * width bytes) from src, whose
// pixels start srcStep bytes apart (3, or 4 when a fourth byte follows each
// pixel) and take exactly width * srcStep bytes. src and dst must not overlap.
void BgrToRgb(const unsigned char* src, unsigned char* dst, int width, int srcStep);
