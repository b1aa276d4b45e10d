#include "ui/ProgramArguments.h"

#include <QDir>
#include <QUrl>
#include <algorithm>
#include <iterator>

#include "ui/LocalPaths.h"

namespace quireforge {

namespace {

QString AbsolutePath(const QString& argument, const QString& current_folder) {
  if (argument.startsWith(QLatin1String("file:"))) {
    const QUrl url(argument);
    if (url.isLocalFile()) return QDir::cleanPath(PathFromUrl(url));
  }
  return QDir::cleanPath(QDir(current_folder).absoluteFilePath(argument));
}

// The options QApplication takes for itself, with and without a value (X11's too).
const char* const kToolkitOptionsWithValue[] = {"platform",
                                                "platformpluginpath",
                                                "platformtheme",
                                                "plugin",
                                                "qwindowgeometry",
                                                "qwindowicon",
                                                "qwindowtitle",
                                                "session",
                                                "display",
                                                "geometry",
                                                "title",
                                                "icon",
                                                "name",
                                                "style",
                                                "stylesheet",
                                                "visual",
                                                "ncols",
                                                "cmap",
                                                "im",
                                                "inputstyle"};
const char* const kToolkitFlags[] = {"reverse", "widgetcount", "nograb",       "dograb",
                                     "sync",    "testability", "qmljsdebugger"};

}  // namespace

QStringList WithoutToolkitOptions(const QStringList& arguments) {
  QStringList left;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--")) {
      left.append(arguments.mid(i));
      break;
    }
    // "-name", "--name" and "-name=value" alike.
    QString name = argument;
    if (name.startsWith(QLatin1String("--"))) name.remove(0, 1);
    if (!name.startsWith(QLatin1Char('-'))) {
      left.append(argument);
      continue;
    }
    name.remove(0, 1);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    const bool has_value = equals >= 0;
    if (has_value) name.truncate(equals);
    const auto is = [&name](const char* option) { return name == QLatin1String(option); };
    if (std::any_of(std::begin(kToolkitFlags), std::end(kToolkitFlags), is)) continue;
    if (std::any_of(std::begin(kToolkitOptionsWithValue), std::end(kToolkitOptionsWithValue), is)) {
      if (!has_value) ++i;  // its value
      continue;
    }
    left.append(argument);
  }
  return left;
}

ProgramArguments ParseProgramArguments(const QStringList& arguments,
                                       const QString& current_folder) {
  ProgramArguments result;
  bool options_end = false;
  for (const QString& argument : arguments) {
    if (!options_end && argument == QLatin1String("--")) {
      options_end = true;
    } else if (!options_end &&
               (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
      if (result.action != ProgramArguments::Action::kVersion) {
        result.action = ProgramArguments::Action::kHelp;
      }
    } else if (!options_end && argument == QLatin1String("--version")) {
      if (result.action != ProgramArguments::Action::kHelp) {
        result.action = ProgramArguments::Action::kVersion;
      }
    } else if (!options_end && argument.startsWith(QLatin1Char('-')) &&
               argument != QLatin1String("-")) {
      if (result.action == ProgramArguments::Action::kRun) {
        result.action = ProgramArguments::Action::kUsageError;
        result.error = QStringLiteral("unknown option \"%1\"; run quireforge --help for the usage")
                           .arg(argument);
      }
    } else if (!argument.isEmpty()) {
      result.files.append(AbsolutePath(argument, current_folder));
    }
  }
  if (result.action != ProgramArguments::Action::kRun) result.files.clear();
  return result;
}

QString ProgramUsage() {
  return QStringLiteral(
      "Usage: quireforge [FILE...]\n"
      "Opens the Quireforge window, which turns plain-text books into EPUB books.\n"
      "FILEs fill the source, target and title fields as a drop of the same files does: one\n"
      "file is the source; of several, the .txt files are the sources and the last file names\n"
      "the target and the title. To convert without a window, use quireforge-cli.\n"
      "\n"
      "  -h, --help     print this text and exit\n"
      "  --version      print the version and exit\n"
      "  --             every argument after it is a file\n");
}

}  // namespace quireforge
