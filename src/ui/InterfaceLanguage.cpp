#include "ui/InterfaceLanguage.h"

namespace quireforge {

namespace {

// The option line's options, as the job list's summary names them: by their labels and items.
void NameOptionLine(InterfaceTexts* t) {
  t->option_captions.insert({{QStringLiteral("margin"), t->label_page_margin},
                             {QStringLiteral("line-height"), t->label_line_height},
                             {QStringLiteral("font-size"), t->label_font_size},
                             {QStringLiteral("bold"), t->label_font_weight},
                             {QStringLiteral("chapters"), t->check_no_chapters},
                             {QStringLiteral("filename-chapters"), t->check_file_name_chapters},
                             {QStringLiteral("font"), t->check_font_file}});
  t->option_items.insert({{QStringLiteral("margin"), t->margin_items},
                          {QStringLiteral("line-height"), t->line_height_items},
                          {QStringLiteral("font-size"), t->font_size_items},
                          {QStringLiteral("bold"), t->font_weight_items}});
}

InterfaceTexts MakeEnglish() {
  InterfaceTexts t;
  t.label_source_file = QStringLiteral("Source File");
  t.label_target_file = QStringLiteral("Target File");
  t.label_title = QStringLiteral("Title");
  t.label_author = QStringLiteral("Author");
  t.label_option = QStringLiteral("Option");
  t.label_page_margin = QStringLiteral("Page Margin");
  t.label_line_height = QStringLiteral("Line Height");
  t.label_font_size = QStringLiteral("Font Size");
  t.label_font_weight = QStringLiteral("Font Weight");
  t.check_no_chapters = QStringLiteral("Dont Convert Charpter");
  t.check_file_name_chapters = QStringLiteral("Filename As Charpter");
  t.check_font_file = QStringLiteral("Usage Font File");
  t.button_add = QStringLiteral("Add");
  t.button_edit = QStringLiteral("Edit");
  t.button_remove = QStringLiteral("Remove");
  t.button_clear = QStringLiteral("Clear");
  t.button_start = QStringLiteral("Start");
  t.button_chapter_edit = QStringLiteral("Edit");
  t.button_chapter_remove = QStringLiteral("Remove");
  t.button_chapter_replace = QStringLiteral("Replace");
  t.job_columns = {QStringLiteral("Title"), QStringLiteral("Author"), QStringLiteral("Charpters"),
                   QStringLiteral("Tag")};
  t.margin_items = {QStringLiteral("Normal"), QStringLiteral("Wide")};
  t.line_height_items = {QStringLiteral("Normal"), QStringLiteral("Wide")};
  t.font_size_items = {QStringLiteral("Large"), QStringLiteral("Middle"), QStringLiteral("Small")};
  t.font_weight_items = {QStringLiteral("Normal"), QStringLiteral("Bold")};
  t.waiting_panel = QStringLiteral("Processing, please waiting...");
  t.waiting_book = QStringLiteral("Book %1 of %2: %3");
  t.button_cancel = QStringLiteral("Cancel");
  t.waiting_cancelling = QStringLiteral("Cancelling...");
  t.empty_list_message = QStringLiteral("File list is empty! Please add file(s).");
  t.done_mark = QStringLiteral("Done");
  t.failed_mark = QStringLiteral("Failed");
  t.cancelled_mark = QStringLiteral("Cancelled");
  t.add_no_source =
      QStringLiteral("Source File is empty. Choose a text file with \"...\" or type its path.");
  t.add_no_target = QStringLiteral(
      "Target File is empty. Choose where to save the book with \"...\" or type "
      "its path.");
  t.add_no_title = QStringLiteral("Title is empty. Type the title of the book.");
  t.edit_row_caption = QStringLiteral("Edit Book");
  t.row_finished_message = QStringLiteral(
      "This book is converted already. Its names and chapters can no longer be "
      "changed.");
  t.question_caption = QStringLiteral("Warning");
  t.remove_question_text =
      QStringLiteral("Some selected files are not converted yet! Remove them anyway?");
  t.close_pending_text =
      QStringLiteral("Some files are not converted yet! Close the window and lose them?");
  t.close_running_text =
      QStringLiteral("Books are being converted. Cancel the current book and close the window?");
  t.close_adding_message =
      QStringLiteral("A book is being added. The window can be closed when it is done.");
  t.settings_not_saved = QStringLiteral("Your choices cannot be kept for the next run.");
  t.summary_caption = QStringLiteral("Conversion finished");
  t.summary_written = QStringLiteral("Written (%1):");
  t.summary_failed = QStringLiteral("Failed (%1):");
  t.summary_cancelled = QStringLiteral("Cancelled (%1):");
  t.summary_not_started = QStringLiteral("Not started (%1):");
  t.summary_nothing = QStringLiteral("No book was written.");
  t.button_open_folder = QStringLiteral("Open folder");
  t.chapter_edit_caption = QStringLiteral("Edit Charpter Name");
  t.chapter_edit_prompt = QStringLiteral("Please input the NEW charpter name below:");
  t.not_found_message = QStringLiteral("Not find any charpter!");
  t.font_warning_caption = QStringLiteral("Warning");
  t.font_warning_text =
      QStringLiteral("Big font file may cause invalid ePub file! Continue to use a font file?");
  t.clear_question_caption = QStringLiteral("Warning");
  t.clear_question_text =
      QStringLiteral("Some files are not converted yet! Clear the file list anyway?");
  t.font_dialog_title = QString();
  t.font_dialog_filter = QStringLiteral("TrueType Font File|*.TTF");
  t.button_book_options = QStringLiteral("Book Options...");
  t.book_options_caption = QStringLiteral("Book Options");
  t.option_captions = {
      {QStringLiteral("classic"), QStringLiteral("Classic Book (as earlier versions)")},
      {QStringLiteral("cover"), QStringLiteral("Cover")},
      {QStringLiteral("chapter-rule"), QStringLiteral("Chapter Rule")},
      {QStringLiteral("chapter-pattern"), QStringLiteral("Own Chapter Expression")},
      {QStringLiteral("volumes"), QStringLiteral("Volumes")},
      {QStringLiteral("volume-pattern"), QStringLiteral("Own Volume Expression")},
      {QStringLiteral("language"), QStringLiteral("Language")},
      {QStringLiteral("heading-style"), QStringLiteral("Headings")},
      {QStringLiteral("indent"), QStringLiteral("Indent")},
      {QStringLiteral("blank-lines"), QStringLiteral("Blank Lines")},
      {QStringLiteral("epub3"), QStringLiteral("EPUB 3")},
      {QStringLiteral("chinese"), QStringLiteral("Chinese Script")},
      {QStringLiteral("vertical"), QStringLiteral("Vertical Layout (EPUB 3)")},
      {QStringLiteral("contents-page"), QStringLiteral("Contents Page")},
  };
  t.option_items = {
      {QStringLiteral("chapter-rule"),
       {QStringLiteral("Smart (headings as a reader sees them)"),
        QStringLiteral("Classic (every line with 第…章, 第…回, 卷…, 序…)")}},
      {QStringLiteral("volumes"),
       {QStringLiteral("Auto"), QStringLiteral("On"), QStringLiteral("Off")}},
      {QStringLiteral("language"), {QStringLiteral("Auto (from the text)")}},
      {QStringLiteral("heading-style"), {QStringLiteral("Plain"), QStringLiteral("Title")}},
      {QStringLiteral("indent"), {QStringLiteral("None")}},
      {QStringLiteral("blank-lines"),
       {QStringLiteral("Keep"), QStringLiteral("One for a run"), QStringLiteral("None")}},
      {QStringLiteral("chinese"),
       {QStringLiteral("As it is"), QStringLiteral("Simplified to Traditional (s2t)"),
        QStringLiteral("Traditional to Simplified (t2s)"),
        QStringLiteral("Simplified to Taiwan (s2tw)"),
        QStringLiteral("Taiwan to Simplified (tw2s)"),
        QStringLiteral("Simplified to Taiwan, with its phrases (s2twp)"),
        QStringLiteral("Taiwan to Simplified, with its phrases (tw2sp)"),
        QStringLiteral("Simplified to Hong Kong (s2hk)"),
        QStringLiteral("Hong Kong to Simplified (hk2s)")}},
  };
  t.option_word_formats = {{QStringLiteral("indent"), QStringLiteral("%1 em")}};
  t.option_file_kinds = {{QStringLiteral("cover"), QStringLiteral("Picture")}};
  t.cover_choices = {QStringLiteral("Picture"), QStringLiteral("Drawn"), QStringLiteral("None")};
  NameOptionLine(&t);
  t.heading_count = QStringLiteral("%1 chapter headings in %2");
  t.heading_count_none = QStringLiteral("Choose one source file to count its headings.");
  t.replace_caption = QStringLiteral("Replace");
  t.replace_find_what = QStringLiteral("Fi&nd what:");
  t.replace_with = QStringLiteral("Re&place with:");
  t.replace_whole_word = QStringLiteral("Match &whole word only");
  t.replace_find_next = QStringLiteral("&Find Next");
  t.replace_replace = QStringLiteral("&Replace");
  t.replace_replace_all = QStringLiteral("Replace &All");
  t.replace_cancel = QStringLiteral("Cancel");
  return t;
}

InterfaceTexts MakeChinese() {
  InterfaceTexts t;
  t.label_source_file = QStringLiteral("源文件");
  t.label_target_file = QStringLiteral("输出文件");
  t.label_title = QStringLiteral("文章标题");
  t.label_author = QStringLiteral("作者");
  t.label_option = QStringLiteral("选项");
  t.label_page_margin = QStringLiteral("页边距");
  t.label_line_height = QStringLiteral("行间距");
  t.label_font_size = QStringLiteral("字体大小");
  t.label_font_weight = QStringLiteral("字型");
  t.check_no_chapters = QStringLiteral("不转换章节");
  t.check_file_name_chapters = QStringLiteral("文件名作为章节名");
  t.check_font_file = QStringLiteral("嵌入字体文件");
  t.button_add = QStringLiteral("添加");
  t.button_edit = QStringLiteral("编辑");
  t.button_remove = QStringLiteral("删除");
  t.button_clear = QStringLiteral("清除");
  t.button_start = QStringLiteral("转换");
  t.button_chapter_edit = QStringLiteral("更名");
  t.button_chapter_remove = QStringLiteral("删除");
  t.button_chapter_replace = QStringLiteral("替换");
  // The first two columns repeat the title and author labels.
  t.job_columns = {t.label_title, t.label_author, QStringLiteral("章节数"), QStringLiteral("标志")};
  t.margin_items = {QStringLiteral("小"), QStringLiteral("大")};
  t.line_height_items = {QStringLiteral("小"), QStringLiteral("大")};
  t.font_size_items = {QStringLiteral("大"), QStringLiteral("中"), QStringLiteral("小")};
  t.font_weight_items = {QStringLiteral("正常"), QStringLiteral("粗体")};
  t.waiting_panel = QStringLiteral("正在处理，请稍候……");
  t.waiting_book = QStringLiteral("第 %1 本，共 %2 本：%3");
  t.button_cancel = QStringLiteral("取消");
  t.waiting_cancelling = QStringLiteral("正在取消……");
  t.empty_list_message = QStringLiteral("文件列表为空！请先添加文件。");
  t.done_mark = QStringLiteral("完成");
  t.failed_mark = QStringLiteral("失败");
  t.cancelled_mark = QStringLiteral("已取消");
  t.add_no_source = QStringLiteral("源文件为空。请用“...”选择文本文件，或输入它的路径。");
  t.add_no_target = QStringLiteral("输出文件为空。请用“...”选择保存位置，或输入它的路径。");
  t.add_no_title = QStringLiteral("文章标题为空。请输入书的标题。");
  t.edit_row_caption = QStringLiteral("编辑书籍");
  t.row_finished_message = QStringLiteral("这本书已经转换完成，不能再更改它的名称和章节。");
  t.question_caption = QStringLiteral("警告");
  t.remove_question_text = QStringLiteral("选中的文件中还有尚未转换的！仍要删除吗？");
  t.close_pending_text = QStringLiteral("列表中还有尚未转换的文件！仍要关闭窗口吗？");
  t.close_running_text = QStringLiteral("正在转换。要取消当前的书并关闭窗口吗？");
  t.close_adding_message = QStringLiteral("正在添加文件，添加完成后才能关闭窗口。");
  t.settings_not_saved = QStringLiteral("无法保存您的选择，下次启动时不会保留。");
  t.summary_caption = QStringLiteral("转换结束");
  t.summary_written = QStringLiteral("已写入（%1）：");
  t.summary_failed = QStringLiteral("失败（%1）：");
  t.summary_cancelled = QStringLiteral("已取消（%1）：");
  t.summary_not_started = QStringLiteral("未开始（%1）：");
  t.summary_nothing = QStringLiteral("没有写入任何书。");
  t.button_open_folder = QStringLiteral("打开文件夹");
  // The failures of the core and the archive component, most specific first.
  t.failure_patterns = {
      {QStringLiteral(R"re(Cannot create file "(.*)"\. It is one of the source files\.)re"),
       QStringLiteral("无法创建文件“%1”：它是源文件之一。")},
      {QStringLiteral(R"re(Cannot create file "(.*)"\. It is the font file\.)re"),
       QStringLiteral("无法创建文件“%1”：它是字体文件。")},
      {QStringLiteral(R"re(Cannot create file "(.*)"\. It is the cover picture\.)re"),
       QStringLiteral("无法创建文件“%1”：它是封面图片。")},
      {QStringLiteral(
           R"re(Cannot use font file "(.*)"\. It is not a TrueType or OpenType font\.)re"),
       QStringLiteral("无法使用字体文件“%1”：它不是 TrueType 或 OpenType 字体。")},
      {QStringLiteral(R"re(Cannot save settings file "(.*)"\. (.*))re"),
       QStringLiteral("无法保存设置文件“%1”。%2")},
      {QStringLiteral(R"re(Cannot open file "(.*)"\. (.*))re"),
       QStringLiteral("无法打开文件“%1”。%2")},
      {QStringLiteral(R"re(Cannot create file "(.*)"\. (.*))re"),
       QStringLiteral("无法创建文件“%1”。%2")},
      {QStringLiteral(R"re(Stream write error in file "(.*)"\. (.*))re"),
       QStringLiteral("写入文件“%1”时出错。%2")},
      {QStringLiteral(R"re(Source file "(.*)" holds no text\.)re"),
       QStringLiteral("源文件“%1”中没有文字。")},
      {QStringLiteral(R"re(Not enough memory to convert source file "(.*)"\.)re"),
       QStringLiteral("内存不足，无法转换源文件“%1”。")},
      {QStringLiteral(R"re(Cannot copy font file "(.*)"\. (.*))re"),
       QStringLiteral("无法复制字体文件“%1”。%2")},
      {QStringLiteral(R"re(Staging folder "(.*)" is a symbolic link\.)re"),
       QStringLiteral("临时文件夹“%1”是一个符号链接。")},
      {QStringLiteral(R"re(Staging folder "(.*)" belongs to another user\.)re"),
       QStringLiteral("临时文件夹“%1”属于其他用户。")},
      {QStringLiteral(R"re(Staging folder "(.*)" is not a folder\.)re"),
       QStringLiteral("临时文件夹“%1”不是文件夹。")},
      {QStringLiteral(R"re(Destination directory '(.*)' must exist!)re"),
       QStringLiteral("目标文件夹“%1”不存在！")},
      {QStringLiteral(R"re(Cannot write to (.*))re"), QStringLiteral("无法写入“%1”。")},
      {QStringLiteral(R"re(Unable to load (.*) - It is old or corrupt)re"),
       QStringLiteral("无法载入“%1”：它已过时或已损坏。")},
      {QStringLiteral(R"re(Failed to load (.*))re"), QStringLiteral("无法载入“%1”。")},
      {QStringLiteral(R"re(DLL Error - User Cancelled)re"), QStringLiteral("已取消。")},
  };
  t.failure_reasons = {
      {QStringLiteral("No such file or directory"), QStringLiteral("文件或文件夹不存在")},
      {QStringLiteral("Permission denied"), QStringLiteral("没有权限")},
      {QStringLiteral("Operation not permitted"), QStringLiteral("不允许此操作")},
      {QStringLiteral("Is a directory"), QStringLiteral("这是一个文件夹")},
      {QStringLiteral("Not a directory"), QStringLiteral("路径中有一项不是文件夹")},
      {QStringLiteral("No space left on device"), QStringLiteral("磁盘空间不足")},
      {QStringLiteral("Read-only file system"), QStringLiteral("文件系统是只读的")},
      {QStringLiteral("File name too long"), QStringLiteral("文件名太长")},
      {QStringLiteral("Not a regular file"), QStringLiteral("不是普通文件")},
  };
  t.chapter_edit_caption = QStringLiteral("更改章节名称");
  t.chapter_edit_prompt = QStringLiteral("请输入新的章节名称：");
  t.not_found_message = QStringLiteral("没有找到匹配的章节！");
  t.font_warning_caption = QStringLiteral("警告");
  t.font_warning_text =
      QStringLiteral("使用过大的字体文件可能会导致转换后的文件无法使用！要使用字体文件吗？");
  t.clear_question_caption = QStringLiteral("警告");
  t.clear_question_text = QStringLiteral("列表中还有尚未转换的文件！仍要清除文件列表吗？");
  t.font_dialog_title = QStringLiteral("请指定要使用的字体文件");
  t.font_dialog_filter = QStringLiteral("TrueType字体文件|*.TTF");
  t.button_book_options = QStringLiteral("书籍选项...");
  t.book_options_caption = QStringLiteral("书籍选项");
  t.option_captions = {
      {QStringLiteral("classic"), QStringLiteral("经典书籍（同旧版本）")},
      {QStringLiteral("cover"), QStringLiteral("封面")},
      {QStringLiteral("chapter-rule"), QStringLiteral("章节规则")},
      {QStringLiteral("chapter-pattern"), QStringLiteral("自定义章节表达式")},
      {QStringLiteral("volumes"), QStringLiteral("分卷")},
      {QStringLiteral("volume-pattern"), QStringLiteral("自定义分卷表达式")},
      {QStringLiteral("language"), QStringLiteral("语言")},
      {QStringLiteral("heading-style"), QStringLiteral("标题样式")},
      {QStringLiteral("indent"), QStringLiteral("首行缩进")},
      {QStringLiteral("blank-lines"), QStringLiteral("空行")},
      {QStringLiteral("epub3"), QStringLiteral("EPUB 3 格式")},
      {QStringLiteral("chinese"), QStringLiteral("简繁转换")},
      {QStringLiteral("vertical"), QStringLiteral("竖排（EPUB 3）")},
      {QStringLiteral("contents-page"), QStringLiteral("目录页")},
  };
  t.option_items = {
      {QStringLiteral("chapter-rule"),
       {QStringLiteral("智能（按读者的眼光识别标题）"),
        QStringLiteral("经典（凡含 第…章、第…回、卷…、序… 的行）")}},
      {QStringLiteral("volumes"),
       {QStringLiteral("自动"), QStringLiteral("分卷"), QStringLiteral("不分卷")}},
      {QStringLiteral("language"), {QStringLiteral("自动（按正文）")}},
      {QStringLiteral("heading-style"), {QStringLiteral("普通段落"), QStringLiteral("居中标题")}},
      {QStringLiteral("indent"), {QStringLiteral("不缩进")}},
      {QStringLiteral("blank-lines"),
       {QStringLiteral("保留"), QStringLiteral("连续空行只留一行"), QStringLiteral("删除")}},
      {QStringLiteral("chinese"),
       {QStringLiteral("不转换"), QStringLiteral("简体到繁体（s2t）"),
        QStringLiteral("繁体到简体（t2s）"), QStringLiteral("简体到台湾正体（s2tw）"),
        QStringLiteral("台湾正体到简体（tw2s）"),
        QStringLiteral("简体到台湾正体，并转换词汇（s2twp）"),
        QStringLiteral("台湾正体到简体，并转换词汇（tw2sp）"),
        QStringLiteral("简体到香港繁体（s2hk）"), QStringLiteral("香港繁体到简体（hk2s）")}},
  };
  t.option_word_formats = {{QStringLiteral("indent"), QStringLiteral("%1 字")}};
  t.option_file_kinds = {{QStringLiteral("cover"), QStringLiteral("图片")}};
  t.cover_choices = {QStringLiteral("图片"), QStringLiteral("自动绘制"), QStringLiteral("无封面")};
  NameOptionLine(&t);
  t.heading_count = QStringLiteral("%2 中有 %1 个章节标题");
  t.heading_count_none = QStringLiteral("选择一个源文件后显示其章节数。");
  t.replace_caption = QStringLiteral("替换");
  t.replace_find_what = QStringLiteral("查找内容(&N)：");
  t.replace_with = QStringLiteral("替换为(&P)：");
  t.replace_whole_word = QStringLiteral("全字匹配(&W)");
  t.replace_find_next = QStringLiteral("查找下一个(&F)");
  t.replace_replace = QStringLiteral("替换(&R)");
  t.replace_replace_all = QStringLiteral("全部替换(&A)");
  t.replace_cancel = QStringLiteral("取消");
  return t;
}

}  // namespace

InterfaceLanguage DecideInterfaceLanguage(const QLocale& locale) {
  return locale.language() == QLocale::Chinese && locale.territory() == QLocale::China
             ? InterfaceLanguage::kChinese
             : InterfaceLanguage::kEnglish;
}

const InterfaceTexts& TextsFor(InterfaceLanguage language) {
  static const InterfaceTexts english = MakeEnglish();
  static const InterfaceTexts chinese = MakeChinese();
  return language == InterfaceLanguage::kChinese ? chinese : english;
}

}  // namespace quireforge
