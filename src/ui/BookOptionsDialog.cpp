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
#include "conversion/ClassicBook.h"
#include "conversion/CoverDrawing.h"
#include "ui/BookOptionControls.h"
#include "ui/DesignSizes.h"
#include "ui/DialogService.h"
#include "ui/SourceField.h"

namespace quireforge {

namespace {

constexpr int kPreviewSize = 64;

// The cover field's words for the choices of the cover list beside it: picture, drawn, none.
constexpr int kCoverPicture = 0;
constexpr int kCoverDrawn = 1;
constexpr int kCoverNone = 2;
const QString kNoCoverWord = QStringLiteral("none");
constexpr int kCountDelayMs = 300;

}  // namespace

BookOptionsDialog::BookOptionsDialog(const std::function<bool(std::string_view name)>& skip,
                                     std::function<QString()> source,
                                     std::function<std::pair<QString, QString>()> names,
                                     DialogService& dialogs, const CodePageChoice& code_pages,
                                     QWidget* parent)
    : QDialog(parent),
      source_(std::move(source)),
      names_(std::move(names)),
      dialogs_(dialogs),
      code_pages_(code_pages) {
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
      if (option.name == "classic") {
        connect(box, &QCheckBox::toggled, this, &BookOptionsDialog::ClassicToggled);
      }
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
        if (option.name == "cover") {
          // Picture, drawn or none; the field holds the word the choice makes.
          auto* choice = new QComboBox(this);
          choice->setObjectName(QStringLiteral("ComboBox_CoverChoice"));
          choice->addItems({QString(), QString(), QString()});
          connect(choice, &QComboBox::activated, this, &BookOptionsDialog::CoverChoiceChosen);
          connect(field, &QLineEdit::textChanged, this, &BookOptionsDialog::ShowCoverChoice);
          line->addWidget(choice);
        }
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
  ShowCoverChoice();
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
    if (option.name == "cover") {
      if (auto* choice = findChild<QComboBox*>(QStringLiteral("ComboBox_CoverChoice"))) {
        for (int i = 0; i < choice->count(); ++i) {
          choice->setItemText(i, texts.cover_choices.value(i));
        }
      }
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
  ShowCoverChoice();  // the drawn cover shows the names the window holds now
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
  QPixmap picture;
  if (option.name == "cover" && field->text().isEmpty()) {
    // The cover the book will get: drawn from the names the window holds.
    const auto [title, author] = names_ ? names_() : std::pair<QString, QString>();
    if (!title.trimmed().isEmpty()) {
      if (const std::optional<DrawnCover> drawn =
              DrawCover(title.toStdU16String(), author.toStdU16String())) {
        picture.loadFromData(reinterpret_cast<const uchar*>(drawn->image.bytes.data()),
                             static_cast<uint>(drawn->image.bytes.size()), "PNG");
      }
    }
  } else if (field->text() != kNoCoverWord || option.name != "cover") {
    picture.load(field->text());
  }
  if (picture.isNull()) {
    preview->clear();
    preview->hide();
    return;
  }
  preview->setPixmap(
      picture.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  preview->show();
}

void BookOptionsDialog::ShowCoverChoice() {
  auto* choice = findChild<QComboBox*>(QStringLiteral("ComboBox_CoverChoice"));
  const BookOption& option = FindBookOption("cover");
  auto* field = findChild<QLineEdit*>(OptionControlName(option));
  auto* button = findChild<QPushButton*>(QStringLiteral("Button_") + OptionControlName(option));
  if (choice == nullptr || field == nullptr) return;
  const QString word = field->text();
  const int index =
      word.isEmpty() ? kCoverDrawn : (word == kNoCoverWord ? kCoverNone : kCoverPicture);
  choice->setCurrentIndex(index);
  field->setVisible(index == kCoverPicture);
  if (button != nullptr) button->setVisible(index == kCoverPicture);
  ShowPreview(QStringLiteral("cover"));
}

void BookOptionsDialog::CoverChoiceChosen(int index) {
  const BookOption& option = FindBookOption("cover");
  auto* field = findChild<QLineEdit*>(OptionControlName(option));
  if (field == nullptr) return;
  if (index == kCoverPicture) {
    ChooseFile(QStringLiteral("cover"));
  } else {
    field->setText(index == kCoverNone ? kNoCoverWord : QString());
  }
  ShowCoverChoice();  // a picture not chosen leaves the choice as it was
}

void BookOptionsDialog::ClassicToggled(bool classic) {
  BookOptions options;
  try {
    ReadOptionControls(*this, &options);
  } catch (const std::exception&) {
    return;  // a field holds what no option takes; OK will say so
  }
  if (classic) {
    ChooseClassicBook(&options);
  } else {
    // The classic book's choices give way to the defaults; the user's own stay.
    const BookOptions classic_choices = ClassicOptions();
    const BookOptions defaults;
    if (options.chapter_rule == classic_choices.chapter_rule) {
      options.chapter_rule = defaults.chapter_rule;
    }
    if (options.language == classic_choices.language) options.language = defaults.language;
    if (options.cover.empty()) options.draw_cover = defaults.draw_cover;
  }
  ShowOptionControls(this, options);
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
