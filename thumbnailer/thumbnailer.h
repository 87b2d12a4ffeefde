#pragma once
// A model file made into a thumbnail picture, without any display server:
// the viewer's reader, texture lookup, lights and material state, the faces
// drawn as the display list draws them but lit by their own normals, seen by
// the thumbnail's own framing camera in a headless context. A document that
// carries its own picture shows that picture only when nothing visible can
// be drawn.

#include <string>

#include "thumbnailer/thumbnail_view.h"

constexpr int kDefaultThumbnailSize = 256;
constexpr int kMaxThumbnailSize = 1024;  // the largest size file managers ask for
constexpr int kSupersampling = 2;        // drawn at twice the side, averaged down

// Reads the document at input and writes a size x size PNG to output, the
// model framed on a transparent background. Textures are looked up beside
// the model as the viewer does it (the process's current directory becomes
// the model's folder); a texture that does not load leaves its faces
// untextured. Returns false, with a one-line reason and no output file, when
// the document cannot be opened, is not a regular file, is refused by the
// reader, holds nothing to draw or more than fits the address-space bound,
// when output is the document itself, or when drawing or writing fails (a
// failure before the writing leaves an existing output untouched).
bool MakeThumbnail(const char* input, const char* output, int size, std::string& reason);

// The steps of MakeThumbnail, apart for the benchmark. ReadThumbnailModel
// reads the document into the viewer's tables and frames it.
// RenderThumbnail needs the current directory at the model's folder and a
// current headless context of (size * kSupersampling)^2 pixels.
bool ReadThumbnailModel(const char* input, ThumbnailView& view, std::string& reason);
bool RenderThumbnail(const ThumbnailView& view, const char* output, int size, std::string& reason);
