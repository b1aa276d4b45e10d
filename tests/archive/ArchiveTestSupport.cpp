#include "ArchiveTestSupport.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quireforge::test {

namespace {

std::vector<std::string> Strip(const std::vector<std::string>& calls, const std::string& prefix) {
  std::vector<std::string> texts;
  for (const std::string& call : calls) texts.push_back(call.substr(prefix.size()));
  return texts;
}

}  // namespace

std::string EngineDir(const std::string& name) {
  return std::string(QF_TEST_ENGINES_DIR) + "/" + name;
}

EngineLog::EngineLog(const std::filesystem::path& folder) : path_(folder / "engine.log") {
  setenv("QF_TEST_ENGINE_LOG", path_.c_str(), 1);
}

EngineLog::~EngineLog() { unsetenv("QF_TEST_ENGINE_LOG"); }

std::vector<std::string> EngineLog::Lines() const {
  std::vector<std::string> lines;
  std::ifstream in(path_);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int EngineLog::Count(const std::string& wanted) const {
  int count = 0;
  for (const std::string& line : Lines()) count += line == wanted ? 1 : 0;
  return count;
}

std::map<std::string, std::string> EngineLog::LastCommand() const {
  std::map<std::string, std::string> fields;
  for (const std::string& line : Lines()) {
    if (line == "exec") {
      fields.clear();
      continue;
    }
    size_t equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return fields;
}

void MakeZip(const std::filesystem::path& path, const std::map<std::string, std::string>& files,
             const std::string& comment) {
  std::ostringstream script;
  script << "import sys, zipfile\n"
         << "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
         << "args = sys.argv[3:]\n"
         << "for i in range(0, len(args), 2):\n"
         << "    z.writestr(args[i], args[i + 1])\n"
         << "z.comment = sys.argv[2].encode()\n"
         << "z.close()\n";
  std::string command = "python3 -c " + ShellQuote(script.str()) + " " + ShellQuote(path.string()) +
                        " " + ShellQuote(comment);
  // Appended piece by piece: GCC 12 at -O3 takes `" " + string` for an overlapping copy
  // (-Wrestrict).
  for (const auto& [name, content] : files) {
    for (const std::string* word : {&name, &content}) {
      command += ' ';
      command += ShellQuote(*word);
    }
  }
  std::string output;
  if (RunCommand(command, &output) != 0) throw std::runtime_error("zip failed: " + output);
}

bool LibraryMapped(const std::string& path) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.size() >= path.size() &&
        line.compare(line.size() - path.size(), path.size(), path) == 0) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> Errors(const RecordingUserInterface& ui) {
  return Strip(ui.CallsStartingWith("ShowArchiveError "), "ShowArchiveError ");
}

std::vector<std::string> Informations(const RecordingUserInterface& ui) {
  return Strip(ui.CallsStartingWith("ShowArchiveInformation "), "ShowArchiveInformation ");
}

}  // namespace quireforge::test
