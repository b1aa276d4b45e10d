#include "ui/ProgramValues.h"

#include "conversion/CodePageChoice.h"
#include "conversion/StagingRoot.h"

namespace quireforge {

namespace {

QString SettingsFilePath() {
  QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (folder.isEmpty() && !qEnvironmentVariable("HOME").isEmpty()) {
    folder = qEnvironmentVariable("HOME") + QStringLiteral("/.config");
  }
  if (folder.isEmpty()) return QString();
  return folder + QStringLiteral("/quireforge/quireforge.conf");
}

}  // namespace

ProgramValues::ProgramValues() : staging_root_(StagingRootPath()) {
  try {
    code_pages_ = std::make_unique<CodePageChoice>(CodePageChoice::FromEnvironment());
  } catch (const CodePageError& e) {
    code_page_problem_ = QString::fromUtf8(e.what());
    code_pages_ = std::make_unique<CodePageChoice>(CodePageChoice::Detecting());
  }
  settings_file_ = SettingsFilePath();
}

ProgramValues::~ProgramValues() = default;

}  // namespace quireforge
