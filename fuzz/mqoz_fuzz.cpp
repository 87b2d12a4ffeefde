// Feeds arbitrary bytes to the archive reader as a .mqoz, and the document it
// takes out to the document reader in its newer mode.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "model/archive.h"
#include "mqo/loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ModelArchive archive(data, size);
  if (!archive.IsOpen()) return 0;
  std::string reason;
  FILE* document = archive.OpenDocument(reason);
  if (!document) return 0;
  {
    LoaderMQO loader(DocumentMQO{}, document);
    loader.SetNewerFormats(true);
    loader.Load();
  }
  std::fclose(document);
  return 0;
}
