// Finds the code page of a text from its bytes, for sources that carry no byte-order mark and
// are not valid UTF-8. ICU's charset detector looks at a sample built from the start, the
// middle and the end of the text; its best confident answer that names an ASCII-compatible,
// stateless code page is taken. Stateless free functions; any thread; never fail on content.
#ifndef QUIREFORGE_CONVERSION_CODEPAGEDETECTOR_H_
#define QUIREFORGE_CONVERSION_CODEPAGEDETECTOR_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quireforge {

// The most bytes ICU's detector looks at; a sample never exceeds it.
inline constexpr size_t kDetectionSampleLimit = 8192;

// The bytes the detector is shown for `text` (which must end where the text ends, at its
// first NUL): the whole text when it fits, else a piece from its start, one from its middle
// and one from its end, each cut after a line break where one lies near the cut so that
// characters stay whole, joined by line feeds.
std::string DetectionSample(std::string_view text);

// The code page of `bytes` as an ICU converter name ("GB18030", "Big5", "Shift_JIS",
// "windows-949", "windows-1252", ...), or "UTF-8" for UTF-8 with a few broken bytes; no
// value when the detector has no confident answer. Only the bytes before the first NUL
// count. An answer needs enough bytes outside ASCII to go on; a multi-byte code page the
// detector is sure of beats a single-byte one, whose statistics the ASCII letters sway.
// Where a superset decodes more, it is named instead (windows-1252 for ISO-8859-1,
// windows-1254 for ISO-8859-9, windows-949 for EUC-KR, GB18030 for GB2312 and GBK).
std::optional<std::string> DetectCodePage(std::string_view bytes);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_CODEPAGEDETECTOR_H_
