#pragma once
// One entry of a ZIP archive as a read-only stdio stream that inflates it as
// it is read, so that a document or a texture is never held whole in memory
// nor written anywhere. The stream seeks as a file does: SEEK_END stands for
// the size the entry declares, a seek forward inflates and drops the bytes
// passed over, and a seek back within the last 128 KiB inflated (the reader
// hands its stream back at most one 64 KiB block and a line) costs nothing;
// further back, the entry is inflated again from its start.

#include <cstdio>
#include <string>

typedef struct zip zip_t;

// Opens entry `index` of the archive, which must outlive the stream, as a
// stream at its start; fclose ends it. `size` is the size the entry declares.
// A read that finds the entry damaged (it inflates to more or fewer bytes
// than it declares, its checksum fails) fails: ferror is set and *failure
// says why, starting with `name`. Null, with the reason in *failure, when
// the entry cannot be opened.
FILE* OpenEntryStream(zip_t* zip, unsigned long long index, unsigned long long size, const std::string& name,
                      std::string* failure);
