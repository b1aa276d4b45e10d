// Book options of TForm_Main: the choices the next Add gives its job (the option line's
// controls and the Book options dialog's, read through the option table), and the user's
// choices kept between runs in the settings file.
#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <exception>
#include <string_view>

#include "conversion/BookOptionTable.h"
#include "ui/BookOptionControls.h"
#include "ui/BookOptionsDialog.h"
#include "ui/ProgramValues.h"
#include "ui/SettingsWriter.h"
#include "ui/TForm_Main.h"

namespace quireforge {

BookOptions TForm_Main::ChosenOptions() const {
  // The dialog's controls are the window's own: one reading takes both.
  BookOptions options;
  ReadOptionControls(*this, &options);
  return options;
}

// The user's choices of the last run: every book option, the last folders and the window's
// place. A word an option no longer takes (a file edited by hand) is passed over.
void TForm_Main::LoadSettings() {
  const QString file = values_.SettingsFile();
  if (file.isEmpty()) return;
  QSettings settings(file, QSettings::IniFormat);
  for (const BookOption& option : BookOptionTable()) {
    const QString key = QStringLiteral("book/") + TableText(option.name);
    if (!settings.contains(key)) continue;
    const QString word = settings.value(key).toString();
    BookOptions check;
    try {
      option.set(&check, word.toStdString());
    } catch (const std::exception&) {
      continue;
    }
    if (auto* widget = findChild<QWidget*>(OptionControlName(option))) {
      ShowControlWord(widget, option, word);
    }
  }
  // The file-name box is for chapters only; the font field shows only with its check box.
  CheckBox_PH->setEnabled(!CheckBox_NC->isChecked());
  CheckBox_UF->setChecked(!Edit_UF->text().isEmpty());
  Edit_UF->setVisible(CheckBox_UF->isChecked());
  last_source_folder_ = settings.value(QStringLiteral("folders/source")).toString();
  last_target_folder_ = settings.value(QStringLiteral("folders/target")).toString();
  const QByteArray geometry = settings.value(QStringLiteral("window/geometry")).toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void TForm_Main::SaveSettings() {
  const QString file = values_.SettingsFile();
  if (file.isEmpty()) return;
  BookOptions options;
  try {
    options = ChosenOptions();
  } catch (const std::exception&) {
    return;  // a field holds what no option takes: the last good choices stay
  }
  const QString failure = WriteSettings(file, [&](QSettings& settings) {
    for (const BookOption& option : BookOptionTable()) {
      settings.setValue(QStringLiteral("book/") + TableText(option.name),
                        QString::fromStdString(option.get(options)));
    }
    settings.setValue(QStringLiteral("folders/source"), last_source_folder_);
    settings.setValue(QStringLiteral("folders/target"), last_target_folder_);
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
  });
  TellSettingsProblem(failure);
}

void TForm_Main::TellSettingsProblem(const QString& failure) {
  if (failure.isEmpty() || settings_problem_told_) return;
  settings_problem_told_ = true;
  ShowFailure(texts_.settings_not_saved + QLatin1Char('\n') + failure);
}

void TForm_Main::Button_BookOptionsClick() {
  if (Dialog_BookOptions->Edit()) SaveSettings();
}

}  // namespace quireforge
