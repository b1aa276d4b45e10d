#include "ui/FailureText.h"

#include <QRegularExpression>
#include <QStringList>

#include "ui/InterfaceLanguage.h"

namespace quireforge {

QString FailureText(const InterfaceTexts& texts, const QString& english) {
  if (texts.failure_patterns.empty()) return english;
  QStringList lines = english.split(QLatin1Char('\n'));
  for (QString& line : lines) {
    // The first pattern that matches rewrites the line; the system's reasons inside it are
    // then replaced word for word.
    for (const InterfaceTexts::FailurePattern& pattern : texts.failure_patterns) {
      const QRegularExpression expression(QLatin1Char('^') + pattern.english + QLatin1Char('$'));
      const QRegularExpressionMatch match = expression.match(line);
      if (!match.hasMatch()) continue;
      QString rewritten = pattern.translated;
      for (int i = match.lastCapturedIndex(); i >= 1; --i) {
        rewritten.replace(QLatin1Char('%') + QString::number(i), match.captured(i));
      }
      line = rewritten;
      break;
    }
    for (const auto& [reason, translated] : texts.failure_reasons) {
      line.replace(reason, translated);
    }
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace quireforge
