#include "cli_pose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "cli_runner.h"

namespace clitest {

std::vector<double> sampleTimes(int count) {
  std::vector<double> t;
  for (int k = 0; k < count; ++k) t.push_back(k / 30.0);
  return t;
}

namespace {

std::string timesArg(const std::vector<double>& times) {
  std::ostringstream s;
  s.precision(17);
  for (std::size_t i = 0; i < times.size(); ++i) s << (i ? "," : "") << times[i];
  return s.str();
}

}  // namespace

nlohmann::json infoJson(const std::string& clip, const std::string& extra) {
  const auto r = boneplay("info --format json '" + clip + "' " + extra);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
}

std::vector<double> eighths() {
  std::vector<double> times;
  for (int i = 0; i <= 20; ++i) times.push_back(i / 8.0);
  return times;
}

nlohmann::json pose(const std::string& clip, const std::vector<double>& times, const std::string& extra) {
  const auto r = boneplay("pose '" + clip + "' --times " + timesArg(times) + " " + extra);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
}

double worstDeviation(const nlohmann::json& a, const nlohmann::json& b) {
  const auto& na = a["nodes"];
  const auto& nb = b["nodes"];
  EXPECT_EQ(na.size(), nb.size());
  double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
  for (const auto& n : na)
    for (const auto& m : n["world"])
      for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], m[12 + i].get<double>());
        hi[i] = std::max(hi[i], m[12 + i].get<double>());
      }
  const double size = std::max(1.0, std::hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]));
  double worst = 0;
  for (std::size_t i = 0; i < std::min(na.size(), nb.size()); ++i) {
    EXPECT_EQ(na[i]["parent"], nb[i]["parent"]) << i;
    for (std::size_t t = 0; t < na[i]["world"].size(); ++t)
      for (int k = 0; k < 16; ++k) {
        const double d = std::fabs(na[i]["world"][t][k].get<double>() - nb[i]["world"][t][k].get<double>());
        worst = std::max(worst, k >= 12 ? d / size : d);
      }
  }
  return worst;
}

std::vector<double> withMidpoints(const std::vector<double>& times) {
  std::vector<double> out;
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (i > 0) out.push_back(0.5 * (times[i - 1] + times[i]));
    out.push_back(times[i]);
  }
  return out;
}

}  // namespace clitest
