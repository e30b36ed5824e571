#pragma once
// Choosing a reader for a motion file and swapping the instance's skeleton.

namespace Kvat {

class CustomObjectInstance;

// The panel's file control lands here. A name whose extension (the text after
// its last dot) is exactly "bvh" goes to the BVH reader, any other to the FBX
// reader. Whatever the outcome the change counts as handled: returns 1.
int setMotionFile(CustomObjectInstance& instance, const char* fileName);

}  // namespace Kvat
