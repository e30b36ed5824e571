// Reads a 7.x FBX file from memory with our 7.x reader and poses every node
// of every take at three times: no input may crash, hang, leak or read out
// of bounds. Seeds (fuzz/corpus_fbx7) come from our 7.x writer.
#include <cstddef>
#include <cstdint>

#include "fbx7_read_one.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
  Fbx7ReadOne(pData, uSize);
  return 0;
}
