#include "ui/BookOptionControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <algorithm>

#include "base/Utf.h"
#include "conversion/BookOptionTable.h"

namespace quireforge {

namespace {

QString Word(std::string_view word) {
  return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
}

// The word a checked box stands for: the one its option's flag sets.
QString CheckedWord(const BookOption& option) {
  return option.flags.empty() ? QStringLiteral("on") : Word(option.flags.front().word);
}

// The word an unchecked box stands for: the other of the option's two words.
QString UncheckedWord(const BookOption& option) {
  const QString checked = CheckedWord(option);
  for (std::string_view word : option.words) {
    if (Word(word) != checked) return Word(word);
  }
  return QString();
}

QWidget* ControlOf(const QWidget& root, const BookOption& option) {
  return root.findChild<QWidget*>(Word(option.control));
}

}  // namespace

QString ControlWord(const QWidget& control, const BookOption& option) {
  if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
    return box->isChecked() ? CheckedWord(option) : UncheckedWord(option);
  }
  if (const auto* list = qobject_cast<const QComboBox*>(&control)) {
    if (list->isEditable()) {
      // The first item names the default ("Auto"), as does an empty field; anything else is
      // the text itself.
      const QString text = list->currentText().trimmed();
      const bool first = list->count() > 0 && list->currentText() == list->itemText(0);
      return first || text.isEmpty() ? QString::fromStdString(option.DefaultWord()) : text;
    }
    const int index = list->currentIndex();
    if (index >= 0 && static_cast<size_t>(index) < option.words.size()) {
      return Word(option.words[static_cast<size_t>(index)]);
    }
    return QString::fromStdString(option.DefaultWord());
  }
  if (const auto* field = qobject_cast<const QLineEdit*>(&control)) return field->text();
  return QString::fromStdString(option.DefaultWord());
}

void ShowControlWord(QWidget* control, const BookOption& option, const QString& word) {
  if (auto* box = qobject_cast<QCheckBox*>(control)) {
    box->setChecked(word == CheckedWord(option));
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    if (list->isEditable()) {
      if (word == QString::fromStdString(option.DefaultWord())) {
        list->setCurrentIndex(0);
      } else {
        list->setCurrentText(word);
      }
      return;
    }
    for (size_t i = 0; i < option.words.size(); ++i) {
      if (Word(option.words[i]) == word) list->setCurrentIndex(static_cast<int>(i));
    }
  } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(word);
  }
}

QString OptionsSummary(const BookOptions& options, const InterfaceTexts& texts) {
  QStringList lines;
  for (const BookOption& option : BookOptionTable()) {
    const std::string word = option.get(options);
    if (word == option.DefaultWord()) continue;
    const QString name = Word(option.name);
    const QString caption = texts.option_captions.value(name, name);
    const QStringList items = texts.option_items.value(name);
    const auto at = std::find(option.words.begin(), option.words.end(), word);
    if (at == option.words.end()) {
      lines.append(caption + QStringLiteral(": ") + QString::fromStdString(word));
    } else if (items.isEmpty()) {
      lines.append(caption);  // a check box: its caption says it
    } else {
      lines.append(caption + QStringLiteral(": ") +
                   items.value(static_cast<qsizetype>(at - option.words.begin())));
    }
  }
  return lines.join(QLatin1Char('\n'));
}

void ReadOptionControls(const QWidget& root, BookOptions* options) {
  for (const BookOption& option : BookOptionTable()) {
    if (const QWidget* control = ControlOf(root, option)) {
      // A path keeps the bytes of a name that is no UTF-8 (LocalPaths.h).
      option.set(options, ToUtf8(ControlWord(*control, option).toStdU16String()));
    }
  }
}

void ShowOptionControls(QWidget* root, const BookOptions& options) {
  for (const BookOption& option : BookOptionTable()) {
    if (QWidget* control = ControlOf(*root, option)) {
      ShowControlWord(control, option, QString::fromStdString(option.get(options)));
    }
  }
}

}  // namespace quireforge
