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
#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/HeadingFinder.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "chapterhead/VolumeHeadRule.h"
#include "cli/BookPaths.h"
#include "cli/EscapedText.h"
#include "cli/InterruptHandling.h"
#include "cli/MessageOutput.h"
#include "cli/PrivateStagingFolder.h"
#include "cli/TerminalUserInterface.h"
#include "conversion/BookOutline.h"
#include "conversion/CodePageChoice.h"
#include "conversion/ConvertFile.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

// The paths and texts of the book, every path absolute.
struct BookPlan {
  std::vector<std::string> sources;
  std::string target;
  std::string title;
  std::string author;
  std::string font;
  std::string cover;
};

// Raises BookPathError when a path cannot be used, the target is one of the sources, the font
// or the cover picture, or the title taken from the first source's name would be empty once
// written or is no text (a name that is neither UTF-8 nor in the code page of its text).
// Paths need not be UTF-8: they go to the job through FromUtf8Escaped.
BookPlan PlanBook(const CliOptions& options, const CodePageChoice& code_pages) {
  BookPlan plan;
  for (const std::string& source : options.sources) plan.sources.push_back(AbsolutePath(source));
  plan.target = options.output.empty() ? DefaultTargetPath(plan.sources.front())
                                       : AbsolutePath(options.output);
  // -t and -a each win over what the file name says.
  if (options.title) {
    plan.title = *options.title;
  } else if (const std::optional<std::string> title =
                 DefaultTitle(plan.sources.front(), code_pages)) {
    plan.title = *title;
  } else {
    throw BookPathError("The name of \"" + plan.sources.front() +
                        "\" is neither UTF-8 nor in the code page of its text; give the title "
                        "with --title.");
  }
  if (!options.title && IsEmptyAsXmlText(FromUtf8(plan.title))) {
    throw BookPathError("The title taken from the name of \"" + plan.sources.front() +
                        "\" is empty; give one with --title.");
  }
  plan.author = options.author ? *options.author : DefaultAuthor(plan.sources.front(), code_pages);
  if (!options.font.empty()) plan.font = AbsolutePath(options.font);
  if (!options.cover.empty()) plan.cover = AbsolutePath(options.cover);
  std::vector<std::u16string> sources;
  for (const std::string& source : plan.sources) sources.push_back(FromUtf8Escaped(source));
  RefuseTargetAmongSources(FromUtf8Escaped(plan.target), sources);
  RefuseTargetAsFont(FromUtf8Escaped(plan.target), FromUtf8Escaped(plan.font));
  if (!plan.cover.empty() && SameFile(FromUtf8Escaped(plan.target), FromUtf8Escaped(plan.cover))) {
    throw BookPathError("Cannot create file \"" + plan.target + "\". It is the cover picture.");
  }
  return plan;
}

JobParameters Parameters(const CliOptions& options, const BookPlan& plan) {
  JobParameters parameters;
  for (const std::string& source : plan.sources) {
    parameters.sources.push_back(FromUtf8Escaped(source));
  }
  parameters.target_path = FromUtf8Escaped(plan.target);
  parameters.title = FromUtf8(plan.title);
  parameters.author = FromUtf8(plan.author);
  parameters.margin = options.margin;
  parameters.line_height = options.line_height;
  parameters.font_size = options.font_size;
  parameters.weight_line = options.bold ? u"font-weight:bold;" : u"";
  parameters.detect_chapters = !options.no_chapters;
  parameters.file_name_as_chapter = options.filename_chapters;
  parameters.font_file = FromUtf8Escaped(plan.font);
  parameters.cover_image = FromUtf8Escaped(plan.cover);
  if (options.language) parameters.language = FromUtf8(*options.language);
  parameters.heading_style = options.heading_style;
  parameters.indent = options.indent;
  parameters.epub3 = options.epub3;
  return parameters;
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

// The verdict of `test`; an engine failure, or a line longer than the engine can search,
// becomes one that names `option`, its `expression` and `source`.
template <typename Test>
bool NamingFailures(const char* option, const std::string& expression, const std::string& source,
                    const Test& test) {
  try {
    return test();
  } catch (const EPatternEngine& error) {
    if (error.ErrorCode() == kPatternWorkLimitExceeded) {
      throw std::runtime_error("Cannot search \"" + source + "\" with " + option + " \"" +
                               expression +
                               "\". The expression takes too much work on its lines (it tries "
                               "too many ways to match); make it simpler.");
    }
    throw std::runtime_error("Cannot search \"" + source + "\" with " + option + ". " +
                             error.what());
  } catch (const std::length_error&) {
    throw std::runtime_error("Cannot search \"" + source + "\" with " + option +
                             ". It holds a line too long to search (2^31 characters or more).");
  }
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
void WarnOfMissingHeadings(const BookPlan& plan, const CliOptions& options, const TConvertFile& job,
                           TerminalUserInterface& ui) {
  if (options.no_chapters || plan.sources.size() != 1 || job.ChapterCount() != 0 ||
      !job.Volumes().empty()) {
    return;
  }
  const std::string& source = plan.sources.front();
  for (const SourceReading& reading : job.SourceReadings()) {
    if (reading.encoding.origin != EncodingOrigin::kFallback) continue;
    ui.PrintLine(source + ": no chapter heading found; the text was read in " +
                 reading.encoding.name +
                 ", the locale's code page: if it is garbled, name its code page with "
                 "--codepage.");
    return;
  }
  if (options.chapter_pattern) {
    ui.PrintLine(source + ": no line matches --chapter-pattern; check the expression.");
    return;
  }
  ui.PrintLine(source +
               ": no chapter heading found; try --chapter-rule classic or an own "
               "--chapter-pattern, and check the result with --list-chapters.");
}

// The volume choice of the heading finder.
VolumeChoice VolumesOf(const CliOptions& options) {
  if (options.no_volumes || options.volume_pattern) return VolumeChoice::kOff;
  return options.volumes ? VolumeChoice::kForce : VolumeChoice::kAuto;
}

int Convert(const CliOptions& options, const CodePageChoice& code_pages, const BookPlan& plan) {
  // Declared first, so that it goes last: the job's own cleanup runs inside it.
  PrivateStagingFolder staging;
  TerminalUserInterface ui(plan.target, !options.quiet && !options.no_progress);
  ChapterHeadRule chapter_head;
  // The expressions were checked when the options were read.
  std::optional<PatternLineRule> own_chapter_head;
  if (options.chapter_pattern) own_chapter_head.emplace(FromUtf8(*options.chapter_pattern));
  const bool classic = options.chapter_pattern || options.chapter_rule == ChapterRule::kClassic;
  std::optional<VolumeHeadRule> volume_head;
  if (options.volume_pattern) {
    volume_head.emplace(FromUtf8(*options.volume_pattern));
  } else if (options.volumes && (classic || options.no_chapters)) {
    volume_head.emplace();
  }

  JobEnvironment environment;
  environment.staging_root = FromUtf8(staging.path());
  environment.ui = &ui;
  // An own expression may still fail on a line (too much work): the message says which
  // option, which expression and which source.
  const std::string& source = plan.sources.front();
  if (own_chapter_head) {
    environment.is_chapter_head = [&own_chapter_head, &options, &source](std::u16string_view line) {
      return NamingFailures("--chapter-pattern", *options.chapter_pattern, source,
                            [&] { return own_chapter_head->Matches(line); });
    };
  } else if (classic) {
    environment.is_chapter_head = [&chapter_head](std::u16string_view line) {
      return chapter_head.IsChapterHead(line);
    };
  } else {
    environment.find_headings = HeadingFinder(VolumesOf(options));
  }
  if (volume_head) {
    environment.is_volume_head = [&volume_head, &options, &source](std::u16string_view line) {
      return NamingFailures("--volume-pattern", options.volume_pattern.value_or(""), source,
                            [&] { return volume_head->IsVolumeHead(line); });
    };
  }
  code_pages.ApplyTo(&environment);

  ui.SetPhase("converting");
  std::optional<TConvertFile> job;
  try {
    job.emplace(Parameters(options, plan), environment);
  } catch (const std::exception& error) {
    ui.PrintLine(FailureText(error, plan.target));
    return kExitFailure;
  }
  if (!options.quiet) {
    PrintCodePages(*job, ui);
    WarnOfMissingHeadings(plan, options, *job, ui);
  }

  if (options.list_chapters) {
    ui.ClearBar();
    if (PrintChapters(*job)) return kExitSuccess;
    ui.PrintLine("Cannot write the chapter list to standard output.");
    return kExitFailure;
  }

  ui.SetPhase("packing");
  struct stat older;
  const bool had_older = stat(plan.target.c_str(), &older) == 0;
  TArchiver archiver(ui);
  ui.AttachArchiver(&archiver);
  bool written = false;
  try {
    DeferredInterrupts deferred;
    written = job->FinishBook(archiver);
    // The new book is in place: a signal from now on no longer changes the outcome, and the
    // run finishes as usual, so that a script learns that the book was written.
    if (written) IgnoreInterrupts();
  } catch (const std::exception& error) {
    ui.PrintLine(FailureText(error, plan.target));
    return kExitFailure;
  }
  ui.AttachArchiver(nullptr);
  if (!written) {
    if (PendingInterrupt() != 0) {
      ui.PrintLine(plan.target + (had_older ? ": interrupted; the older book was kept."
                                            : ": interrupted; no book was written."));
    } else if (!ui.ShownArchiveError()) {
      ui.PrintLine(plan.target + ": the book was not written.");
    }
    return kExitFailure;
  }
  ui.ClearBar();
  if (!options.quiet && !options.no_progress) PrintMessage(plan.target + ": written");
  return kExitSuccess;
}

}  // namespace

int ConvertOneBook(const CliOptions& options, const CodePageChoice& code_pages) {
  try {
    return Convert(options, code_pages, PlanBook(options, code_pages));
  } catch (const std::exception& error) {
    // Path errors, a staging folder that cannot be made, running out of memory.
    PrintMessage(error.what());
    return kExitFailure;
  }
}

}  // namespace quireforge
