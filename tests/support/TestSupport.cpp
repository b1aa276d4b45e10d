#include "TestSupport.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quireforge::test {

namespace {

bool SaveEnv(const char* name, std::string* value) {
  const char* v = getenv(name);
  if (v == nullptr) return false;
  *value = v;
  return true;
}

void RestoreEnv(const char* name, bool had, const std::string& value) {
  if (had) {
    setenv(name, value.c_str(), 1);
  } else {
    unsetenv(name);
  }
}

}  // namespace

TempDir::TempDir() {
  had_temp_ = SaveEnv("TEMP", &old_temp_);
  had_tmpdir_ = SaveEnv("TMPDIR", &old_tmpdir_);
  std::string pattern = "/tmp/qftest-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  setenv("TEMP", path_.c_str(), 1);
  setenv("TMPDIR", path_.c_str(), 1);
}

TempDir::~TempDir() {
  RestoreEnv("TEMP", had_temp_, old_temp_);
  RestoreEnv("TMPDIR", had_tmpdir_, old_tmpdir_);
  RunCommand("chattr -R -i " + ShellQuote(path_.string()) + " >/dev/null 2>&1");
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ScopedEnvironment::~ScopedEnvironment() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

void ScopedEnvironment::Set(const std::string& name, const char* value) {
  if (!saved_.count(name)) {
    const char* old = getenv(name.c_str());
    saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
  }
  if (value != nullptr) {
    setenv(name.c_str(), value, 1);
  } else {
    unsetenv(name.c_str());
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int RunCommand(const std::string& command, std::string* output) {
  std::string full = command + " 2>&1";
  FILE* pipe = popen(full.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("popen failed: " + command);
  std::array<char, 4096> buffer;
  std::string text;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), n);
  int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunInChildWithin(int seconds, const std::function<int()>& body) {
  fflush(nullptr);  // nothing buffered is written twice
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int status = 1;
    try {
      status = body();
    } catch (...) {
      status = 125;
    }
    _exit(status);
  }
  int status = 0;
  for (int waited = 0; waited < seconds * 20; ++waited) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    usleep(50000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::u16string U16(const std::string& utf8) {
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(utf8);
  return std::u16string(text.getBuffer(), text.getBuffer() + text.length());
}

std::string U8(const std::u16string& utf16) {
  std::string out;
  icu::UnicodeString(false, utf16.data(), static_cast<int32_t>(utf16.size())).toUTF8String(out);
  return out;
}

std::vector<std::string> RecordingUserInterface::CallsStartingWith(
    const std::string& prefix) const {
  std::vector<std::string> found;
  for (const auto& call : calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

}  // namespace quireforge::test
