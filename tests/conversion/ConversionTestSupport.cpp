#include "ConversionTestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

#include "conversion/ClassicBook.h"
#include "conversion/StagingRoot.h"

namespace quireforge::test {

bool StandInChapterHead(std::u16string_view line) {
  static const std::u16string_view kNumerals = u"0123456789一二三四五六七八九十百千零〇 　";
  for (size_t start = line.find(u'第'); start != std::u16string_view::npos;
       start = line.find(u'第', start + 1)) {
    size_t i = start + 1;
    while (i < line.size() && i - start <= 11 &&
           kNumerals.find(line[i]) != std::u16string_view::npos) {
      ++i;
    }
    if (i < line.size() && i - start <= 11 && (line[i] == u'章' || line[i] == u'回')) return true;
  }
  return false;
}

JobBench::JobBench(const std::string& code_page)
    : code_page_(std::make_unique<LegacyCodePage>(code_page)) {
  CreateStagingRoot(U16(staging_root().string()));
  environment.staging_root = U16(staging_root().string());
  environment.ui = &ui;
  environment.is_chapter_head = StandInChapterHead;
  environment.code_page = code_page_.get();
}

std::u16string JobBench::Source(const std::string& name, const std::string& bytes) const {
  WriteFile(temp_.path() / name, bytes);
  return U16((temp_.path() / name).string());
}

JobParameters JobBench::Parameters(std::vector<std::u16string> sources) const {
  JobParameters parameters;
  parameters.sources = std::move(sources);
  parameters.target_path = U16((temp_.path() / "book.epub").string());
  parameters.title = u"Book";
  parameters.author = u"Author";
  // The classic book, which the byte-for-byte expectations were written for.
  parameters.options = ClassicOptions();
  return parameters;
}

std::unique_ptr<TConvertFile> JobBench::Build(const JobParameters& parameters) {
  return std::make_unique<TConvertFile>(parameters, environment);
}

std::filesystem::path StagingDir(const TConvertFile& job) {
  return std::filesystem::path(U8(job.StagingPath()));
}

std::string Staged(const TConvertFile& job, const std::string& relative) {
  return ReadFile(StagingDir(job) / relative);
}

std::vector<std::string> FilesBelow(const std::filesystem::path& dir) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_directory()) files.push_back(entry.path().lexically_relative(dir).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string CrLfLines(const std::vector<std::string>& lines, bool mark) {
  std::string text = mark ? "\xEF\xBB\xBF" : "";
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string PageBytes(int number, const std::vector<std::string>& paragraphs) {
  std::vector<std::string> lines = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
      "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">",
      "<head>",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
      "<meta content=\"text/html; charset=UTF-8\" />",
      "<title>" + std::to_string(number) + "</title>",
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/main.css\" />",
      "</head>",
      "<body>",
  };
  lines.insert(lines.end(), paragraphs.begin(), paragraphs.end());
  lines.push_back("</body>");
  lines.push_back("</html>");
  return CrLfLines(lines, true);
}

std::string PackageBytes(const std::string& title, const std::string& author,
                         const std::string& identifier, int pages) {
  std::vector<std::string> lines = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>",
      "<package version=\"2.0\" unique-identifier=\"PrimaryID\" "
      "xmlns=\"http://www.idpf.org/2007/opf\">",
      "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
      "xmlns:opf=\"http://www.idpf.org/2007/opf\">",
      "<dc:title>" + title + "</dc:title>",
      "<dc:identifier id=\"PrimaryID\" opf:scheme=\"URN\">F.F.F." + identifier + "</dc:identifier>",
      "<dc:language>en</dc:language>",
      "<dc:creator>" + author + "</dc:creator>",
      "</metadata>",
      "<manifest>",
      "<item id=\"main-css\" href=\"css/main.css\" media-type=\"text/css\"/>",
      "<item id=\"ncx\"  href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>",
  };
  for (int n = 1; n <= pages; ++n) {
    const std::string id = std::to_string(n);
    lines.push_back("<item id=\"chapter" + id + "\" href=\"ch_" + id +
                    ".html\" media-type=\"application/xhtml+xml\"/>");
  }
  lines.push_back("</manifest>");
  lines.push_back("<spine toc=\"ncx\">");
  for (int n = 1; n <= pages; ++n) {
    lines.push_back("<itemref idref=\"chapter" + std::to_string(n) + "\" />");
  }
  lines.push_back("</spine>");
  lines.push_back("</package>");
  return CrLfLines(lines, true);
}

std::string XmlProblems(const std::filesystem::path& file) {
  std::string output;
  const int status =
      RunCommand("python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' " +
                     ShellQuote(file.string()),
                 &output);
  return status == 0 ? std::string() : output.empty() ? "python3 failed" : output;
}

std::string RunAsNobody(const std::function<void()>& action) {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(channel[0]);
    std::string report = "ok";
    if (setgid(65534) != 0 || setuid(65534) != 0) {
      report = "cannot become nobody";
    } else {
      try {
        action();
      } catch (const std::exception& e) {
        report = e.what();
      }
    }
    (void)!write(channel[1], report.data(), report.size());
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char buffer[512];
  ssize_t n;
  while ((n = read(channel[0], buffer, sizeof buffer)) > 0) report.append(buffer, n);
  close(channel[0]);
  waitpid(child, nullptr, 0);
  return report;
}

}  // namespace quireforge::test
