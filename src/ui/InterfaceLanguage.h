// The two interface languages and every text that depends on them: captions of the main
// window, the progress window, the chapter editor and its dialogs, the option items and the
// messages. The language follows the system locale and is decided once per run.
#ifndef QUIREFORGE_UI_INTERFACELANGUAGE_H_
#define QUIREFORGE_UI_INTERFACELANGUAGE_H_

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace quireforge {

enum class InterfaceLanguage { kEnglish, kChinese };

// Chinese exactly when `locale` is Chinese with the territory China.
InterfaceLanguage DecideInterfaceLanguage(const QLocale& locale);

struct InterfaceTexts {
  // Main window.
  QString label_source_file, label_target_file, label_title, label_author;
  QString label_option, label_page_margin, label_line_height, label_font_size, label_font_weight;
  QString check_no_chapters, check_file_name_chapters, check_font_file;
  QString button_add, button_remove, button_clear, button_start;
  QString button_chapter_edit, button_chapter_remove, button_chapter_replace;
  QStringList job_columns;  // Title, Author, Charpters, Tag
  QStringList margin_items, line_height_items, font_size_items, font_weight_items;
  // Progress window.
  QString waiting_panel;
  // Messages.
  QString empty_list_message, done_mark;
  QString chapter_edit_caption, chapter_edit_prompt, not_found_message;
  QString font_warning_caption, font_warning_text;
  // Asked before Clear removes several rows of which one is not converted yet.
  QString clear_question_caption, clear_question_text;
  // Font dialog: an empty title leaves the platform's own.
  QString font_dialog_title, font_dialog_filter;
  // Book options dialog: its button on the option line, its caption, and per option (by its
  // name in the option table) the control's caption, the list's items (in the order of the
  // option's words; an editable list's first item names the default) and a file filter.
  QString button_book_options, book_options_caption;
  QHash<QString, QString> option_captions;
  QHash<QString, QStringList> option_items;
  QHash<QString, QString> option_file_filters;
  QString heading_count;       // %1 headings, %2 the source's file name
  QString heading_count_none;  // no single source to count in
  // Find-and-replace dialog.
  QString replace_caption, replace_find_what, replace_with, replace_whole_word;
  QString replace_find_next, replace_replace, replace_replace_all, replace_cancel;
};

const InterfaceTexts& TextsFor(InterfaceLanguage language);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_INTERFACELANGUAGE_H_
