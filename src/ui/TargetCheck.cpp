#include "ui/TargetCheck.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace quireforge {

namespace {

namespace fs = std::filesystem;

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) {
    const bool same = fs::equivalent(a, b, ec);
    if (!ec) return same;
  }
  const fs::path resolved_a = fs::weakly_canonical(fs::absolute(a, ec), ec);
  const fs::path resolved_b = fs::weakly_canonical(fs::absolute(b, ec), ec);
  return resolved_a.lexically_normal() == resolved_b.lexically_normal();
}

}  // namespace

void RefuseTargetAmongSources(const QString& target, const QStringList& sources) {
  const fs::path target_path(target.toStdString());
  for (const QString& source : sources) {
    if (source.isEmpty()) continue;
    if (SameFile(target_path, fs::path(source.toStdString()))) {
      throw std::runtime_error("Cannot create file \"" + target.toStdString() +
                               "\". It is one of the source files.");
    }
  }
}

}  // namespace quireforge
