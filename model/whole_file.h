#pragma once
// Whether a model file has been written to its end. An editor saves in
// steps (cut the file short, write, perhaps rename), and a document cut off
// in its middle still reads, as a smaller model: a file is taken to be whole
// when a document (.mqo) ends with its "Eof" line, which every writer of the
// format puts last, and an archive (.mqoz) with its ZIP directory's end
// record.

bool ModelFileWhole(const char* path);
