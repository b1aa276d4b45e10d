// quireforge-cli: the conversion of the window from the command line, for scripts and
// batches. A thin shell over the core: parse the options, choose the code page, then make
// one book here or, with --each, one book per source in child processes.
#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/EachBook.h"
#include "cli/InterruptHandling.h"
#include "cli/MessageOutput.h"
#include "cli/SingleBook.h"
#include "conversion/CodePageChoice.h"

namespace quireforge {
namespace {

int Run(int argc, char** argv) {
  InstallInterruptHandlers();
  CliOptions options;
  if (const std::optional<int> status = ParseCliOptions(argc, argv, &options)) return *status;

  // An unusable code page name is a usage error, found before any work starts.
  std::optional<CodePageChoice> code_pages;
  try {
    code_pages.emplace(CodePageChoice::FromEnvironment(options.codepage));
  } catch (const CodePageError& error) {
    return ReportUsageError(options.codepage ? "--codepage" : "QUIREFORGE_CODEPAGE",
                            std::string(error.what()) +
                                " An ASCII-compatible code page such as GB18030, Big5 or "
                                "windows-1252, UTF-16LE, UTF-16BE or auto is expected.");
  }
  if (options.each) return ConvertEachBook(options);
  return ConvertOneBook(options, *code_pages);
}

}  // namespace
}  // namespace quireforge

int main(int argc, char** argv) {
  const int status = quireforge::Run(argc, argv);
  // A signal recorded while packing or while children worked ends the process now that
  // everything is cleaned up.
  if (const int signal_number = quireforge::PendingInterrupt()) {
    quireforge::EndBySignal(signal_number);
  }
  return status;
}
