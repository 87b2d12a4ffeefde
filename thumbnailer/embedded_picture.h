#pragma once
// The picture of itself that a document saved by the modeller's newer
// versions carries: a "Thumbnail W H 24 rgb raw {" chunk near the top of the
// file whose hex digits give W x H RGB pixels, row by row from the top. It
// is the modeller's own view, textures included, with its background.

#include <vector>

struct EmbeddedPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // width * height * 3 bytes, empty for none
};

// The document's picture, or an empty one when it has none before its
// first material or object, or when the chunk is malformed: other than 24-bit
// rgb raw, larger than 1024 on a side, or with fewer or more bytes than its
// size says.
// With newer formats on, a .mqoz path is read as the archive of its
// document, and the archive's own "thumbnail.jpg" (the modeller's picture,
// larger than the document's) comes first when it decodes.
EmbeddedPicture ReadEmbeddedPicture(const char* path);

// The picture fitted into side x side RGBA pixels, centred, transparent
// around it.
std::vector<unsigned char> ScaleEmbeddedPicture(const EmbeddedPicture& picture, int side);
