#pragma once
// The two line shapes that make up nearly all of a large document, read in
// one pass that converts the numbers while it scans: a vertex line of three
// plain numbers, and a face line "n V(...) [M(m)] [UV(...)] [COL(...)]" of
// one to four corners. A line is taken only when the tokenizer would split it
// into exactly these tokens and the reader would convert each of them to the
// same value; any other line (quotes, two-byte characters, exponents, groups
// in another order or of another length, a NUL byte, anything unusual) is
// refused and left to the tokenizer.
//
// Each scan starts at the line's first byte and stops at the first line
// feed at the latest. It returns where the line's tokens end (the carriage
// return or line feed that ends them), or null for a refused line.

#include "mqo/object.h"

const char* ScanVertexLine(const char* line, VertexMQO& vertex);
// numMaterials bounds the material index as the reader does: one outside
// 0 .. numMaterials - 1 leaves the face without a material.
const char* ScanFaceLine(const char* line, int numMaterials, FaceMQO& face);
