#include "conversion/CodePageDetector.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <vector>

#include "conversion/LegacyCodePage.h"

namespace quireforge {

namespace {

// Three pieces and the two line feeds that join them fill the sample.
constexpr size_t kPieceSize = (kDetectionSampleLimit - 2) / 3;

// Fewer bytes outside ASCII than this are no ground for an answer: a multi-byte code page
// needs more than ten characters before the detector trusts it, and a single-byte one would
// be chosen by the statistics of the ASCII letters around a handful of bytes.
constexpr size_t kMinimumNonAscii = 20;

// The detector's confidence (0 to 100) an answer needs. UTF-8 at 25 means that the sample's
// valid multi-byte sequences outnumber its broken ones more than ten to one. A multi-byte
// code page scores by its most frequent characters and is sure of real text from a few
// dozen characters on (short texts of the code pages tried scored 88 to 100, the wrong
// multi-byte pages at most 80 on the same bytes and never first). Single-byte scores come
// from letter statistics and stay lower: Russian, Greek, Turkish and Czech texts scored 37
// to 66, French and German above 90, while texts in code pages the detector does not know
// (Vietnamese, Lithuanian) got wrong answers of at most 24.
constexpr int32_t kUtf8Confidence = 25;
constexpr int32_t kMultiByteConfidence = 50;
constexpr int32_t kSingleByteConfidence = 30;

struct Match {
  std::string name;
  int32_t confidence;
};

// The code pages the detector names whose characters take more than one byte (the stateful
// ISO-2022 family aside, which is never used).
bool IsMultiByte(std::string_view name) {
  return name == "GB18030" || name == "Big5" || name == "Shift_JIS" || name == "EUC-JP" ||
         name == "EUC-KR";
}

// The superset to decode with where it holds more characters for the same bytes.
std::string Superset(const std::string& name) {
  if (name == "ISO-8859-1") return "windows-1252";
  if (name == "ISO-8859-9") return "windows-1254";
  if (name == "EUC-KR") return "windows-949";
  if (name == "GB2312" || name == "GBK") return "GB18030";
  return name;
}

// True when the code page can decode sources: an ICU converter that is ASCII-compatible
// and stateless (UTF-16, which the text up to its first NUL cannot be, is not taken).
bool Usable(const std::string& name) {
  try {
    return LegacyCodePage(name).utf16() == LegacyCodePage::Utf16::kNo;
  } catch (const CodePageError&) {
    return false;
  }
}

size_t CountNonAscii(std::string_view bytes) {
  return static_cast<size_t>(std::count_if(
      bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
}

// Every answer of ICU's detector for `sample`, in falling confidence.
std::vector<Match> DetectAll(const std::string& sample) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::LocalUCharsetDetectorPointer detector(ucsdet_open(&status));
  if (U_FAILURE(status)) return {};
  ucsdet_setText(detector.getAlias(), sample.data(), static_cast<int32_t>(sample.size()), &status);
  int32_t count = 0;
  const UCharsetMatch** found = ucsdet_detectAll(detector.getAlias(), &count, &status);
  if (U_FAILURE(status) || found == nullptr) return {};
  std::vector<Match> matches;
  for (int32_t i = 0; i < count; ++i) {
    UErrorCode match_status = U_ZERO_ERROR;
    const char* name = ucsdet_getName(found[i], &match_status);
    const int32_t confidence = ucsdet_getConfidence(found[i], &match_status);
    if (U_SUCCESS(match_status) && name != nullptr) matches.push_back({name, confidence});
  }
  return matches;
}

// The piece of `text` from `begin` to `end`, its cuts moved to just after a line break
// where one lies within the outer half of the piece on that side.
std::string_view Piece(std::string_view text, size_t begin, size_t end) {
  const size_t half = (end - begin) / 2;
  if (begin > 0) {
    const size_t brk = text.substr(begin, half).find_first_of("\r\n");
    if (brk != std::string_view::npos) {
      begin += brk + 1;
      if (text[begin - 1] == '\r' && text[begin] == '\n') ++begin;  // CR LF is one break
    }
  }
  if (end < text.size()) {
    const size_t brk = text.substr(end - half, half).find_last_of("\r\n");
    if (brk != std::string_view::npos) end = end - half + brk + 1;
  }
  return text.substr(begin, end - begin);
}

}  // namespace

std::string DetectionSample(std::string_view text) {
  if (text.size() <= kDetectionSampleLimit) return std::string(text);
  const size_t middle = text.size() / 2 - kPieceSize / 2;
  std::string sample;
  sample.reserve(kDetectionSampleLimit);
  for (const size_t begin : {size_t{0}, middle, text.size() - kPieceSize}) {
    if (!sample.empty() && sample.back() != '\n' && sample.back() != '\r') sample += '\n';
    sample += Piece(text, begin, begin + kPieceSize);
  }
  return sample;
}

std::optional<std::string> DetectCodePage(std::string_view bytes) {
  const std::string sample = DetectionSample(bytes.substr(0, bytes.find('\0')));
  if (CountNonAscii(sample) < kMinimumNonAscii) return std::nullopt;
  const std::vector<Match> matches = DetectAll(sample);
  for (const Match& match : matches) {
    if (match.name == "UTF-8" && match.confidence >= kUtf8Confidence) return match.name;
  }
  for (const Match& match : matches) {
    if (IsMultiByte(match.name) && match.confidence >= kMultiByteConfidence &&
        Usable(Superset(match.name))) {
      return Superset(match.name);
    }
  }
  for (const Match& match : matches) {
    if (match.name != "UTF-8" && !IsMultiByte(match.name) &&
        match.confidence >= kSingleByteConfidence && Usable(Superset(match.name))) {
      return Superset(match.name);
    }
  }
  return std::nullopt;
}

}  // namespace quireforge
