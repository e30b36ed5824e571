#include "diagnostics.h"

#include <algorithm>
#include <cstdio>

#include "bvh_numbers.h"

namespace Boneplay {
namespace Cli {

namespace {

// Texts at fault are quoted up to this many bytes.
constexpr std::size_t kQuotedText = 40;

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

std::string quoted(const std::string& text) {
  std::string q = "\"";
  for (std::size_t i = 0; i < text.size() && i < kQuotedText; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      q += buf;
    } else {
      q += static_cast<char>(c);
    }
  }
  if (text.size() > kQuotedText) q += "...";
  return q + "\"";
}

// The length of a well-formed UTF-8 sequence starting at pos, or 0.
std::size_t utf8Length(const std::string& s, std::size_t pos, unsigned& code) {
  const unsigned char c = static_cast<unsigned char>(s[pos]);
  const std::size_t n = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (n == 0 || n > s.size() - pos) return 0;
  code = c & (0xFF >> (n + 1));
  for (std::size_t i = 1; i < n; ++i) {
    const unsigned char d = static_cast<unsigned char>(s[pos + i]);
    if ((d & 0xC0) != 0x80) return 0;
    code = (code << 6) | (d & 0x3F);
  }
  return n;
}

// One character of a name as a person reads it: ':' or 'ü' (U+00FC) or the byte 0x80.
std::string describeCharacter(const std::string& name, std::size_t pos) {
  if (pos >= name.size()) return "nothing";
  const unsigned char c = static_cast<unsigned char>(name[pos]);
  char buf[48];
  if (c >= 0x20 && c < 0x7f) {
    std::snprintf(buf, sizeof buf, "'%c'", c);
    return buf;
  }
  unsigned code = 0;
  if (const std::size_t n = utf8Length(name, pos, code)) {
    std::snprintf(buf, sizeof buf, " (U+%04X)", code);
    return "'" + name.substr(pos, n) + "'" + buf;
  }
  std::snprintf(buf, sizeof buf, "the byte 0x%02X", c);
  return buf;
}

std::string badNameSentence(const BvhJointLine& joint) {
  return "the joint name " + quoted(joint.name) + " holds " +
         describeCharacter(joint.name, firstOutsideDialect(joint.name)) +
         ", but a name may hold only letters, digits and underscores";
}

const BvhJointLine* badNameOnLine(const BvhFacts& facts, int line) {
  for (const BvhJointLine& j : facts.joints)
    if (j.line == line && !isDialectName(j.name)) return &j;
  return nullptr;
}

std::string placeOf(const ReaderError& e) {
  std::string s = " at line " + std::to_string(e.line);
  if (e.column > 0) s += ", column " + std::to_string(e.column);
  if (e.text.empty()) return s + ", at the end of the file";
  if (e.text == "\n") return s + (e.column == 1 ? ", an empty line" : ", at the line end");
  return s + ", at " + quoted(e.text);
}

// Rows that start before the place of an error (a row the error ends is read).
std::size_t rowsBefore(const BvhFacts& facts, const ReaderError& e) {
  std::size_t n = 0;
  const bool endsRow = e.text.empty() || e.text == "\n";
  for (int line : facts.rowLines)
    if (line < e.line || (line == e.line && endsRow)) ++n;
  return n;
}

// Whether the error cost any frame: what had been read when it happened and,
// when that was not every declared frame, what was read in the end.
std::string framesContext(const BvhLoadView& load, std::size_t rows) {
  const BvhFacts& facts = load.facts;
  const bool declared = facts.declaredFrames && *facts.declaredFrames >= 1;
  if (declared && rows >= *facts.declaredFrames)
    return "after all " + number(*facts.declaredFrames) + " declared frames were read";
  if (!declared && rows > 0 && rows == facts.rowLines.size() && load.samples == rows)
    return "after all " + countOf(rows, "row") + " of the file " + (rows == 1 ? "was" : "were") + " read";
  std::string s = rows == 0 ? std::string("before the first frame")
                            : "after " + countOf(rows, "frame") + (rows == 1 ? " was" : " were") + " read";
  if (load.samples < facts.rowLines.size())
    return s + "; the reader stops there and the rows after it are lost (" + std::to_string(load.samples) + " of " +
           countOf(facts.rowLines.size(), "row") + " read)";
  s += "; the reader went on and read " + countOf(load.samples, "frame") + " in all";
  if (declared) s += " (the file declares " + number(*facts.declaredFrames) + ")";
  return s;
}

// The 1-based row a line holds, or 0.
std::size_t rowOfLine(const BvhFacts& facts, int line) {
  const auto found = std::lower_bound(facts.rowLines.begin(), facts.rowLines.end(), line);
  return found != facts.rowLines.end() && *found == line ? static_cast<std::size_t>(found - facts.rowLines.begin()) + 1
                                                         : 0;
}

std::string contextOf(const BvhLoadView& load, const ReaderError& e) {
  const BvhFacts& facts = load.facts;
  const std::string word = wordAt(load.errorLine, e.column);
  if (isPointlessExponent(word)) {
    const std::size_t row = rowOfLine(facts, e.line);
    const std::string sentence =
        ": " + pointlessExponentSentence(word, numbersBefore(load.errorLine, e.column), load.columns, row);
    if (row > 0) return sentence;
    if (facts.motionLine > 0 && e.line > facts.motionLine)
      return sentence + "; the line is taken as a bad header, " + framesContext(load, rowsBefore(facts, e));
    return sentence + "; the reader stops reading the skeleton there";
  }
  if (const BvhJointLine* bad = badNameOnLine(facts, e.line))
    return ": " + badNameSentence(*bad) + "; the reader stops reading the skeleton there";
  if (facts.motionLine > 0 && e.line == facts.motionLine && e.text != "\n")
    return ": MOTION must stand alone on its line; the reader stops there";
  if (facts.motionLine > 0 && e.line > facts.motionLine) return ", " + framesContext(load, rowsBefore(facts, e));
  return "; the reader stops reading there";
}

// Rows beyond the declared frame count, or declared frames without rows, by row and line.
std::string rowsWarning(const BvhFacts& facts) {
  if (!facts.declaredFrames || facts.rowLines.size() == *facts.declaredFrames) return "";
  const std::size_t rows = facts.rowLines.size();
  const double declared = *facts.declaredFrames;
  std::string s = "the file declares " + countOf(static_cast<std::size_t>(declared < 0 ? 0 : declared), "frame") +
                  " but holds " + countOf(rows, "row") + " of numbers";
  if (declared >= 0 && rows > declared) {
    const std::size_t first = static_cast<std::size_t>(declared);  // 0-based index of the first extra row
    s += first + 1 == rows
             ? ": row " + std::to_string(rows) + " (line " + std::to_string(facts.rowLines.back()) +
                   ") is beyond the declared count; the reader keeps it"
             : ": rows " + std::to_string(first + 1) + " to " + std::to_string(rows) + " (lines " +
                   std::to_string(facts.rowLines[first]) + " to " + std::to_string(facts.rowLines.back()) +
                   ") are beyond the declared count; the reader keeps them";
  } else {
    s += rows + 1 >= declared ? ": frame " + number(declared) + " is missing"
                              : ": frames " + std::to_string(rows + 1) + " to " + number(declared) + " are missing";
    if (rows > 0)
      s += "; the clip ends with row " + std::to_string(rows) + " (line " + std::to_string(facts.rowLines.back()) + ")";
  }
  return s;
}

std::vector<std::string> readerErrors(const BvhLoadView& load) { return splitReaderOutput(load.output.out).errors; }

// Whether the first error cost nothing: it stands after every row of the
// file, and every channel holds a sample of every row.
bool nothingLost(const BvhLoadView& load) {
  const BvhFacts& facts = load.facts;
  if (load.output.located.empty() || facts.rowLines.empty()) return false;
  const ReaderError& e = load.output.located.front();
  const bool atTheEnd = e.text.empty() || e.text == "\n";
  return atTheEnd && e.line >= facts.rowLines.back() && rowsBefore(facts, e) == facts.rowLines.size() &&
         load.fewestSamples == facts.rowLines.size() && load.samples == facts.rowLines.size();
}

}  // namespace

std::string countOf(std::size_t n, const char* singular, const char* plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural ? plural : std::string(singular) + "s");
}

std::string describeFirstError(const BvhLoadView& load) {
  if (!load.output.located.empty()) {
    const ReaderError& e = load.output.located.front();
    if (e.line > 0) return e.message + placeOf(e) + contextOf(load, e);
    return e.message;
  }
  const std::vector<std::string> errors = readerErrors(load);
  if (!errors.empty()) return "the reader reported " + quoted(errors.front());
  const std::vector<std::string> fatal = scannerFatalMessages(load.output.err);
  if (!fatal.empty()) return "the reader's scanner stopped: " + quoted(fatal.front());
  return "";
}

BvhMessages bvhMessages(const BvhLoadView& load) {
  BvhMessages messages;
  std::vector<std::string>& warnings = messages.warnings;
  const BvhFacts& facts = load.facts;
  const ReaderOutputParts parts = splitReaderOutput(load.output.out);
  const std::vector<std::string> fatal = scannerFatalMessages(load.output.err);

  int explainedLine = 0;
  if (!parts.errors.empty() || !fatal.empty()) {
    std::string first = describeFirstError(load);
    const std::size_t more = parts.errors.size() + fatal.size() - 1;
    if (more > 0) first += " (and " + countOf(more, "more report") + "; --verbose shows them)";
    if (fatal.empty() && nothingLost(load))
      messages.notes.push_back(first + "; nothing was lost");
    else
      warnings.push_back(first);
    if (!load.output.located.empty()) explainedLine = load.output.located.front().line;
  }
  bool namesExplained = false;
  for (const BvhJointLine& j : facts.joints) {
    if (isDialectName(j.name)) continue;
    namesExplained = true;
    if (j.line != explainedLine)
      warnings.push_back(badNameSentence(j) + " (line " + std::to_string(j.line) +
                         "); the reader does not take it as written");
    break;
  }
  std::string echoed;
  for (char c : parts.echoed)
    if (c != '\r') echoed += c;
  if (!echoed.empty() && !namesExplained)
    warnings.push_back("the reader skipped " + countOf(echoed.size(), "character") +
                       " that no rule of the dialect knows (the first: " + describeCharacter(echoed, 0) + ")");
  if (facts.loneCarriageReturns > 0)
    warnings.push_back(countOf(facts.loneCarriageReturns, "line end") +
                       (facts.loneCarriageReturns == 1 ? " is" : " are") +
                       " a carriage return alone, which the reader does not take as a line end");
  const std::string rows = rowsWarning(facts);
  if (!rows.empty()) warnings.push_back(rows);
  return messages;
}

std::string bvhEmptyReason(const BvhLoadView& load) {
  const BvhFacts& facts = load.facts;
  const std::string error = describeFirstError(load);
  if (load.joints == 0) {
    if (facts.bytes == 0) return "the file is empty";
    if (!facts.hierarchy) return "it holds no BVH hierarchy (a clip starts with HIERARCHY and a ROOT joint)";
    return "no joint was read from it" +
           (error.empty() ? std::string(": the hierarchy has no ROOT joint") : ": " + error);
  }
  if (load.samples > 0) return "";
  if (facts.loneCarriageReturns > 0 && facts.rowLines.empty())
    return "its lines end in a carriage return alone, which the reader does not take as a line end, so the MOTION "
           "section ends at its first line and no frame is read";
  const std::string joints =
      "its " + countOf(load.joints, "joint") + (load.joints == 1 ? " has" : " have") + " no motion sample";
  if (!error.empty()) return joints + ": " + error;
  if (facts.motionLine == 0) return joints + ": the file has no MOTION section";
  return joints + ": no row of numbers follows MOTION";
}

}  // namespace Cli
}  // namespace Boneplay
