#include "ui/SourceField.h"

#include <QUrl>
#include <optional>

namespace quireforge {

namespace {

bool IsBlankOrControl(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

// The path in `text` when `text` is exactly what QuoteSourcePath writes for one path that
// needs quotes; otherwise nothing.
std::optional<QString> QuotedSinglePath(const QString& text) {
  if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"'))) {
    return std::nullopt;
  }
  QString path = text.mid(1, text.size() - 2);
  path.replace(QLatin1String("\"\""), QLatin1String("\""));
  if (QuoteSourcePath(path, false) != text) return std::nullopt;
  return path;
}

// `text` as the local path it names when it is a file:// URL; otherwise `text` itself.
QString FileUrlPath(const QString& text) {
  if (!text.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) return text;
  const QUrl url(text);
  return url.isValid() && url.isLocalFile() ? url.toLocalFile() : text;
}

}  // namespace

QString PastedPath(const QString& text) {
  QString path = text.trimmed();
  for (QChar quote : {QLatin1Char('"'), QLatin1Char('\'')}) {
    if (path.size() >= 2 && path.startsWith(quote) && path.endsWith(quote) &&
        !path.mid(1, path.size() - 2).contains(quote)) {
      path = path.mid(1, path.size() - 2).trimmed();
      break;
    }
  }
  return FileUrlPath(path);
}

QStringList ParseSourceField(const QString& text) {
  if (!text.contains(QLatin1Char(','))) {
    // One path, as typed or pasted, or as the dialog and a drop write it (in double quotes
    // when it holds a blank or a double quote).
    const QString trimmed = text.trimmed();
    const std::optional<QString> quoted = QuotedSinglePath(trimmed);
    return {quoted.has_value() ? *quoted : PastedPath(trimmed)};
  }

  // The list ends at the first NUL, as a C string would.
  const qsizetype n = text.indexOf(QChar(u'\0')) < 0 ? text.size() : text.indexOf(QChar(u'\0'));
  QStringList items;
  qsizetype i = 0;
  auto skip_blanks = [&] {
    while (i < n && IsBlankOrControl(text[i])) ++i;
  };

  skip_blanks();
  while (i < n) {
    QString item;
    if (text[i] == QLatin1Char('"')) {
      ++i;
      while (i < n) {
        if (text[i] == QLatin1Char('"')) {
          if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
            item += QLatin1Char('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      const qsizetype start = i;
      while (i < n && text[i].unicode() > 32 && text[i] != QLatin1Char(',')) ++i;
      item = text.mid(start, i - start);
    }
    items.append(FileUrlPath(item));

    skip_blanks();
    if (i < n && text[i] == QLatin1Char(',')) {
      if (i + 1 == n) items.append(QString());
      ++i;
      skip_blanks();
    }
  }
  return items;
}

QString QuoteSourcePath(const QString& path, bool always) {
  bool needs_quotes = always;
  for (QChar c : path) {
    if (c.unicode() <= 32 || c == QLatin1Char(',') || c == QLatin1Char('"')) needs_quotes = true;
  }
  if (!needs_quotes) return path;
  QString quoted = path;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString JoinSourcePaths(const QStringList& paths) {
  QStringList quoted;
  for (const QString& path : paths) quoted.append(QuoteSourcePath(path, false));
  return quoted.join(QLatin1Char(','));
}

}  // namespace quireforge
