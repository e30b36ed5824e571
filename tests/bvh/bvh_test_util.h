#pragma once
#include <cstdio>
#include <functional>
#include <string>

namespace bvhtest {

// Writes content to a fresh file under the test's temporary folder; returns its path.
std::string writeTemp(const std::string& name, const std::string& content);

struct Output {
  std::string out;
  std::string err;
};
// Runs f with standard output and standard error captured.
Output capture(const std::function<void()>& f);

// The worked example file, line by line.
extern const char* const kWorkedExample;

}  // namespace bvhtest
