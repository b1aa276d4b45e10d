#include "BookChecks.h"

#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "TestSupport.h"

namespace quireforge::test {

namespace fs = std::filesystem;

CliResult RunCli(const std::vector<std::string>& arguments, const fs::path& cwd,
                 const std::string& environment) {
  // Named by process and call: the test programs run side by side, and a test that sets no
  // TEMP of its own shares /tmp with the others.
  static int counter = 0;
  const std::string name = std::to_string(getpid()) + "-" + std::to_string(++counter);
  const fs::path out_file = fs::temp_directory_path() / ("cli-out-" + name);
  const fs::path err_file = fs::temp_directory_path() / ("cli-err-" + name);
  std::string command =
      environment + " " + ShellQuote(std::string(QF_BUILD_DIR) + "/quireforge-cli");
  // Appended piece by piece: GCC 12 at -O3 takes `" " + string` for an overlapping copy
  // (-Wrestrict).
  for (const std::string& argument : arguments) {
    command += ' ';
    command += ShellQuote(argument);
  }
  command += " >" + ShellQuote(out_file.string()) + " 2>" + ShellQuote(err_file.string());
  if (!cwd.empty()) command = "cd " + ShellQuote(cwd.string()) + " && " + command;
  CliResult result;
  result.status = RunCommand("( " + command + " )");
  result.out = ReadFile(out_file);
  result.err = ReadFile(err_file);
  fs::remove(out_file);
  fs::remove(err_file);
  return result;
}

std::string ZipProblems(const fs::path& book) {
  const std::string quoted = ShellQuote(book.string());
  std::string output;
  if (RunCommand("unzip -tq " + quoted, &output) != 0) return "unzip -t: " + output;
  if (RunCommand("7z t " + quoted, &output) != 0) return "7z t: " + output;
  const std::string script =
      "import struct, sys, zipfile\n"
      "path = sys.argv[1]\n"
      "z = zipfile.ZipFile(path)\n"
      "first = z.infolist()[0]\n"
      "problems = []\n"
      "if first.filename != 'mimetype': problems.append('first entry ' + first.filename)\n"
      "if first.compress_type != zipfile.ZIP_STORED: problems.append('mimetype compressed')\n"
      "if first.extra: problems.append('central extra field')\n"
      "if z.read('mimetype') != b'application/epub+zip': problems.append('mimetype bytes')\n"
      "head = open(path, 'rb').read(38 + 20)\n"
      "sig, name_len, extra_len = struct.unpack('<I22xHH', head[:30])\n"
      "if sig != 0x04034b50 or head[30:38] != b'mimetype': problems.append('local header')\n"
      "if extra_len != 0: problems.append('local extra field')\n"
      "if head[38:58] != b'application/epub+zip': problems.append('local mimetype bytes')\n"
      "bad = z.testzip()\n"
      "if bad: problems.append('bad entry ' + bad)\n"
      "print('; '.join(problems))\n";
  if (RunCommand("python3 -c " + ShellQuote(script) + " " + quoted, &output) != 0) {
    return "python zipfile: " + output;
  }
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

std::vector<std::string> EntryNames(const fs::path& book) {
  std::string output;
  RunCommand("python3 -c " +
                 ShellQuote("import sys, zipfile\n"
                            "for n in zipfile.ZipFile(sys.argv[1]).namelist(): print(n)") +
                 " " + ShellQuote(book.string()),
             &output);
  std::vector<std::string> names;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) names.push_back(line);
  return names;
}

std::string EntryBytes(const fs::path& book, const std::string& entry) {
  const fs::path copy = fs::temp_directory_path() / "entry-bytes";
  RunCommand("unzip -p " + ShellQuote(book.string()) + " " + ShellQuote(entry) + " > " +
             ShellQuote(copy.string()));
  std::string bytes = ReadFile(copy);
  fs::remove(copy);
  return bytes;
}

std::vector<std::string> EverythingBelow(const fs::path& dir) {
  std::vector<std::string> found;
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error)) {
    found.push_back(it->path().lexically_relative(dir).string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> RunLeftovers(const fs::path& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("quireforge-cli-") || name.starts_with(".quireforge-")) {
      found.push_back(name);
    }
  }
  return found;
}

std::string NovelText(size_t bytes) {
  const std::string novel = ReadFile(fs::path(QF_CORPUS_DIR) / "西游记.txt");
  if (bytes >= novel.size()) return novel;
  const size_t end = novel.find("\r\n", bytes);
  return novel.substr(0, end == std::string::npos ? novel.size() : end + 2);
}

}  // namespace quireforge::test
