#include "bvh_numbers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "bvh_row_numbers.h"
#include "diagnostics.h"

namespace Boneplay {
namespace Cli {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t digitsAt(const std::string& s, std::size_t p) {
  std::size_t n = 0;
  while (p + n < s.size() && isDigit(s[p + n])) ++n;
  return n;
}

std::string numberText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", v);
  return buf;
}

// "Hips Xrotation", or "channel 7" past the known columns.
std::string channelName(const std::vector<std::string>& columns, std::size_t i) {
  return i < columns.size() ? columns[i] : "channel " + std::to_string(i + 1);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::vector<double> rowNumbersOf(const std::string& word) { return Kvat::Bvh::scannedRowNumbers(word); }

bool isPointlessExponent(const std::string& word) {
  std::size_t p = word.compare(0, 1, "-") == 0 ? 1 : 0;
  const std::size_t mantissa = digitsAt(word, p);
  p += mantissa;
  if (mantissa == 0 || p >= word.size() || (word[p] != 'e' && word[p] != 'E')) return false;
  ++p;
  if (p < word.size() && (word[p] == '+' || word[p] == '-')) ++p;
  const std::size_t exponent = digitsAt(word, p);
  return exponent > 0 && p + exponent == word.size();
}

std::string withDecimalPoint(const std::string& word) {
  const std::size_t e = word.find_first_of("eE");
  return e == std::string::npos ? word : word.substr(0, e) + ".0" + word.substr(e);
}

std::string wordAt(const std::string& line, int column) {
  const std::size_t at = column > 0 ? static_cast<std::size_t>(column - 1) : 0;
  if (at >= line.size()) return "";
  const std::size_t start = line.find_last_of(" \t", at);
  const std::size_t from = start == std::string::npos ? 0 : start + 1;
  const std::size_t end = line.find_first_of(" \t\r", at);
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

std::size_t numbersBefore(const std::string& line, int column) {
  const std::size_t at = column > 0 ? static_cast<std::size_t>(column - 1) : 0;
  const std::size_t start = line.find_last_of(" \t", std::min(at, line.size()));
  const std::string before = start == std::string::npos ? std::string() : line.substr(0, start);
  std::size_t n = 0, p = 0;
  while (p < before.size()) {
    const std::size_t from = before.find_first_not_of(" \t\r", p);
    if (from == std::string::npos) break;
    const std::size_t end = std::min(before.find_first_of(" \t\r", from), before.size());
    n += rowNumbersOf(before.substr(from, end - from)).size();
    p = end;
  }
  return n;
}

std::string pointlessExponentSentence(const std::string& word, std::size_t channel,
                                      const std::vector<std::string>& columns, std::size_t row) {
  std::string s = "\"" + word +
                  "\" is not a number in this BVH dialect, which needs a decimal point in a number with an "
                  "exponent: write " +
                  withDecimalPoint(word);
  if (row == 0) return s;
  const std::string inRow = " in row " + std::to_string(row);
  const std::vector<double> taken = rowNumbersOf(word);
  const std::string first = channelName(columns, channel);
  if (taken.empty()) {
    s += "; the reader skips it, so from " + first + " on the values" + inRow + " land one channel early";
    if (channel + 1 < columns.size())
      s += ", and the values of " + columns.back() + ", the last channel, are shifted one frame early from that row on";
    return s;
  }
  s += "; the reader reads it as " + numberText(taken[0]) + ", so " + first + " is " + numberText(taken[0]) + inRow;
  if (taken.size() > 1)
    s += " and from " + channelName(columns, channel + 1) + " on the row's values land " +
         countOf(taken.size() - 1, "channel") + " late";
  return s;
}

std::optional<std::string> readLineOf(const std::string& path, int line) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file || line < 1) return std::nullopt;
  char buffer[65536];
  std::string text;
  int at = 1;
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    const char* p = buffer;
    const char* end = buffer + n;
    while (p != end) {
      const char* lineFeed = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      const char* stop = lineFeed ? lineFeed : end;
      if (at == line) text.append(p, static_cast<std::size_t>(stop - p));
      if (!lineFeed) break;
      if (at == line) return text;
      ++at;
      p = lineFeed + 1;
    }
  }
  if (at == line) return text;
  return std::nullopt;
}

}  // namespace Cli
}  // namespace Boneplay
