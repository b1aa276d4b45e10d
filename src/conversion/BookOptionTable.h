// The one table of book options: for each, its name (the settings key), the command-line
// option and flags that set it, the window's control, the words it takes, its default, its
// help, and how a value is read from a word and written back as one. The command line, the child
// arguments of --each, the window's controls and its saved settings all go through it, so an option
// is added here once. Read-only after start; any thread.
#ifndef QUIREFORGE_CONVERSION_BOOKOPTIONTABLE_H_
#define QUIREFORGE_CONVERSION_BOOKOPTIONTABLE_H_

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOptions.h"

namespace quireforge {

// A word an option does not take; what() says why, naming the word, not the option.
class BookOptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How an option is given.
enum class OptionKind : uint8_t {
  kChoice,  // one of `words` (the window lists them in this order)
  kText,    // any text; empty is its default (the window: a text field)
  kPath,    // a file; empty is none (the window: a file field)
};

// A flag that sets an option to one of its words without a value ("--bold" sets "on").
struct OptionFlag {
  std::string_view flag;
  std::string_view word;
  std::string_view help;
};

struct BookOption {
  std::string_view name;  // the settings key
  // The command line's option that takes a word ("--margin"); empty when only flags set it.
  std::string_view option = {};
  std::vector<OptionFlag> flags = {};
  OptionKind kind = OptionKind::kChoice;
  std::vector<std::string_view> words = {};  // kChoice: every word, the default among them
  std::string_view placeholder = {};         // the value's name in the command line's help
  std::string_view help = {};                // of `option`
  // The window's control (its object name): a drop-down list of `words` or of a text's usual
  // values, a check box for an option that a flag switches, a text or file field.
  std::string_view control = {};
  // Sets `options` from `word` (UTF-8; paths may carry bytes that are not, see
  // FromUtf8Escaped); raises BookOptionError when the option does not take it.
  void (*set)(BookOptions* options, const std::string& word) = nullptr;
  // The word that gives `options`' value of this option back.
  std::string (*get)(const BookOptions& options) = nullptr;

  // The word of a default BookOptions.
  std::string DefaultWord() const { return get(BookOptions{}); }
};

// Every book option, in the order the command line's help and the window show them.
const std::vector<BookOption>& BookOptionTable();

// The option named `name`; raises std::out_of_range when there is none.
const BookOption& FindBookOption(std::string_view name);

// Why `expression` cannot serve as a chapter or volume expression (the engine's message, said
// plainly where the engine's words mislead); empty when it can.
std::string ExpressionProblem(std::u16string_view expression);

// The command line that gives `options` to a child: for each option away from what the child
// has by then (its default, or --classic's choice), its flag when a flag sets that word, else
// "--option=word" (so that a word beginning with "-" is never taken for an option).
std::vector<std::string> OptionArguments(const BookOptions& options);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKOPTIONTABLE_H_
