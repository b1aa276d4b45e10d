#include "ui/LocalPaths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStringList>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Utf.h"

namespace quireforge {

namespace {

std::string NativeBytes(const QString& path) { return ToUtf8(path.toStdU16String()); }

bool Exists(const std::string& native) {
  struct stat status;
  return lstat(native.c_str(), &status) == 0;
}

// The name in folder `folder` (native) that Qt decodes to `name`, when exactly one does.
std::optional<std::string> EntryNamed(const std::string& folder, const QString& name) {
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.empty() ? "/" : folder.c_str()),
                                                    &closedir);
  if (listing == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (const struct dirent* entry = readdir(listing.get())) {
    if (QFile::decodeName(QByteArray(entry->d_name)) != name) continue;
    if (found) return std::nullopt;  // two names read alike: which one was meant is unknown
    found = entry->d_name;
  }
  return found;
}

}  // namespace

QString PathFromNative(const QByteArray& bytes) {
  return QString::fromStdU16String(
      FromUtf8Escaped(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
}

QString PathFromUrl(const QUrl& url) {
  if (!url.isLocalFile()) return QString();
  // The encoded path keeps the bytes of a name that is no UTF-8 as %XX; toLocalFile would not.
  return PathFromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QUrl UrlFromPath(const QString& path) {
  const std::string native = NativeBytes(path);
  return QUrl::fromEncoded(
      "file://" +
      QByteArray(native.data(), static_cast<qsizetype>(native.size())).toPercentEncoding("/"));
}

QString CurrentFolderPath() {
  std::unique_ptr<char, void (*)(void*)> folder(getcwd(nullptr, 0), &free);
  return folder == nullptr ? QString() : PathFromNative(QByteArray(folder.get()));
}

QString RecoveredPath(const QString& path) {
  if (!path.startsWith(QLatin1Char('/')) || Exists(NativeBytes(path))) return path;
  std::string native;
  const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (const QString& name : names) {
    std::string next = native + '/' + NativeBytes(name);
    if (!Exists(next)) {
      // A name that is not there as it stands (a new file to save keeps its own).
      if (const std::optional<std::string> entry = EntryNamed(native, name)) {
        next = native + '/' + *entry;
      }
    }
    native = std::move(next);
  }
  return PathFromNative(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

}  // namespace quireforge
