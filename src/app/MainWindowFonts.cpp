#include "app/MainWindowFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace norvane {

namespace {

// A font by family name, with the platform's closest font when the family is missing.
QFont fontWithFallback(const QString& family, QFont::StyleHint hint, int pointSize) {
    QFont font(family, pointSize);
    font.setStyleHint(hint);
    if (hint == QFont::TypeWriter && !QFontDatabase::hasFamily(family))
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

} // namespace

QList<QFont> MainWindowFonts::all() const {
    return {QGuiApplication::font(), news, order, slogan};
}

MainWindowFonts mainWindowFonts() {
    MainWindowFonts fonts{fontWithFallback(QStringLiteral("Tahoma"), QFont::SansSerif, 9),
                          fontWithFallback(QStringLiteral("Courier New"), QFont::TypeWriter, 9),
                          fontWithFallback(QStringLiteral("Arial"), QFont::SansSerif, 11)};
    fonts.slogan.setItalic(true);
    return fonts;
}

} // namespace norvane
