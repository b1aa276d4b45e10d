// quireforge-cli-documents: run by the build, writes quireforge-cli's bash completion and its
// man page (the template with its @OPTIONS@ line replaced by the option list), both made from
// the command-line definition. Not installed.
//   quireforge-cli-documents COMPLETION MAN_TEMPLATE MAN_PAGE
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/CliDefinition.h"
#include "cli/CliDocuments.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: quireforge-cli-documents COMPLETION MAN_TEMPLATE MAN_PAGE\n";
    return 2;
  }
  quireforge::CliOptions options;
  quireforge::CliDefinition definition(&options);
  std::ifstream template_file(argv[2]);
  std::stringstream page;
  page << template_file.rdbuf();
  std::string text = page.str();
  const std::string mark = "@OPTIONS@\n";
  const size_t at = text.find(mark);
  if (!template_file || at == std::string::npos) {
    std::cerr << argv[2] << ": no line @OPTIONS@\n";
    return 1;
  }
  text.replace(at, mark.size(), quireforge::ManPageOptions(definition));
  std::ofstream completion(argv[1]);
  completion << quireforge::BashCompletion(definition);
  std::ofstream man(argv[3]);
  man << text;
  completion.close();
  man.close();
  if (!completion || !man) {
    std::cerr << "cannot write " << argv[1] << " or " << argv[3] << "\n";
    return 1;
  }
  return 0;
}
