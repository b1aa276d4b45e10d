// quireforge-cli's command line, defined once: every option with its names, value and help,
// bound to a CliOptions, the book options taken from the option table. The parser reads argv
// through it, and the build makes the bash completion and the man page's option list from the
// same definition (CliDocuments), so that neither can differ from --help. One thread.
#ifndef QUIREFORGE_CLI_CLIDEFINITION_H_
#define QUIREFORGE_CLI_CLIDEFINITION_H_

#include <CLI/CLI.hpp>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"

namespace quireforge {

struct BookOption;
struct OptionFlag;

// The code pages the completion offers for --codepage (any ICU name is taken).
inline constexpr std::string_view kUsualCodePages[] = {
    "auto",         "GB18030",      "Big5",         "Shift_JIS",    "EUC-JP",       "windows-949",
    "windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254", "windows-1255",
    "windows-1256", "windows-1257", "windows-1258", "windows-874",  "KOI8-R"};

class CliDefinition {
 public:
  // Defines every option, bound to `options`, which must outlive the definition.
  explicit CliDefinition(CliOptions* options);

  CliDefinition(const CliDefinition&) = delete;
  CliDefinition& operator=(const CliDefinition&) = delete;

  CLI::App& App() { return app_; }
  const CLI::App& App() const { return app_; }

  // The book option an option or flag of the command line sets, or null.
  const BookOption* BookOptionOf(const CLI::Option& option) const;

  // After parsing: checks what the options do not check themselves and sets the book options
  // from their words through the option table. Returns kExitUsage after printing a usage error
  // to stderr; std::nullopt when the options are ready.
  std::optional<int> Finish();

 private:
  struct FlagGiven {
    const BookOption* option;
    const OptionFlag* flag;
    bool set = false;
  };

  CliOptions* options_;
  CLI::App app_;
  CLI::Option* output_ = nullptr;
  // The book options: the word each option of the table was given, the CLI11 option of each
  // option and flag, and the flags with whether they were given.
  std::map<std::string_view, std::string> words_;
  std::map<std::string_view, CLI::Option*> given_;
  std::vector<FlagGiven> flags_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_CLIDEFINITION_H_
