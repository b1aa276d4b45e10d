// The window program's command line, read once Qt has taken its own options (-platform,
// -style, ...): --help, --version, and the files to open, as a desktop's "Open with" passes
// them (paths, or file: URLs). Relative paths count from the current folder.
#ifndef QUIREFORGE_UI_PROGRAMARGUMENTS_H_
#define QUIREFORGE_UI_PROGRAMARGUMENTS_H_

#include <QString>
#include <QStringList>

namespace quireforge {

struct ProgramArguments {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  QStringList files;  // for kRun: absolute paths, in the order given
  QString error;      // for kUsageError: the program's message
};

// Reads `arguments` (without the program name). --help and --version win wherever they
// stand before "--"; otherwise an argument that begins with "-" (but "-" alone) before "--"
// is an unknown option. Everything else, and everything after "--", is a file.
ProgramArguments ParseProgramArguments(const QStringList& arguments, const QString& current_folder);

// `arguments` without the options QApplication takes for itself (-platform NAME, -style NAME,
// -reverse, ...), which it removes from the command line only once it is made: so that a
// wrong command line is told as such where no window can be made at all.
QStringList WithoutToolkitOptions(const QStringList& arguments);

// The text --help prints.
QString ProgramUsage();

}  // namespace quireforge

#endif  // QUIREFORGE_UI_PROGRAMARGUMENTS_H_
