#include "ui/DerivedNames.h"

namespace quireforge {

QString FileNamePart(const QString& path) {
  return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExtensionOf(const QString& path) {
  const QString name = FileNamePart(path);
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot);
}

QString DerivedTargetPath(const QString& path, const QString& new_extension) {
  const QString extension = ExtensionOf(path);
  return path.left(path.size() - extension.size()) + new_extension;
}

QString DerivedTitle(const QString& path) {
  QString title = FileNamePart(path);
  const QString extension = ExtensionOf(path);
  if (!extension.isEmpty()) title.replace(extension, QString(), Qt::CaseSensitive);
  return title;
}

}  // namespace quireforge
