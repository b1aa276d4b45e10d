// Writing the file where the window keeps the user's choices between runs, whole and at once:
// the keys go into a new file in the same folder, which then takes the file's name. A crash
// or a full disk never leaves half a file, and a symbolic link at the name is replaced by
// the file, never followed (a link to another file would have that file overwritten, a
// dangling one its target created). Failures are texts for the user: "Cannot save settings
// file "<path>". <reason>". Free functions; window thread.
#ifndef QUIREFORGE_UI_SETTINGSWRITER_H_
#define QUIREFORGE_UI_SETTINGSWRITER_H_

#include <QString>
#include <functional>

class QSettings;

namespace quireforge {

// Writes the settings file `path` (INI format): the keys it holds now (when it is a file, not a
// link), then what `fill` sets.
// Returns the failure text, empty when the file was written; on failure the file is as it was
// and no new file is left behind.
QString WriteSettings(const QString& path, const std::function<void(QSettings&)>& fill);

// Why WriteSettings could not write `path` now (its folder cannot be made or written, or a
// folder stands at its name), found by making and removing a file beside it; empty when it can.
QString SettingsWriteProblem(const QString& path);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_SETTINGSWRITER_H_
