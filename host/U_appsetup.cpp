#include "U_appsetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void PrepareApplication(QApplication& app) {
  // The control speaks Korean whatever the locale; Qt's own menus and
  // pickers do too where `qt6-translations-l10n` is installed.
  static QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexts);
  // The auto-hinter reads a sample of glyphs spread over each font file it meets.
  QFont face = QApplication::font();
  face.setHintingPreference(QFont::PreferNoHinting);
  QApplication::setFont(face);
}
