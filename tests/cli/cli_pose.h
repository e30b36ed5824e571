#pragma once
// Poses printed by `boneplay pose`, and how far two of them lie apart.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace clitest {

// 0, 1/30 s, ... for count samples.
std::vector<double> sampleTimes(int count);
// Each time and halfway between each two consecutive ones.
std::vector<double> withMidpoints(const std::vector<double>& times);
// `pose` of the clip at the times (extra: more arguments, such as --take);
// expects success.
nlohmann::json pose(const std::string& clip, const std::vector<double>& times, const std::string& extra = "");
// The worst difference of two poses of the same times, node by node in
// pre-order: translations relative to the skeleton's size.
double worstDeviation(const nlohmann::json& a, const nlohmann::json& b);

}  // namespace clitest
