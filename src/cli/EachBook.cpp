#include "cli/EachBook.h"

#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/PosixIo.h"
#include "base/Utf.h"
#include "cli/BookPaths.h"
#include "cli/ChildProcess.h"
#include "cli/InterruptHandling.h"
#include "cli/MessageOutput.h"
#include "cli/TerminalUserInterface.h"

namespace quireforge {

namespace {

struct Book {
  std::string source;  // absolute
  std::string target;
};

// The font every book embeds, made absolute; empty when there is none, or when its name
// cannot be used (each book then says why).
std::u16string AbsoluteFont(const CliOptions& options) {
  if (options.book.font.empty()) return {};
  try {
    return AbsolutePath(options.book.font);
  } catch (const BookPathError&) {
    return {};
  }
}

// The books to make, in the order of the sources. A source whose path cannot be used or
// whose book would overwrite a source, the font or another book is reported and left out.
std::vector<Book> PlanBooks(const CliOptions& options, int* failures) {
  std::vector<Book> books;
  const std::u16string font = AbsoluteFont(options);
  std::vector<std::string> sources;
  for (const std::string& given : options.sources) {
    try {
      sources.push_back(AbsolutePath(given));
    } catch (const BookPathError& error) {
      PrintMessage(error.what());
      ++*failures;
    }
  }
  std::vector<std::u16string> wide_sources;
  for (const std::string& source : sources) wide_sources.push_back(FromUtf8Escaped(source));
  for (const std::string& source : sources) {
    const Book book{source, DefaultTargetPath(source)};
    try {
      RefuseTargetAmongSources(FromUtf8Escaped(book.target), wide_sources);
      RefuseTargetAsFont(FromUtf8Escaped(book.target), font);
      for (const Book& earlier : books) {
        if (SameFile(FromUtf8Escaped(earlier.target), FromUtf8Escaped(book.target))) {
          throw BookPathError("Cannot create file \"" + book.target +
                              "\". It is also the book of \"" + earlier.source + "\".");
        }
      }
      books.push_back(book);
    } catch (const BookPathError& error) {
      PrintMessage(error.what());
      ++*failures;
    }
  }
  return books;
}

int DefaultJobs() {
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  return cores > 0 ? static_cast<int>(cores) : 1;
}

// Says how a child that did not exit with status 0 or 1 ended; 0 and 1 speak for
// themselves (the child printed its failure).
void ReportUnusualEnd(const Book& book, int status) {
  if (WIFSIGNALED(status)) {
    PrintMessage(book.source + ": the conversion was ended by signal " +
                 std::to_string(WTERMSIG(status)) + ".");
  } else if (WIFEXITED(status) && WEXITSTATUS(status) > 1) {
    PrintMessage(book.source + ": the conversion failed with exit status " +
                 std::to_string(WEXITSTATUS(status)) + ".");
  }
}

}  // namespace

int ConvertEachBook(const CliOptions& options) {
  int failures = 0;
  const std::vector<Book> books = PlanBooks(options, &failures);
  const size_t jobs = static_cast<size_t>(options.jobs > 0 ? options.jobs : DefaultJobs());

  TerminalUserInterface progress(std::to_string(books.size()) + " books", !options.quiet);
  progress.SetPhase("converting");
  progress.SetProgressMaximum(static_cast<int32_t>(books.size()));

  // From here on a signal is passed on to the children and ends this process only after them.
  SetInterruptDeferred(true);
  std::map<pid_t, std::pair<std::unique_ptr<ChildProcess>, size_t>> running;
  size_t next = 0;
  int done = 0;
  while (running.size() > 0 || (next < books.size() && PendingInterrupt() == 0)) {
    while (running.size() < jobs && next < books.size() && PendingInterrupt() == 0) {
      try {
        auto child =
            std::make_unique<ChildProcess>(SingleBookArguments(options, books[next].source));
        const pid_t pid = child->pid();
        running.emplace(pid, std::make_pair(std::move(child), next));
      } catch (const std::exception& error) {
        progress.PrintLine(books[next].source + ": " + error.what());
        ++failures;
      }
      ++next;
    }
    if (running.empty()) break;
    int status = 0;
    // A signal meanwhile is passed on to the children, which then end and are waited for.
    const pid_t pid = WaitForChild(-1, &status);
    if (pid < 0) break;  // no child left to wait for: nothing more can be learned
    const auto found = running.find(pid);
    if (found == running.end()) continue;
    found->second.first->Reaped(status);
    const Book& book = books[found->second.second];
    running.erase(found);
    ++done;
    progress.SetProgressPosition(done);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
      if (!options.quiet) progress.PrintLine(book.target + ": written");
    } else {
      ++failures;
      if (PendingInterrupt() == 0) ReportUnusualEnd(book, status);
    }
  }
  SetInterruptDeferred(false);
  progress.ClearBar();
  return failures == 0 && next == books.size() ? kExitSuccess : kExitFailure;
}

}  // namespace quireforge
