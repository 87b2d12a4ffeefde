// Feeds arbitrary bytes to the document reader through a memory stream,
// with newer formats off and on (and on, keeping the Thumbnail chunk's
// picture, as the thumbnailer reads), and shows the names it read as the
// programs' messages do.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/shown_text.h"
#include "mqo/loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;  // fmemopen refuses an empty buffer
  std::vector<char> bytes(data, data + size);
  for (const bool newer : {false, true}) {
    FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!f) return 0;
    {
      LoaderMQO loader(DocumentMQO{}, f);
      loader.SetNewerFormats(newer);
      loader.SetKeepThumbnail(newer);
      loader.Load();
      const DocumentMQO copy = loader.GetDocument();
      for (const MaterialMQO& m : copy.materials)
        for (const char* name : {m.name, m.textureName, m.alphaPlaneName}) (void)ShownText(name);
      for (const ObjectMQO& o : copy.objects) (void)ShownText(o.name);
    }
    std::fclose(f);
  }
  return 0;
}
