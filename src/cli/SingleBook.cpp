#include "cli/SingleBook.h"

#include <stdio.h>
#include <sys/stat.h>

#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "base/Utf.h"
#include "cli/EscapedText.h"
#include "cli/InterruptHandling.h"
#include "cli/MessageOutput.h"
#include "cli/TerminalUserInterface.h"
#include "conversion/ArchiveSink.h"
#include "conversion/BookOutline.h"
#include "conversion/BookRequest.h"
#include "conversion/CodePageChoice.h"
#include "conversion/ConvertFile.h"
#include "conversion/ListingSink.h"

namespace quireforge {

namespace {

// The book the options ask for, its names and paths as given.
BookRequest RequestOf(const CliOptions& options) {
  BookRequest request;
  for (const std::string& source : options.sources) {
    request.sources.push_back(FromUtf8Escaped(source));
  }
  request.target = FromUtf8Escaped(options.output);
  if (options.title) request.title = FromUtf8(*options.title);
  if (options.author) request.author = FromUtf8(*options.author);
  request.options = options.book;
  return request;
}

// Prints every chapter entry as stored, each on one line followed by LF, its control
// characters and backslashes escaped (a title may hold a line feed); with volumes, the
// volume entries among them in reading order and the chapters in a volume indented by two
// blanks. Returns false when stdout cannot take them.
bool PrintChapters(const TConvertFile& job) {
  std::string text;
  std::string entry_text;
  for (const OutlineItem& item : BookOutline(job.Chapters(), job.Volumes())) {
    if (item.depth > 1) text += "  ";
    entry_text.clear();
    AppendUtf8(item.entry, &entry_text);
    text += EscapedLine(entry_text);
    text += '\n';
  }
  return fwrite(text.data(), 1, text.size(), stdout) == text.size() && fflush(stdout) == 0;
}

// The message for a failure of the book `target`: the failure's own text, which names its
// file; running out of memory elsewhere than in a source names the book.
std::string FailureText(const std::exception& error, const std::string& target) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
    return "Not enough memory to make the book \"" + target + "\".";
  }
  return error.what();
}

// Stays in effect while it lives: signals are only recorded, so that the engine can be
// stopped cleanly instead of the process ending under it.
class DeferredInterrupts {
 public:
  DeferredInterrupts() { SetInterruptDeferred(true); }
  ~DeferredInterrupts() { SetInterruptDeferred(false); }
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;
};

// Tells, for every source whose code page was not named, the code page it was read in, and
// for every source whose text a NUL byte ended early, how much was left out.
void PrintCodePages(const TConvertFile& job, TerminalUserInterface& ui) {
  for (const SourceReading& reading : job.SourceReadings()) {
    const std::string path = ToUtf8(reading.path);
    if (reading.encoding.origin == EncodingOrigin::kDetected) {
      ui.PrintLine(path + ": " + reading.encoding.name + " (detected)");
    } else if (reading.encoding.origin == EncodingOrigin::kFallback) {
      ui.PrintLine(path + ": " + reading.encoding.name + " (not detected; the locale's code page)");
    }
    if (const uint64_t left_out = reading.encoding.bytes_after_nul) {
      ui.PrintLine(path + ": the text ends at a NUL byte; the " + std::to_string(left_out) +
                   " bytes after it were left out.");
    }
  }
}

// A single source read with chapters on in which no heading was found: the usual sign of
// headings in an unusual style, or of a text read in the wrong code page when its code page
// was only the locale's fallback.
void WarnOfMissingHeadings(const JobParameters& book, const TConvertFile& job,
                           TerminalUserInterface& ui) {
  if (!book.options.chapters || book.sources.size() != 1 || job.ChapterCount() != 0 ||
      !job.Volumes().empty()) {
    return;
  }
  const std::string source = ToUtf8(book.sources.front());
  for (const SourceReading& reading : job.SourceReadings()) {
    if (reading.encoding.origin != EncodingOrigin::kFallback) continue;
    ui.PrintLine(source + ": no chapter heading found; the text was read in " +
                 reading.encoding.name +
                 ", the locale's code page: if it is garbled, name its code page with "
                 "--codepage.");
    return;
  }
  if (book.options.chapter_pattern) {
    ui.PrintLine(source + ": no line matches --chapter-pattern; check the expression.");
    return;
  }
  ui.PrintLine(source +
               ": no chapter heading found; try --chapter-rule classic or an own "
               "--chapter-pattern, and check the result with --list-chapters.");
}

// Prints what the reading of the sources, the chapter search and the making of the book are
// worth saying.
void PrintNotes(const CliOptions& options, const JobParameters& book, const TConvertFile& job,
                TerminalUserInterface& ui) {
  if (options.quiet) return;
  PrintCodePages(job, ui);
  WarnOfMissingHeadings(book, job, ui);
  for (const std::string& note : job.Notes()) {
    ui.PrintLine(ToUtf8(book.sources.front()) + ": " + note);
  }
}

// --list-chapters: the sources read and their chapters found as for the book, no page made and
// nothing written.
int ListChapters(const CliOptions& options, const CodePageChoice& code_pages,
                 const JobParameters& book, TerminalUserInterface& ui) {
  ListingSink sink;
  std::unique_ptr<TConvertFile> job;
  try {
    job = MakeJob(book, JobSurroundings{{}, &ui, &code_pages, &sink});
  } catch (const std::exception& error) {
    ui.PrintLine(FailureText(error, ToUtf8(book.target_path)));
    return kExitFailure;
  }
  PrintNotes(options, book, *job, ui);
  ui.ClearBar();
  if (PrintChapters(*job)) return kExitSuccess;
  ui.PrintLine("Cannot write the chapter list to standard output.");
  return kExitFailure;
}

// The book made straight into its target: every page goes into the archive as it is made, and
// the archive takes the target's place only once complete.
int MakeBook(const CliOptions& options, const CodePageChoice& code_pages, const JobParameters& book,
             TerminalUserInterface& ui) {
  const std::string target = ToUtf8(book.target_path);
  struct stat older;
  const bool had_older = stat(target.c_str(), &older) == 0;
  TArchiver archiver(ui);
  ui.AttachArchiver(&archiver);
  // While the archive is open, a signal is only recorded: the engine stops at its next call,
  // the target keeps what it held, and the run ends by the signal after saying so.
  DeferredInterrupts deferred;
  bool written = false;
  std::string failure;
  {
    ArchiveSink sink(archiver, book.target_path);
    try {
      if (sink.Open()) {
        const std::unique_ptr<TConvertFile> job =
            MakeJob(book, JobSurroundings{{}, &ui, &code_pages, &sink});
        PrintNotes(options, book, *job, ui);
        ui.SetPhase("packing");
        written = job->FinishBook(archiver);
        // The new book is in place: a signal from now on no longer changes the outcome, and
        // the run finishes as usual, so that a script learns that the book was written.
        if (written) IgnoreInterrupts();
      }
    } catch (const BookNotWrittenError&) {
      // The archive component said why, or a signal stopped it.
    } catch (const std::exception& error) {
      if (PendingInterrupt() == 0) failure = FailureText(error, target);
    }
  }
  ui.AttachArchiver(nullptr);
  if (!failure.empty()) {
    ui.PrintLine(failure);
    return kExitFailure;
  }
  if (!written) {
    if (PendingInterrupt() != 0) {
      ui.PrintLine(target + (had_older ? ": interrupted; the older book was kept."
                                       : ": interrupted; no book was written."));
    } else if (!ui.ShownArchiveError()) {
      ui.PrintLine(target + ": the book was not written.");
    }
    return kExitFailure;
  }
  ui.ClearBar();
  if (!options.quiet && !options.no_progress) PrintMessage(target + ": written");
  return kExitSuccess;
}

int Convert(const CliOptions& options, const CodePageChoice& code_pages,
            const JobParameters& book) {
  TerminalUserInterface ui(ToUtf8(book.target_path), !options.quiet && !options.no_progress);
  ui.SetPhase("converting");
  if (options.list_chapters) return ListChapters(options, code_pages, book, ui);
  return MakeBook(options, code_pages, book, ui);
}

}  // namespace

int ConvertOneBook(const CliOptions& options, const CodePageChoice& code_pages) {
  try {
    JobParameters book = PlanBook(RequestOf(options), code_pages);
    // A chapter list needs no cover.
    if (options.list_chapters) book.options.draw_cover = false;
    return Convert(options, code_pages, book);
  } catch (const std::exception& error) {
    // Path errors, a staging folder that cannot be made, running out of memory.
    PrintMessage(error.what());
    return kExitFailure;
  }
}

}  // namespace quireforge
