#pragma once
// Bounds that the thumbnailer sets on itself. A file manager runs it on files
// that nobody looked at: a hostile document or texture must end the
// thumbnailer, never take the desktop's memory or time with it.

#include <sys/resource.h>

#include <string>

#include "mqo/object.h"

constexpr rlim_t kCpuSeconds = 30;                   // processor time, all threads together
constexpr unsigned kWallSeconds = 60;                // also while waiting on a slow disk
constexpr rlim_t kAddressSpaceBytes = rlim_t{4} << 30;  // not set in sanitized builds
constexpr rlim_t kOutputFileBytes = rlim_t{64} << 20;   // larger than any thumbnail

// A thumbnail is drawn at most 2048 samples a side (1024 pixels, twice
// over), and its textures are sampled without mipmaps, so texels beyond that
// add only cost: a larger JPEG is decoded scaled down by 2, 4 or 8 (which the
// library does almost for free), and any other texture of more than 4096 x
// 4096 pixels is left out (a 33 MB 1-bit BMP of 16384 x 16384 pixels would
// take 2.4 GB as texels). Each texture pixel keeps about 8 bytes (its plane
// and Mesa's copy; 256 textures of 2048 x 2048 pixels took 3.7 GB), so all
// textures together may have at most 96 Mi pixels, about 0.8 GB: within the
// address space that the drawing budget leaves to them.
constexpr int kLargestJpegSide = 2048;
constexpr long long kMaxTexturePixels = 4096LL * 4096;
constexpr long long kMaxTexturePixelsInAll = 96LL << 20;

// Sets the bounds, the texture bounds above, a fatal JPEG error that fails
// only its texture, and handlers that remove the output being written when
// time runs out. In a build with AddressSanitizer the address-space bound is
// left out: the sanitizer reserves terabytes of address space for itself.
void BoundResources();

// Mesa does not survive an allocation that fails while it draws, so a
// document is measured against the address-space bound before any OpenGL
// call. With its faces drawn directly (no display list kept), drawing a
// document costs little beyond its own records: 72 bytes of address space a
// face and 16 a vertex (1M, 2M and 10M grid faces, release build), on top of
// 0.69 GB for the program, Mesa and its drawing threads. (Compiled into a
// display list, a face had cost 351 bytes and a vertex 26.) The figures
// below are rounded up, and a document may take only half of what the bound
// leaves beyond the program: the other half is for textures and for machines
// with more cores, hence more drawing threads. Under the 4 GiB bound that is
// about 15 million faces.
constexpr long long kBytesPerDrawnFace = 96;
constexpr long long kBytesPerDrawnVertex = 24;
constexpr long long kProgramBytes = 768LL << 20;

// The bytes that a document may cost to draw under the address-space bound
// in effect (kAddressSpaceBytes, or a lower one set by the caller); the same
// in a sanitized build, where that bound is not set.
long long DrawingBudget();
// Whether drawing the objects, as modelled (mirrored halves and joining
// faces included), costs at most budget bytes; if not, reason says "out of
// memory" with what they would take.
bool WithinDrawingBudget(const ObjectMQO* objects, int count, long long budget, std::string& reason);
