#pragma once

#include <cstddef>
#include <cstdint>

// What the 7.x reader's fuzz target and hostile sweep do with one input:
// read it from memory into a scene with our 7.x reader, then select each
// take and evaluate every node at three times, before, inside and after
// any keys. Returns false when a pose holds a value that is not a number
// (a read that fails returns true: refusing is an answer).
bool Fbx7ReadOne(const uint8_t* pData, size_t uSize);
