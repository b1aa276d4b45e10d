// The one table of book options: for each, its name (the settings key), the command-line
// option and flags that set it, the words it takes (its range), its default, its help, and
// how a value is read from a word and written back as one. The command line, the child
// arguments of --each, the job's checks, the window (which maps its own controls to the
// options by name) and its saved settings all read it, so an option is added here once, with
// the code that uses its value. Read-only after start; any thread.
#ifndef QUIREFORGE_CONVERSION_BOOKOPTIONTABLE_H_
#define QUIREFORGE_CONVERSION_BOOKOPTIONTABLE_H_

#include <cstdint>
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
  kChoice,  // one of `words`
  kText,    // any text that `set` takes; `words` are the usual ones
  kPath,    // a file; empty is none
};

// A flag that sets an option to one of its words without a value ("--bold" sets "on").
struct OptionFlag {
  std::string_view flag;
  std::string_view word;
  std::string_view help;
};

struct BookOption {
  std::string_view name;  // the settings key, and the window's name for the option
  // The command line's option that takes a word ("--margin"); empty when only flags set it.
  std::string_view option = {};
  std::vector<OptionFlag> flags = {};
  OptionKind kind = OptionKind::kChoice;
  // kChoice: every word the option takes, in the order lists show them, the default among
  // them; an empty word is "none", which only the window offers. kText: the usual words (the
  // window's list and the completion), the default first. kPath: none.
  std::vector<std::string_view> words = {};
  // kText and kPath: the value's name in the command line's help (a choice shows its words).
  std::string_view placeholder = {};
  // kPath: the file name extensions of the files it takes, lower case.
  std::vector<std::string_view> extensions = {};
  std::string_view help = {};  // of `option`; flags carry their own
  // Sets `options` from `word` (UTF-8; paths may carry bytes that are not, see
  // FromUtf8Escaped); raises BookOptionError when the option does not take it.
  void (*set)(BookOptions* options, const std::string& word) = nullptr;
  // The word that gives `options`' value of this option back; a value no word gives comes
  // back as a word `set` refuses.
  std::string (*get)(const BookOptions& options) = nullptr;

  // An option whose flag also chooses for other options (--classic: the classic book's
  // choices); the command line and the window apply it when the flag is given, before the
  // options given beside it, which may change each again.
  void (*chooses)(BookOptions* options) = nullptr;

  // The word of a default BookOptions.
  std::string DefaultWord() const { return get(BookOptions{}); }
  // What the command line's help shows for the value: a choice's words ("normal|wide"),
  // else the placeholder.
  std::string ValueText() const;
};

// Every book option, in the order the command line's help and the window show them.
const std::vector<BookOption>& BookOptionTable();

// The option named `name`; raises std::out_of_range when there is none.
const BookOption& FindBookOption(std::string_view name);

// Raises std::invalid_argument, naming the option and the value, when a value of `options` is
// one that no word of its option gives (paths excepted: any file may be named).
void CheckBookOptions(const BookOptions& options);

// Why `expression` cannot serve as a chapter or volume expression (the engine's message, said
// plainly where the engine's words mislead); empty when it can.
std::string ExpressionProblem(std::u16string_view expression);

// The command line that gives `options` to a child: for each option away from what the child
// has by then (its default, or --classic's choice), its flag when a flag sets that word, else
// "--option=word" (so that a word beginning with "-" is never taken for an option).
std::vector<std::string> OptionArguments(const BookOptions& options);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKOPTIONTABLE_H_
