#include "ui/BookOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <exception>

#include "conversion/BookOptionTable.h"
#include "conversion/BookRequest.h"
#include "ui/BookOptionControls.h"
#include "ui/DesignSizes.h"
#include "ui/DialogService.h"
#include "ui/SourceField.h"

namespace quireforge {

namespace {

constexpr int kPreviewSize = 64;
constexpr int kCountDelayMs = 300;

}  // namespace

BookOptionsDialog::BookOptionsDialog(const std::function<bool(std::string_view name)>& skip,
                                     std::function<QString()> source, DialogService& dialogs,
                                     const CodePageChoice& code_pages, QWidget* parent)
    : QDialog(parent), source_(std::move(source)), dialogs_(dialogs), code_pages_(code_pages) {
  setObjectName(QStringLiteral("Dialog_BookOptions"));
  form_ = new QFormLayout(this);
  count_timer_ = new QTimer(this);
  count_timer_->setSingleShot(true);
  count_timer_->setInterval(kCountDelayMs);
  connect(count_timer_, &QTimer::timeout, this, &BookOptionsDialog::CountHeadings);
  const auto recount = [this] { count_timer_->start(); };

  for (const BookOption& option : BookOptionTable()) {
    if (skip(option.name)) continue;
    const QString name = TableText(option.name);
    const QString control_name = OptionControlName(option);
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("Label_") + control_name);
    QWidget* control = nullptr;
    QWidget* row = nullptr;
    const OptionControlKind kind = ControlKindOf(option);
    if (kind == OptionControlKind::kCheckBox) {
      auto* box = new QCheckBox(this);
      connect(box, &QCheckBox::toggled, this, recount);
      control = box;
    } else if (kind == OptionControlKind::kList || kind == OptionControlKind::kEditableList) {
      // A text with usual words (the language) is a list of them that takes any other too.
      auto* list = new QComboBox(this);
      list->setEditable(kind == OptionControlKind::kEditableList);
      connect(list, &QComboBox::currentTextChanged, this, recount);
      control = list;
    } else {
      auto* field = new QLineEdit(this);
      connect(field, &QLineEdit::textChanged, this, recount);
      control = field;
      if (kind == OptionControlKind::kFileField) {
        auto* choose = new QPushButton(QStringLiteral("..."), this);
        choose->setObjectName(QStringLiteral("Button_") + control_name);
        choose->setAutoDefault(false);
        choose->setFixedSize(design::kEllipsisButton);
        // Shown only while the field names a picture.
        auto* preview = new QLabel(this);
        preview->setObjectName(QStringLiteral("Preview_") + control_name);
        preview->setFixedSize(kPreviewSize, kPreviewSize);
        preview->setAlignment(Qt::AlignCenter);
        preview->hide();
        connect(choose, &QPushButton::clicked, this, [this, name] { ChooseFile(name); });
        connect(field, &QLineEdit::textChanged, this, [this, name] { ShowPreview(name); });
        row = new QWidget(this);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(field, 1);
        line->addWidget(choose);
        line->addWidget(preview);
      }
    }
    control->setObjectName(control_name);
    label->setBuddy(control);
    form_->addRow(label, row != nullptr ? row : control);
  }
  Label_HeadingCount = new QLabel(this);
  Label_HeadingCount->setObjectName(QStringLiteral("Label_HeadingCount"));
  form_->addRow(Label_HeadingCount);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &BookOptionsDialog::Accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form_->addRow(buttons_);
  ShowOptionControls(this, BookOptions{});
}

void BookOptionsDialog::ApplyTexts(const InterfaceTexts& texts) {
  texts_ = texts;
  setWindowTitle(texts.book_options_caption);
  for (const BookOption& option : BookOptionTable()) {
    const QString control_name = OptionControlName(option);
    QWidget* control = findChild<QWidget*>(control_name);
    if (control == nullptr) continue;
    const QString name = TableText(option.name);
    if (auto* label = findChild<QLabel*>(QStringLiteral("Label_") + control_name)) {
      label->setText(texts.option_captions.value(name, name));
    }
    auto* list = qobject_cast<QComboBox*>(control);
    if (list == nullptr) continue;
    // The same words in the other language: the choice stays.
    const QString word = ControlWord(*list, option);
    const QStringList items = OptionItems(option, texts);
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(items);
    ShowControlWord(list, option, word);
  }
  CountHeadings();
}

bool BookOptionsDialog::Edit() {
  opened_with_ = BookOptions{};
  ReadOptionControls(*this, &opened_with_);
  CountHeadings();
  if (exec() == QDialog::Accepted) return true;
  ShowOptionControls(this, opened_with_);
  return false;
}

void BookOptionsDialog::Accept() {
  // A word no option takes (a malformed language tag, an expression that does not compile)
  // keeps the dialog open, saying why.
  try {
    BookOptions options;
    ReadOptionControls(*this, &options);
  } catch (const std::exception& error) {
    dialogs_.ShowError(QString::fromUtf8(error.what()));
    return;
  }
  accept();
}

void BookOptionsDialog::ChooseFile(const QString& option_name) {
  const BookOption& option = FindBookOption(option_name.toStdString());
  FileDialogRequest request;
  request.name = QStringLiteral("OpenDialog_") + OptionControlName(option);
  request.mode = FileDialogRequest::Mode::kOpenOne;
  // "Picture|*.jpg;*.jpeg;*.png": the files the option takes, by its extensions.
  QStringList patterns;
  for (std::string_view extension : option.extensions) {
    patterns.append(QStringLiteral("*.") + TableText(extension));
  }
  request.filter =
      texts_.option_file_kinds.value(option_name) + QLatin1Char('|') + patterns.join(u';');
  const QStringList files = dialogs_.RunFileDialog(request);
  if (files.isEmpty()) return;
  if (auto* field = findChild<QLineEdit*>(OptionControlName(option))) {
    field->setText(files.first());
  }
}

void BookOptionsDialog::ShowPreview(const QString& option_name) {
  const BookOption& option = FindBookOption(option_name.toStdString());
  auto* field = findChild<QLineEdit*>(OptionControlName(option));
  auto* preview = findChild<QLabel*>(QStringLiteral("Preview_") + OptionControlName(option));
  if (field == nullptr || preview == nullptr) return;
  const QPixmap picture(field->text());
  if (picture.isNull()) {
    preview->clear();
    preview->hide();
    return;
  }
  preview->setPixmap(
      picture.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  preview->show();
}

void BookOptionsDialog::CountHeadings() {
  const QStringList sources = ParseSourceField(source_ ? source_() : QString());
  // An empty source field names no source (it reads as one empty path).
  if (sources.size() != 1 || sources.first().isEmpty()) {
    Label_HeadingCount->setText(texts_.heading_count_none);
    return;
  }
  try {
    BookOptions options;
    ReadOptionControls(*this, &options);
    const size_t count =
        quireforge::CountHeadings(sources.first().toStdU16String(), options, code_pages_);
    Label_HeadingCount->setText(
        texts_.heading_count.arg(count).arg(QFileInfo(sources.first()).fileName()));
  } catch (const std::exception& error) {
    Label_HeadingCount->setText(QString::fromUtf8(error.what()));
  }
}

}  // namespace quireforge
