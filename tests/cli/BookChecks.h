// Checks that the finishing and command-line tests make on finished books with independent
// tools: the EPUB validator (EpubCheck.h), unzip, 7z and Python's zipfile; plus running
// quireforge-cli itself and reading single entries of a book. Nothing here is used by the program.
#ifndef QUIREFORGE_TESTS_CLI_BOOKCHECKS_H_
#define QUIREFORGE_TESTS_CLI_BOOKCHECKS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "EpubCheck.h"

namespace quireforge::test {

// What a run of quireforge-cli left: its exit status (128 + n when ended by signal n),
// stdout and stderr apart.
struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs build/quireforge-cli with `arguments` in folder `cwd` (the current one when empty);
// `environment` is put in front of the command ("QUIREFORGE_CODEPAGE=x").
CliResult RunCli(const std::vector<std::string>& arguments, const std::filesystem::path& cwd = {},
                 const std::string& environment = {});

// Empty when unzip -t and 7z t accept `book` and its first entry is "mimetype" holding
// "application/epub+zip", stored, without extra field in its local and central headers;
// otherwise what is wrong.
std::string ZipProblems(const std::filesystem::path& book);

// The entry names of `book` in archive order (Python's zipfile), folders included.
std::vector<std::string> EntryNames(const std::filesystem::path& book);

// The bytes of one entry of `book` (unzip -p).
std::string EntryBytes(const std::filesystem::path& book, const std::string& entry);

// Every file and folder below `dir`, relative.
std::vector<std::string> EverythingBelow(const std::filesystem::path& dir);

// What a run of quireforge-cli left in `dir`, where it wrote a book or staged: partial books
// (".quireforge-...") and staging folders (as older versions made them, "quireforge-cli-...").
std::vector<std::string> RunLeftovers(const std::filesystem::path& dir);

// The opening of a real novel from the corpus (UTF-8, CR LF, 第N回 headings), cut after a
// whole line at about `bytes`.
std::string NovelText(size_t bytes);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CLI_BOOKCHECKS_H_
