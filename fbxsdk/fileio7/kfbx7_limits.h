#pragma once
// What a 7.x file may ask of our reader; each limit is checked where the
// structure is built, and a file beyond it fails the read with a reason.

#include <cstdint>

// Records nested in records: real files nest about six deep, and every
// open level is an entry of the parser's explicit stack.
constexpr int kFbx7MaxRecordDepth = 256;
// Bytes of one array (its declared count times the element size), raw or
// inflated: a curve of four million keys (38 hours at 30 frames per
// second) is 32 MiB of times; nothing that animates a skeleton is larger.
constexpr uint64_t kFbx7MaxArrayBytes = 64ull << 20;
// Bytes all deflated arrays of one file inflate to, by their declared
// counts, checked before anything is inflated: a small file cannot make
// the reader allocate more. Two hours of a 61-joint clip keyed on all nine
// channels at 30 frames per second inflate to about 1.4 GB.
constexpr uint64_t kFbx7MaxInflatedBytes = 2ull << 30;
// Objects in "Objects": the 6.x reader's 16384 models, each with its node
// attribute, three curve nodes and nine curves, come to under 200000.
constexpr int kFbx7MaxObjects = 200000;
// Connections in "Connections": about two per object.
constexpr int kFbx7MaxConnections = 400000;
// Curve nodes passed on the way from a curve node to the model whose
// property it animates (a curve node may drive another's channel): our
// files and common ones pass none; the walk is a loop bounded here.
constexpr int kFbx7MaxCurveNodeDepth = 8;
