// Feeds arbitrary bytes to the archive reader as a .mqoz, the document it
// streams out to the document reader in its newer mode, and its first four
// entries, as a texture is read, through the stream's reads and seeks (back
// within its window and back to the start).
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
  if (FILE* document = archive.OpenDocument(reason)) {
    {
      LoaderMQO loader(DocumentMQO{}, document);
      loader.SetNewerFormats(true);
      loader.SetMemoryBudget(MemoryBudget{64 << 20, 96, 24});
      loader.Load();
    }
    std::fclose(document);
  }
  for (const std::string& name : archive.EntryNames([](const std::string&) { return true; }, 4)) {
    FILE* entry = archive.OpenEntry(name.c_str(), reason);
    if (!entry) continue;
    char buffer[4096];
    while (std::fread(buffer, 1, sizeof buffer, entry) == sizeof buffer) {
    }
    std::fseek(entry, -3000, SEEK_END);
    std::fread(buffer, 1, sizeof buffer, entry);
    std::rewind(entry);
    std::fread(buffer, 1, sizeof buffer, entry);
    std::fclose(entry);
  }
  return 0;
}
