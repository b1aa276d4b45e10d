#include "EpubCheck.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sstream>

namespace quireforge::test {

namespace fs = std::filesystem;

namespace {

// The validator's Java machine, talking through two pipes: a path per line in, the report
// with its BOOK and END lines out. Ends with the test program (its input closes).
class Validator {
 public:
  Validator() {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    const std::string classes = std::string("/usr/bin/epubcheck:") + QF_EPUBCHECK_CLASSES;
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      dup2(out[1], STDERR_FILENO);
      execlp("java", "java", "-XX:+UseSerialGC", "-XX:TieredStopAtLevel=1", "-cp", classes.c_str(),
             "EpubCheckBooks", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid < 0) {
      close(in[1]);
      close(out[0]);
      return;
    }
    pid_ = pid;
    to_ = in[1];
    from_ = fdopen(out[0], "r");
  }

  ~Validator() {
    if (to_ >= 0) close(to_);
    if (from_ != nullptr) fclose(from_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }

  Validator(const Validator&) = delete;
  Validator& operator=(const Validator&) = delete;

  // The report on `book`, without its BOOK and END lines.
  std::string Check(const fs::path& book) {
    if (from_ == nullptr) return "epubcheck could not be started";
    const std::string line = book.string() + "\n";
    // A validator that ended makes the write fail (SIGPIPE ignored) or the read end.
    const auto old = signal(SIGPIPE, SIG_IGN);
    const bool sent = write(to_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    signal(SIGPIPE, old);
    if (!sent) return "epubcheck has ended: " + said_;
    const std::string begin = "BOOK " + book.string();
    const std::string end = "END " + book.string();
    std::string report;
    bool inside = false;
    char* text = nullptr;
    size_t size = 0;
    for (;;) {
      const ssize_t n = getline(&text, &size, from_);
      if (n < 0) {
        free(text);
        return "epubcheck has ended: " + said_ + report;
      }
      std::string read(text, static_cast<size_t>(n));
      if (!read.empty() && read.back() == '\n') read.pop_back();
      if (read == end && inside) break;
      if (read == begin) {
        inside = true;
      } else if (inside) {
        report += read + "\n";
      } else {
        said_ += read + "\n";  // what the machine said before a report (a start-up failure)
      }
    }
    free(text);
    return report;
  }

 private:
  pid_t pid_ = -1;
  int to_ = -1;
  FILE* from_ = nullptr;
  std::string said_;
};

// The problems in what epubcheck said about one book (see EpubCheckProblems).
std::vector<std::string> ProblemsIn(const std::string& output, bool device_font, bool epub3) {
  // What the device-font line of the classic EPUB 2 style sheet gives; every other book has no
  // such line and must pass clean.
  const std::string resource_code = "ERROR(RSC-006)";
  if (epub3) device_font = false;
  std::vector<std::string> problems;
  bool saw_resource = false, saw_opf014 = false;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const bool reported =
        line.rfind("ERROR", 0) == 0 || line.rfind("FATAL", 0) == 0 || line.rfind("WARNING", 0) == 0;
    if (!reported) continue;
    if (device_font && line.find(resource_code) == 0 &&
        line.find("main.css") != std::string::npos) {
      saw_resource = true;
      continue;
    }
    if (device_font && line.find("ERROR(OPF-014)") == 0 &&
        line.find("main.css") != std::string::npos) {
      saw_opf014 = true;
      continue;
    }
    problems.push_back(line);
  }
  if (!device_font && output.find("No errors or warnings detected") == std::string::npos) {
    problems.push_back("no clean verdict in: " + output);
  }
  if (device_font && !(saw_resource && saw_opf014)) {
    problems.push_back("missing the device-font errors in: " + output);
  }
  return problems;
}

}  // namespace

std::string EpubCheckOutput(const fs::path& book) {
  static Validator validator;
  return validator.Check(fs::absolute(book));
}

std::vector<std::string> EpubCheckProblems(const fs::path& book, bool device_font) {
  return ProblemsIn(EpubCheckOutput(book), device_font, false);
}

std::vector<std::vector<std::string>> EpubCheckProblemsOf(const std::vector<CheckedBook>& books) {
  std::vector<std::vector<std::string>> problems;
  for (const CheckedBook& book : books) {
    problems.push_back(ProblemsIn(EpubCheckOutput(book.path), book.device_font, book.epub3));
  }
  return problems;
}

}  // namespace quireforge::test
