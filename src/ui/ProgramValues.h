// The program-wide values fixed before any window exists: the staging root (from TEMP,
// else TMPDIR, else XDG_RUNTIME_DIR, else /tmp), the code page choice (QUIREFORGE_CODEPAGE,
// else each source's code page found from its text) and where the window keeps its settings. Owned
// by main (or a test) and outlives every window using it.
#ifndef QUIREFORGE_UI_PROGRAMVALUES_H_
#define QUIREFORGE_UI_PROGRAMVALUES_H_

#include <QString>
#include <memory>
#include <string>

namespace quireforge {

class CodePageChoice;

class ProgramValues {
 public:
  // Reads the environment. An unusable QUIREFORGE_CODEPAGE leaves detection in use, with the
  // locale's code page when a text does not tell, and its message in CodePageProblem().
  ProgramValues();
  ~ProgramValues();

  ProgramValues(const ProgramValues&) = delete;
  ProgramValues& operator=(const ProgramValues&) = delete;

  // Where the staging root is; each window creates and holds it (SharedStagingRoot).
  const std::u16string& StagingRoot() const { return staging_root_; }
  const CodePageChoice& CodePages() const { return *code_pages_; }

  // Where the window keeps the user's choices between runs: quireforge/quireforge.conf in
  // XDG_CONFIG_HOME, else in ~/.config; empty when neither is known.
  const QString& SettingsFile() const { return settings_file_; }

  // Empty when the configured code page was usable.
  const QString& CodePageProblem() const { return code_page_problem_; }

 private:
  std::u16string staging_root_;
  std::unique_ptr<CodePageChoice> code_pages_;
  QString code_page_problem_;
  QString settings_file_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_PROGRAMVALUES_H_
