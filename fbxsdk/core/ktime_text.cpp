// Text forms of KTime: time code ("hhh:mm:ss.ff") and frame count.
#include <cctype>
#include <cinttypes>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fbxsdk/core/ktime.h"
#include "fbxsdk/core/ktime_modes.h"

using ktime_detail::Wide;

namespace {

constexpr size_t kLongestText = 18;  // longer texts are not times

// Fixed texts for the infinite values, per style, in the time code protocol
// (styles 5 and 6 only) and the frame-count protocol.
struct InfiniteTexts {
  const char* m_pszPlus;
  const char* m_pszMinus;
};
constexpr InfiniteTexts kTimeCodeInfinite[] = {
    {"---:--:--.--", "- ---:--:--.--"},            // style 5
    {"---:--:--.-- (--)", "- ---:--:--.-- (--)"},  // style 6
};
constexpr InfiniteTexts kFrameInfinite[] = {
    {"---", "---"},                // styles 1 to 4
    {"  ---", "- ---"},            // style 5
    {"  --- (--)", "- --- (--)"},  // style 6
};

int ResolveProtocol(int iProtocol) {
  return iProtocol == KTime::eDEFAULT_PROTOCOL ? KTime::GetGlobalTimeProtocol() : iProtocol;
}

KString Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
KString Format(const char* pszFormat, ...) {
  char acBuffer[96];
  va_list xArgs;
  va_start(xArgs, pszFormat);
  std::vsnprintf(acBuffer, sizeof acBuffer, pszFormat, xArgs);
  va_end(xArgs);
  return KString(acBuffer);
}

KString TimeCodeText(const KTime& xTime, int iStyle, int iMode) {
  const int64_t llTicks = xTime.Get();
  if (iStyle == KTime::eSTYLE_FRAMES_MARKED || iStyle == KTime::eSTYLE_FIELDS) {
    const InfiniteTexts& xInf = kTimeCodeInfinite[iStyle - KTime::eSTYLE_FRAMES_MARKED];
    if (xTime.IsInfinite()) return xInf.m_pszPlus;
    if (xTime.IsMinusInfinite()) return xInf.m_pszMinus;
  }
  KTimeCode xC;
  if (!xTime.ToTimeCode(xC, iMode)) return KString();
  KString xText;
  switch (iStyle) {
    case KTime::eSTYLE_HOURS:
      xText = Format("%03d", xC.m_iHours);
      break;
    case KTime::eSTYLE_MINUTES:
      xText = Format("%03d:%02d", xC.m_iHours, xC.m_iMinutes);
      break;
    case KTime::eSTYLE_SECONDS:
      xText = Format("%03d:%02d:%02d", xC.m_iHours, xC.m_iMinutes, xC.m_iSeconds);
      break;
    case KTime::eSTYLE_FRAMES:
      xText = Format("%03d:%02d:%02d.%02d", xC.m_iHours, xC.m_iMinutes, xC.m_iSeconds, xC.m_iFrames);
      break;
    case KTime::eSTYLE_FRAMES_MARKED: {
      const bool bSubFrame = llTicks % KTime::GetOneFrameValue(iMode) != 0;
      xText = Format(bSubFrame ? "%03d:%02d:%02d.%02d*" : "%03d:%02d:%02d.%02d", xC.m_iHours, xC.m_iMinutes,
                     xC.m_iSeconds, xC.m_iFrames);
      break;
    }
    case KTime::eSTYLE_FIELDS:
      xText =
          Format("%03d:%02d:%02d.%02d (%02d)", xC.m_iHours, xC.m_iMinutes, xC.m_iSeconds, xC.m_iFrames, xC.m_iFields);
      break;
    default:
      return KString();
  }
  // Negative times have negative hours; the sign always leads the text.
  if (llTicks < 0) xText = KString("-") + xText.Mid(1);
  return xText;
}

KString FrameCountText(const KTime& xTime, int iStyle, int iMode) {
  if (iStyle < KTime::eSTYLE_HOURS || iStyle > KTime::eSTYLE_FIELDS) return KString();
  const int64_t llPerFrame = KTime::GetOneFrameValue(iMode);
  if (llPerFrame == 0) return KString();
  const InfiniteTexts& xInf = kFrameInfinite[iStyle < KTime::eSTYLE_FRAMES_MARKED ? 0 : iStyle - 4];
  if (xTime.IsInfinite()) return xInf.m_pszPlus;
  if (xTime.IsMinusInfinite()) return xInf.m_pszMinus;

  const int64_t llTicks = xTime.Get();
  // The count is truncated toward zero and the sign is the count's: less
  // than a frame before zero is frame 0 with a sub-frame part.
  const int64_t llCount = llTicks / llPerFrame;
  const bool bNegative = llCount < 0;
  const int64_t llAbsCount = llCount < 0 ? -llCount : llCount;
  const int64_t llSub = llTicks % llPerFrame;
  const int64_t llAbsSub = llSub < 0 ? -llSub : llSub;
  const int iHundredths = static_cast<int>(Wide(llAbsSub) * 100 / llPerFrame);
  switch (iStyle) {
    case KTime::eSTYLE_FRAMES_MARKED:
      if (bNegative) return Format(llAbsSub ? "- %" PRId64 "*" : "-%" PRId64, llAbsCount);
      return Format(llAbsSub ? "%" PRId64 "*" : "%" PRId64, llAbsCount);
    case KTime::eSTYLE_FIELDS:
      return Format(bNegative ? "- %" PRId64 " (%02d)" : "%" PRId64 " (%02d)", llAbsCount, iHundredths);
    default:
      return Format(bNegative ? "- %" PRId64 : "%" PRId64, llAbsCount);
  }
}

// Small cursor over the text being read.
class TextReader {
 public:
  explicit TextReader(const std::string& xText) : m_xText(xText) {}
  bool AtEnd() const { return m_uPos >= m_xText.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_xText[m_uPos]; }
  bool Accept(char cChar) {
    if (Peek() != cChar) return false;
    ++m_uPos;
    return true;
  }
  void SkipSpaces() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(Peek()))) ++m_uPos;
  }
  // Digits only; the count of digits read goes to uDigits.
  bool Digits(int64_t& llValue, size_t& uDigits) {
    llValue = 0;
    uDigits = 0;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) {
      llValue = llValue * 10 + (Peek() - '0');  // at most 18 digits: no overflow
      ++uDigits;
      ++m_uPos;
    }
    return uDigits > 0;
  }
  bool Integer(int64_t& llValue) {
    const bool bNegative = Accept('-');
    size_t uDigits;
    if (!Digits(llValue, uDigits)) return false;
    if (bNegative) llValue = -llValue;
    return true;
  }
  // A number in the manner of "%I64d": an optional "+" or "-" directly
  // followed by digits. bNegative tells a "-0" from a "0".
  bool SignedInteger(int64_t& llValue, bool& bNegative) {
    bNegative = Accept('-');
    if (!bNegative) Accept('+');
    size_t uDigits;
    if (!Digits(llValue, uDigits)) return false;
    if (bNegative) llValue = -llValue;
    return true;
  }

 private:
  const std::string& m_xText;
  size_t m_uPos = 0;
};

// Decimal digits after a "." as hundredths: one digit counts as tens, more
// than two are cut.
int FractionHundredths(int64_t llValue, size_t uDigits) {
  if (uDigits == 1) return static_cast<int>(llValue * 10);
  for (; uDigits > 2; --uDigits) llValue /= 10;
  return static_cast<int>(llValue);
}

// An optional "." and digits, added to the hundredths; false when the dot
// has no digits after it.
bool AddFraction(TextReader& xReader, int64_t& llHundredths) {
  if (!xReader.Accept('.')) return true;
  int64_t llFraction;
  size_t uDigits;
  if (!xReader.Digits(llFraction, uDigits)) return false;
  llHundredths += FractionHundredths(llFraction, uDigits);
  return true;
}

std::string Trimmed(const char* pszText) {
  std::string xText(pszText);
  while (!xText.empty() && std::isspace(static_cast<unsigned char>(xText.back()))) xText.pop_back();
  size_t uStart = 0;
  while (uStart < xText.size() && std::isspace(static_cast<unsigned char>(xText[uStart]))) ++uStart;
  return xText.substr(uStart);
}

bool FitsInt(int64_t llValue) { return llValue >= INT_MIN && llValue <= INT_MAX; }

// Splits off a trailing "(n)" and returns n through iHundredths; false when
// n does not fit.
bool TakeParenthesised(std::string& xText, int& iHundredths) {
  iHundredths = 0;
  if (xText.empty() || xText.back() != ')') return true;
  const size_t uOpen = xText.rfind('(');
  if (uOpen == std::string::npos) return false;
  const std::string xInner = xText.substr(uOpen + 1, xText.size() - uOpen - 2);
  TextReader xReader(xInner);
  int64_t llValue;
  xReader.SkipSpaces();
  if (!xReader.Integer(llValue)) return false;
  xReader.SkipSpaces();
  if (!xReader.AtEnd() || !FitsInt(llValue)) return false;
  iHundredths = static_cast<int>(llValue);
  xText = Trimmed(xText.substr(0, uOpen).c_str());
  return true;
}

bool ReadTimeCode(KTime& xTime, const std::string& xWhole, int iMode) {
  std::string xText = xWhole;
  int iHundredths;
  if (!TakeParenthesised(xText, iHundredths)) return false;
  TextReader xReader(xText);

  // Numbers separated by ":" or ";": seconds, minutes:seconds or
  // hours:minutes:seconds; a fourth one is the frame number, as in
  // hh:mm:ss:ff and the drop-frame hh:mm:ss;ff.
  int64_t allNumbers[4] = {0, 0, 0, 0};
  int iCount = 0;
  do {
    if (iCount == 4 || !xReader.Integer(allNumbers[iCount])) return false;
    ++iCount;
  } while (xReader.Accept(':') || xReader.Accept(';'));

  int64_t llHours = 0, llMinutes = 0, llSeconds = 0, llFrames = 0;
  int iNext = 0;
  if (iCount >= 3) llHours = allNumbers[iNext++];
  if (iCount >= 2) llMinutes = allNumbers[iNext++];
  llSeconds = allNumbers[iNext++];
  bool bHaveFrames = false;
  if (iCount == 4) {
    llFrames = allNumbers[iNext++];
    bHaveFrames = true;
  }
  if (!bHaveFrames && xReader.Accept('.')) {
    size_t uDigits;
    if (!xReader.Digits(llFrames, uDigits)) return false;
  }
  int64_t llHundredths = iHundredths;
  if (!AddFraction(xReader, llHundredths)) return false;
  if (!xReader.AtEnd()) return false;
  // A field the time code cannot hold makes no time (it is not cut down to
  // one that it can).
  for (int64_t llField : {llHours, llMinutes, llSeconds, llFrames, llHundredths})
    if (!FitsInt(llField)) return false;
  return xTime.FromTimeCode(static_cast<int>(llHours), static_cast<int>(llMinutes), static_cast<int>(llSeconds),
                            static_cast<int>(llFrames), 0, static_cast<int>(llHundredths), iMode);
}

bool ReadFrameCount(KTime& xTime, const std::string& xWhole, int iMode) {
  std::string xText = xWhole;
  int iHundredths;
  if (!TakeParenthesised(xText, iHundredths)) return false;
  TextReader xReader(xText);
  // The signed whole count, then the hundredths added to it: "-12.5" is
  // half a frame after frame -12. The sign must touch the digits, so the
  // display form "- 12" of a negative count is not read.
  int64_t llFrames;
  bool bNegative;
  if (!xReader.SignedInteger(llFrames, bNegative)) return false;
  int64_t llHundredths = iHundredths;
  if (!AddFraction(xReader, llHundredths)) return false;
  xReader.Accept('*');
  if (!xReader.AtEnd() || !FitsInt(llHundredths)) return false;
  // "-0.5" has no whole count to carry its sign: the hundredths take it.
  if (bNegative && llFrames == 0) llHundredths = -llHundredths;

  const Wide perFrame = KTime::GetOneFrameValue(iMode);
  const Wide part = Wide(llHundredths) * perFrame;
  const Wide ticks = Wide(llFrames) * perFrame + (part > 0 ? (part + 99) / 100 : part / 100);
  if (ticks > INT64_MAX || ticks < INT64_MIN) return false;
  xTime.Set(static_cast<int64_t>(ticks));
  return true;
}

}  // namespace

KString KTime::ToText(int iStyle, int iMode, int iProtocol) const {
  const int iResolvedMode = ResolveMode(iMode);
  switch (ResolveProtocol(iProtocol)) {
    case eSMPTE:
      return TimeCodeText(*this, iStyle, iResolvedMode);
    case eFRAME:
      return FrameCountText(*this, iStyle, iResolvedMode);
    default:
      return KString();
  }
}

bool KTime::FromText(const char* pszText, int iMode, int iProtocol) {
  if (!pszText) return false;
  const size_t uLength = std::strlen(pszText);
  if (uLength == 0 || uLength > kLongestText) return false;
  const int iResolvedMode = ResolveMode(iMode);
  if (!ktime_detail::CountingOf(iResolvedMode)) return false;
  const std::string xText = Trimmed(pszText);
  switch (ResolveProtocol(iProtocol)) {
    case eSMPTE:
      return ReadTimeCode(*this, xText, iResolvedMode);
    case eFRAME:
      return ReadFrameCount(*this, xText, iResolvedMode);
    default:
      return false;
  }
}
