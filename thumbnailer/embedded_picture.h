#pragma once
// The picture of itself that a document saved by the modeller's newer
// versions carries (its "Thumbnail" chunk, which the reader keeps when
// g_keepThumbnail is on), or the larger one of the same save that an
// archive holds beside its document. It is the modeller's own view,
// textures included, with its background.

#include <vector>

struct EmbeddedPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // width * height * 3 bytes, empty for none
};

// The picture of the document just read into g_loader (empty when it has
// none, or the reader was not asked to keep it). With newer formats on, for
// a .mqoz path the archive's own "thumbnail.jpg" comes first when it
// decodes.
EmbeddedPicture ReadEmbeddedPicture(const char* path);

// The picture fitted into side x side RGBA pixels, centred, transparent
// around it.
std::vector<unsigned char> ScaleEmbeddedPicture(const EmbeddedPicture& picture, int side);
