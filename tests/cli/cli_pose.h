#pragma once
// Poses printed by `boneplay pose`, how far two of them lie apart, and
// `info`'s JSON.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace clitest {

// `info --format json` of the clip (extra: more arguments); expects success.
nlohmann::json infoJson(const std::string& clip, const std::string& extra = "");
// Every eighth of a second up to 2.5 s: the key times of the skeleton
// scene's takes, halfway between them, and past the last keys.
std::vector<double> eighths();
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
