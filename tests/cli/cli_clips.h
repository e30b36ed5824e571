#pragma once
// Small BVH clips for the command-line tests, written once per test process
// into its temporary folder.
#include <string>

namespace clitest {

// The worked clip: Hips > Root (six channels) > Chest (three) > Site; lines
// 17 and 18 declare 2 frames of 0.01 s; rows on lines 19 and 20.
extern const char* const kWorkedClip;

// The worked clip's hierarchy with a MOTION section of the given header
// lines and rows (each ending in a line feed unless the text says otherwise).
std::string clipWithMotion(const std::string& motion);

// Path of a fixture by name (see cli_clips.cpp for the list); written on first use.
std::string clip(const std::string& name);

}  // namespace clitest
