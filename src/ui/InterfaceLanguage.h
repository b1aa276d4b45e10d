// The two interface languages and every text that depends on them: captions of the main
// window, the progress window, the chapter editor and its dialogs, the option items and the
// messages. The language follows the system locale and is decided once per run.
#ifndef QUIREFORGE_UI_INTERFACELANGUAGE_H_
#define QUIREFORGE_UI_INTERFACELANGUAGE_H_

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace quireforge {

enum class InterfaceLanguage { kEnglish, kChinese };

// Chinese exactly when `locale` is Chinese with the territory China.
InterfaceLanguage DecideInterfaceLanguage(const QLocale& locale);

struct InterfaceTexts {
  // Main window.
  QString label_source_file, label_target_file, label_title, label_author;
  QString label_option, label_page_margin, label_line_height, label_font_size, label_font_weight;
  QString check_no_chapters, check_file_name_chapters, check_font_file;
  QString button_add, button_edit, button_remove, button_clear, button_start;
  QString button_chapter_edit, button_chapter_remove, button_chapter_replace;
  QStringList job_columns;  // Title, Author, Charpters, Tag
  QStringList margin_items, line_height_items, font_size_items, font_weight_items;
  // Progress window: "%1" is the book's number, "%2" the number of books, "%3" its title.
  QString waiting_panel, waiting_book, button_cancel, waiting_cancelling;
  // Messages; the marks are the job list's "Tag" column.
  QString empty_list_message, done_mark, failed_mark, cancelled_mark;
  // Why Add cannot go on, each naming its field.
  QString add_no_source, add_no_target, add_no_title;
  // The edit dialog of a job row, and what editing a finished row says.
  QString edit_row_caption, row_finished_message;
  // Asked before Remove, Delete or closing loses books not converted yet, and before
  // closing stops a Start run; told when closing must wait for Add.
  QString question_caption, remove_question_text, close_pending_text, close_running_text;
  QString close_adding_message;
  // Told once, above the reason, when the settings file cannot be written.
  QString settings_not_saved;
  // The summary at the end of Start; "%1" is a count. A failed book's line is its target,
  // ": " and the reason.
  QString summary_caption, summary_written, summary_failed, summary_cancelled, summary_not_started;
  QString summary_nothing, button_open_folder;
  // How the failures of the core and the archive component read in this language: a line
  // matching `english` (a regular expression for the whole line) becomes `translated` with
  // %1, %2... standing for its captures; then each system reason is replaced. Empty for
  // English, whose texts stand as they are.
  struct FailurePattern {
    QString english, translated;
  };
  std::vector<FailurePattern> failure_patterns;
  std::vector<std::pair<QString, QString>> failure_reasons;
  QString chapter_edit_caption, chapter_edit_prompt, not_found_message;
  QString font_warning_caption, font_warning_text;
  // Asked before Clear removes several rows of which one is not converted yet.
  QString clear_question_caption, clear_question_text;
  // Font dialog: an empty title leaves the platform's own.
  QString font_dialog_title, font_dialog_filter;
  // Book options dialog: its button on the option line, its caption, and per option (by its
  // name in the option table) the control's caption, the list's first items (in the order of
  // the option's words; an editable list's first item names the default), the form of the
  // words beyond them ("%1 em"; none: the word itself) and what its files are ("Picture";
  // their patterns come from the option's extensions).
  QString button_book_options, book_options_caption;
  QHash<QString, QString> option_captions;
  QHash<QString, QStringList> option_items;
  QHash<QString, QString> option_word_formats;
  QHash<QString, QString> option_file_kinds;
  // The cover's choices in the Book options dialog: a picture, drawn, none.
  QStringList cover_choices;
  QString heading_count;       // %1 headings, %2 the source's file name
  QString heading_count_none;  // no single source to count in
  // Find-and-replace dialog.
  QString replace_caption, replace_find_what, replace_with, replace_whole_word;
  QString replace_find_next, replace_replace, replace_replace_all, replace_cancel;
};

const InterfaceTexts& TextsFor(InterfaceLanguage language);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_INTERFACELANGUAGE_H_
