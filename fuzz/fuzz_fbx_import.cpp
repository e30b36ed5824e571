// Reads an FBX file from memory into a scene and evaluates every node at
// three times: no input may crash, hang, leak or read out of bounds. Byte
// mutations; fuzz_fbx_structure feeds the same import with whole files.
#include <cstddef>
#include <cstdint>

#include "fbx_import_one.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
  FbxImportOne(pData, uSize);
  return 0;
}
