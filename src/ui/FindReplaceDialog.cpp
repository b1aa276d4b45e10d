#include "ui/FindReplaceDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DesignSizes.h"

namespace quireforge {

FindReplaceDialog::FindReplaceDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ReplaceDialog_Head"));
  setModal(false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  find_label_ = new QLabel(this);
  replace_label_ = new QLabel(this);
  find_text_ = new QLineEdit(this);
  find_text_->setObjectName(QStringLiteral("FindText"));
  replace_text_ = new QLineEdit(this);
  replace_text_->setObjectName(QStringLiteral("ReplaceText"));
  find_label_->setBuddy(find_text_);
  replace_label_->setBuddy(replace_text_);
  whole_word_ = new QCheckBox(this);
  whole_word_->setObjectName(QStringLiteral("WholeWord"));
  find_next_ = new QPushButton(this);
  find_next_->setObjectName(QStringLiteral("FindNext"));
  find_next_->setDefault(true);
  replace_ = new QPushButton(this);
  replace_->setObjectName(QStringLiteral("Replace"));
  replace_all_ = new QPushButton(this);
  replace_all_->setObjectName(QStringLiteral("ReplaceAll"));
  cancel_ = new QPushButton(this);
  cancel_->setObjectName(QStringLiteral("Cancel"));

  auto* fields = new QGridLayout;
  fields->addWidget(find_label_, 0, 0);
  fields->addWidget(find_text_, 0, 1);
  fields->addWidget(replace_label_, 1, 0);
  fields->addWidget(replace_text_, 1, 1);
  fields->addWidget(whole_word_, 2, 0, 1, 2);
  fields->setRowStretch(3, 1);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(find_next_);
  buttons->addWidget(replace_);
  buttons->addWidget(replace_all_);
  buttons->addWidget(cancel_);
  buttons->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields, 1);
  layout->addLayout(buttons);

  connect(find_next_, &QPushButton::clicked, this, &FindReplaceDialog::Find);
  connect(replace_, &QPushButton::clicked, this, &FindReplaceDialog::Replace);
  connect(replace_all_, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceAll);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::hide);
  connect(find_text_, &QLineEdit::textChanged, this, &FindReplaceDialog::UpdateButtons);

  ApplyTexts(TextsFor(InterfaceLanguage::kEnglish));
  UpdateButtons();
  setMinimumWidth(design::kReplaceDialogMinimumWidth);
}

void FindReplaceDialog::ApplyTexts(const InterfaceTexts& texts) {
  setWindowTitle(texts.replace_caption);
  find_label_->setText(texts.replace_find_what);
  replace_label_->setText(texts.replace_with);
  whole_word_->setText(texts.replace_whole_word);
  find_next_->setText(texts.replace_find_next);
  replace_->setText(texts.replace_replace);
  replace_all_->setText(texts.replace_replace_all);
  cancel_->setText(texts.replace_cancel);
}

void FindReplaceDialog::Execute() {
  show();
  raise();
  activateWindow();
  find_text_->setFocus();
}

QString FindReplaceDialog::FindText() const { return find_text_->text(); }

QString FindReplaceDialog::ReplaceText() const { return replace_text_->text(); }

bool FindReplaceDialog::WholeWord() const { return whole_word_->isChecked(); }

// As in the platform's own find dialog, the commands wait for a find text.
void FindReplaceDialog::UpdateButtons() {
  const bool has_text = !find_text_->text().isEmpty();
  find_next_->setEnabled(has_text);
  replace_->setEnabled(has_text);
  replace_all_->setEnabled(has_text);
}

}  // namespace quireforge
