// How the code page of a source without byte-order mark that is not valid UTF-8 is chosen:
// a code page the user named (--codepage, QUIREFORGE_CODEPAGE) always wins; with none named,
// or with "auto", it is found from each source's text, and the locale's code page serves when
// the text does not tell. The named or the locale's code page is also the plain writer's.
// Owned by the caller, which keeps it alive for every job using it. One thread at a time.
#ifndef QUIREFORGE_CONVERSION_CODEPAGECHOICE_H_
#define QUIREFORGE_CONVERSION_CODEPAGECHOICE_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "conversion/LegacyCodePage.h"

namespace quireforge {

struct JobEnvironment;

class CodePageChoice {
 public:
  // `name` is an ICU converter name, or "auto" (in any letter case) for detection. Raises
  // CodePageError for a name that cannot be used, as LegacyCodePage does.
  explicit CodePageChoice(std::string_view name);

  CodePageChoice(CodePageChoice&&) = default;
  CodePageChoice& operator=(CodePageChoice&&) = default;

  // Detection, with the locale's code page (LegacyCodePage::LocaleName) when the text does
  // not tell. Never raises.
  static CodePageChoice Detecting();
  // `option` when given (the command line's --codepage), else QUIREFORGE_CODEPAGE when set and
  // not empty, else detection. Raises CodePageError for an unusable name.
  static CodePageChoice FromEnvironment(const std::optional<std::string>& option = std::nullopt);

  // True when "auto" asks for detection (any letter case).
  static bool IsAuto(std::string_view name);

  // True: sources are decoded in the code page found from their text, code_page() when none
  // is found. False: every source is decoded in code_page(), the one named.
  bool detects() const { return detects_; }
  // The code page named, or the locale's when detecting.
  const LegacyCodePage& code_page() const { return *code_page_; }

  // Sets the environment's code page and detection to this choice's; `environment` must not
  // outlive this object.
  void ApplyTo(JobEnvironment* environment) const;

 private:
  CodePageChoice(std::unique_ptr<LegacyCodePage> code_page, bool detects);

  std::unique_ptr<LegacyCodePage> code_page_;  // never null
  bool detects_ = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_CODEPAGECHOICE_H_
