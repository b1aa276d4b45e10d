#include "ui/BookOptionControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <algorithm>
#include <iterator>

#include "base/Utf.h"
#include "conversion/BookOptionTable.h"

namespace quireforge {

namespace {

// The word a checked box stands for: the one its option's flag sets.
QString CheckedWord(const BookOption& option) {
  return option.flags.empty() ? QStringLiteral("on") : TableText(option.flags.front().word);
}

// The word an unchecked box stands for: the other of the option's two words.
QString UncheckedWord(const BookOption& option) {
  const QString checked = CheckedWord(option);
  for (std::string_view word : option.words) {
    if (TableText(word) != checked) return TableText(word);
  }
  return QString();
}

QWidget* ControlOf(const QWidget& root, const BookOption& option) {
  return root.findChild<QWidget*>(OptionControlName(option));
}

// The option line's controls: the window's own, under their inherited names.
struct LineControl {
  std::string_view option;
  const char* control;
};
constexpr LineControl kOptionLine[] = {
    {"margin", "ComboBox_PM"}, {"line-height", "ComboBox_LH"}, {"font-size", "ComboBox_FS"},
    {"bold", "ComboBox_FW"},   {"chapters", "CheckBox_NC"},    {"filename-chapters", "CheckBox_PH"},
    {"font", "Edit_UF"},
};

// "chapter-rule" as "ChapterRule".
QString CamelCase(std::string_view name) {
  QString text;
  bool capital = true;
  for (const char c : name) {
    if (c == '-') {
      capital = true;
      continue;
    }
    text += capital ? QChar(c).toUpper() : QChar(c);
    capital = false;
  }
  return text;
}

}  // namespace

QString TableText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

OptionControlKind ControlKindOf(const BookOption& option) {
  switch (option.kind) {
    case OptionKind::kChoice:
      return option.words.size() == 2 && !option.flags.empty() ? OptionControlKind::kCheckBox
                                                               : OptionControlKind::kList;
    case OptionKind::kText:
      return option.words.empty() ? OptionControlKind::kField : OptionControlKind::kEditableList;
    case OptionKind::kPath:
      return OptionControlKind::kFileField;
  }
  return OptionControlKind::kField;
}

bool IsOnOptionLine(const BookOption& option) {
  return std::any_of(std::begin(kOptionLine), std::end(kOptionLine),
                     [&option](const LineControl& line) { return line.option == option.name; });
}

QString OptionControlName(const BookOption& option) {
  for (const LineControl& line : kOptionLine) {
    if (line.option == option.name) return QString::fromLatin1(line.control);
  }
  switch (ControlKindOf(option)) {
    case OptionControlKind::kCheckBox:
      return QStringLiteral("CheckBox_") + CamelCase(option.name);
    case OptionControlKind::kList:
    case OptionControlKind::kEditableList:
      return QStringLiteral("ComboBox_") + CamelCase(option.name);
    case OptionControlKind::kField:
    case OptionControlKind::kFileField:
      break;
  }
  return QStringLiteral("Edit_") + CamelCase(option.name);
}

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
      return TableText(option.words[static_cast<size_t>(index)]);
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
      if (TableText(option.words[i]) == word) list->setCurrentIndex(static_cast<int>(i));
    }
  } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(word);
  }
}

QStringList OptionItems(const BookOption& option, const InterfaceTexts& texts) {
  const QString name = TableText(option.name);
  QStringList items = texts.option_items.value(name);
  const QString format = texts.option_word_formats.value(name);
  while (items.size() < static_cast<qsizetype>(option.words.size())) {
    const QString word = TableText(option.words[static_cast<size_t>(items.size())]);
    items.append(format.isEmpty() ? word : format.arg(word));
  }
  return items;
}

QString OptionsSummary(const BookOptions& options, const InterfaceTexts& texts) {
  QStringList lines;
  for (const BookOption& option : BookOptionTable()) {
    const std::string word = option.get(options);
    if (word == option.DefaultWord()) continue;
    const QString name = TableText(option.name);
    const QString caption = texts.option_captions.value(name, name);
    const QStringList items = OptionItems(option, texts);
    const auto at = std::find(option.words.begin(), option.words.end(), word);
    if (at == option.words.end()) {
      lines.append(caption + QStringLiteral(": ") + QString::fromStdString(word));
    } else if (!texts.option_items.contains(name) &&
               ControlKindOf(option) == OptionControlKind::kCheckBox) {
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
