#include "ui/InterfaceFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace quireforge {

namespace {

// The first of `candidates` that is installed, or an empty text.
QString FirstInstalled(const QStringList& candidates) {
  for (const QString& candidate : candidates) {
    if (QFontDatabase::hasFamily(candidate)) return candidate;
  }
  return QString();
}

QFont DefaultSans(int point_size) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(point_size);
  return font;
}

}  // namespace

QFont DesignFont() {
  const QString family = FirstInstalled({QStringLiteral("Tahoma")});
  if (family.isEmpty()) return DefaultSans(8);
  return QFont(family, 8);
}

QFont WindowFont(InterfaceLanguage language) {
  if (language == InterfaceLanguage::kEnglish) return DesignFont();
  const QString family =
      FirstInstalled({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("AR PL UMing CN")});
  if (family.isEmpty()) return DefaultSans(9);
  return QFont(family, 9);
}

}  // namespace quireforge
