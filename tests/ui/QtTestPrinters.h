// Lets GoogleTest print Qt texts readably in failure messages ("text" instead of the bytes
// of each character). Found by argument-dependent lookup, so it lives in the global
// namespace beside QString.
#ifndef QUIREFORGE_TESTS_UI_QTTESTPRINTERS_H_
#define QUIREFORGE_TESTS_UI_QTTESTPRINTERS_H_

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{';
  for (qsizetype i = 0; i < texts.size(); ++i) {
    if (i > 0) *out << ", ";
    PrintTo(texts[i], out);
  }
  *out << '}';
}

#endif  // QUIREFORGE_TESTS_UI_QTTESTPRINTERS_H_
