#pragma once
// Turning what OpenGL drew into the thumbnail's pixels, and writing them as
// a PNG file in place: complete, or removed.

#include <string>
#include <vector>

// The drawing is made at `factor` times the thumbnail's side and averaged
// down, which smooths the model's edges. A drawn sample is one whose depth is
// nearer than the cleared depth of 1: the model is opaque wherever it was
// drawn (whatever alpha its materials give) and transparent elsewhere.
//
// rgba and depth hold (side * factor)^2 samples as glReadPixels gives them,
// bottom row first. The result is side^2 RGBA pixels, top row first, with
// straight (not premultiplied) alpha: each pixel's colour is the mean of its
// drawn samples and its alpha their share.
std::vector<unsigned char> ResolveThumbnail(const unsigned char* rgba, const float* depth, int side, int factor);

// The output while WritePngFile fills it, else empty; read by the handlers
// of fatal signals, which remove it.
extern char g_partialOutput[4096];

// Writes side x side RGBA pixels as a PNG at path, into the file itself (a
// client may hold it open and read it through its own descriptor once the
// thumbnailer has ended). The picture is encoded in memory first, so path is
// opened only when it is complete, and no other name is ever made. Path must
// be a regular file or not exist. On a failure after path was opened it is
// removed; error says why.
bool WritePngFile(const std::string& path, const std::vector<unsigned char>& rgba, int side, std::string& error);
