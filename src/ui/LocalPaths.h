// File names between the system and the window. The system's names are bytes and need not be
// UTF-8 (a GBK name from an old archive of Chinese books); the window holds them in the core's
// form (FromUtf8Escaped: each byte that is no UTF-8 a lone surrogate U+DC80..U+DCFF), which
// the core turns back into the same bytes, so that such a file opens. Qt decodes names it
// lists or hands over with U+FFFD for those bytes: paths from the command line and from
// drops are taken from their bytes, and a path from a file dialog is recovered by finding
// the file its lossy name stands for. Free functions; any thread.
#ifndef QUIREFORGE_UI_LOCALPATHS_H_
#define QUIREFORGE_UI_LOCALPATHS_H_

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace quireforge {

// The path of the native name `bytes`.
QString PathFromNative(const QByteArray& bytes);

// The path of a local file: URL, from its percent-encoded bytes; empty for any other URL.
QString PathFromUrl(const QUrl& url);

// The file: URL of `path`, its bytes percent-encoded.
QUrl UrlFromPath(const QString& path);

// The current folder; empty when it cannot be read.
QString CurrentFolderPath();

// The file `path` stands for, where Qt decoded its name (its file dialogs list names so):
// `path` itself when it names a file; else, component by component, the one entry whose name
// Qt decodes to the component (a component with no such entry, or more than one, stays as it
// is, as the name of a new file does).
QString RecoveredPath(const QString& path);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_LOCALPATHS_H_
