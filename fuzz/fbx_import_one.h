#pragma once

#include <cstddef>
#include <cstdint>

// What every FBX importer fuzz target does with one input: reads it from
// memory into a scene as an application would (read options first, then the
// read) and evaluates every node at three times, before, inside and after
// any take's keys.
void FbxImportOne(const uint8_t* pData, size_t uSize);
