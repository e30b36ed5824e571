#pragma once

#include <cstddef>
#include <cstdint>

// What every FBX importer fuzz target does with one input: reads it from
// memory into a scene as an application would (read options first, then the
// read) and evaluates every node at three times, before, inside and after
// any take's keys. Returns false when an opened file gives no read options
// or a pose holds a value that is not a number (a file that does not open
// returns true: refusing is an answer). The fuzz targets look only for
// crashes; the tests' sweep also asks for true.
bool FbxImportOne(const uint8_t* pData, size_t uSize);
