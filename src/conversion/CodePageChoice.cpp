#include "conversion/CodePageChoice.h"

#include <stdlib.h>

#include <cctype>

#include "base/AsciiText.h"
#include "conversion/JobParameters.h"

namespace quireforge {

CodePageChoice::CodePageChoice(std::unique_ptr<LegacyCodePage> code_page, bool detects)
    : code_page_(std::move(code_page)), detects_(detects) {}

CodePageChoice::CodePageChoice(std::string_view name)
    : CodePageChoice(std::make_unique<LegacyCodePage>(IsAuto(name) ? LegacyCodePage::LocaleName()
                                                                   : std::string(name)),
                     IsAuto(name)) {}

CodePageChoice CodePageChoice::Detecting() {
  return CodePageChoice(std::make_unique<LegacyCodePage>(LegacyCodePage::LocaleName()), true);
}

CodePageChoice CodePageChoice::FromEnvironment(const std::optional<std::string>& option) {
  if (option) return CodePageChoice(*option);
  const char* named = getenv("QUIREFORGE_CODEPAGE");
  if (named != nullptr && *named != '\0') return CodePageChoice(named);
  return Detecting();
}

bool CodePageChoice::IsAuto(std::string_view name) { return EqualsIgnoringAsciiCase(name, "auto"); }

void CodePageChoice::ApplyTo(JobEnvironment* environment) const {
  environment->code_page = code_page_.get();
  environment->detect_code_page = detects_;
}

}  // namespace quireforge
