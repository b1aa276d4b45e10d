#include "cli/CliDocuments.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Utf.h"
#include "cli/CliDefinition.h"
#include "conversion/BookOptionTable.h"

namespace quireforge {

namespace {

// The options a user sees: not the source, not those hidden from --help.
std::vector<const CLI::Option*> VisibleOptions(const CLI::App& app) {
  std::vector<const CLI::Option*> options;
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional() || option->get_group().empty()) continue;
    options.push_back(option);
  }
  return options;
}

// "-o | --output": the option's names as a bash case pattern.
std::string CasePattern(const CLI::Option& option) {
  std::string pattern;
  for (const std::string& name : option.get_snames()) {
    if (!pattern.empty()) pattern += " | ";
    pattern += "-" + name;
  }
  for (const std::string& name : option.get_lnames()) {
    if (!pattern.empty()) pattern += " | ";
    pattern += "--" + name;
  }
  return pattern;
}

bool TakesValue(const CLI::Option& option) { return option.get_expected_min() > 0; }

// The completion of a value of `option`: the words to offer, or the files to list ("_filedir
// '@(ttf|TTF)'"), or nothing (a free text).
std::string ValueCompletion(const CliDefinition& definition, const CLI::Option& option) {
  std::string words;
  if (const BookOption* book = definition.BookOptionOf(option)) {
    if (book->kind == OptionKind::kPath) {
      std::string patterns;
      for (const auto upper : {false, true}) {
        for (std::string_view extension : book->extensions) {
          if (!patterns.empty()) patterns += '|';
          for (const char c : extension) {
            patterns += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
          }
        }
      }
      return "_filedir '@(" + patterns + ")'";
    }
    for (std::string_view word : book->words) {
      if (word.empty()) continue;
      if (!words.empty()) words += ' ';
      words += word;
    }
  } else if (option.check_lname("output")) {
    return "_filedir epub";
  } else if (option.check_lname("codepage")) {
    for (std::string_view name : kUsualCodePages) {
      if (!words.empty()) words += ' ';
      words += name;
    }
  }
  if (words.empty()) return std::string();
  return "COMPREPLY=($(compgen -W '" + words + "' -- \"$cur\"))";
}

}  // namespace

std::string BashCompletion(const CliDefinition& definition) {
  const std::vector<const CLI::Option*> options = VisibleOptions(definition.App());
  std::string script =
      "# bash completion for quireforge-cli, made from its options when it was built: the\n"
      "# options, the words of the options that take a choice, and files: text files as\n"
      "# sources, .epub targets, fonts and pictures.\n"
      "\n"
      "_quireforge_cli() {\n"
      "  local cur prev words cword\n"
      "  _init_completion || return\n"
      "\n"
      "  case $prev in\n";
  std::string free_values;
  for (const CLI::Option* option : options) {
    if (!TakesValue(*option)) continue;
    const std::string completion = ValueCompletion(definition, *option);
    if (completion.empty()) {
      if (!free_values.empty()) free_values += " | ";
      free_values += CasePattern(*option);
      continue;
    }
    script +=
        "    " + CasePattern(*option) + ")\n      " + completion + "\n      return\n      ;;\n";
  }
  if (!free_values.empty()) script += "    " + free_values + ")\n      return\n      ;;\n";
  std::string names;
  for (const CLI::Option* option : options) {
    for (const std::string& name : option->get_lnames()) {
      if (!names.empty()) names += ' ';
      names += "--" + name;
    }
  }
  script +=
      "  esac\n"
      "\n"
      "  if [[ $cur == -* ]]; then\n"
      "    COMPREPLY=($(compgen -W '" +
      names +
      "' -- \"$cur\"))\n"
      "    return\n"
      "  fi\n"
      "  _filedir '@(txt|TXT)'\n"
      "}\n"
      "complete -F _quireforge_cli quireforge-cli\n";
  return script;
}

std::string RoffText(std::string_view text) {
  std::u16string wide;
  AppendFromUtf8(text, &wide);
  std::string roff;
  bool line_start = true;
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    }
    if (line_start && (c == '.' || c == '\'')) roff += "\\&";
    line_start = c == '\n';
    if (c == '\\') {
      roff += "\\e";
    } else if (c == '-') {
      roff += "\\-";
    } else if (c < 0x80) {
      roff += static_cast<char>(c);
    } else {
      char name[16];
      std::snprintf(name, sizeof name, "\\[u%04X]", static_cast<unsigned>(c));
      roff += name;
    }
  }
  return roff;
}

std::string ManPageOptions(const CliDefinition& definition) {
  std::string roff;
  for (const CLI::Option* option : VisibleOptions(definition.App())) {
    std::string names;
    for (const std::string& name : option->get_snames())
      names += (names.empty() ? "-" : ", -") + name;
    for (const std::string& name : option->get_lnames()) {
      names += (names.empty() ? "--" : ", --") + name;
    }
    roff += ".TP\n.B " + RoffText(names);
    if (TakesValue(*option)) {
      std::string value = option->get_option_text();
      if (value.empty()) value = option->get_type_name();
      roff += " \\fI" + RoffText(value) + "\\fR";
    }
    std::string text = option->get_description();
    std::string excluded;
    for (const CLI::Option* other : option->get_excludes()) {
      excluded += (excluded.empty() ? " Not with " : ", ") + other->get_name();
    }
    if (!excluded.empty()) text += "." + excluded + ".";
    roff += "\n" + RoffText(text) + "\n";
  }
  return roff;
}

}  // namespace quireforge
