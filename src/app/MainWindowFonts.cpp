#include "app/MainWindowFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace norvane {

namespace {

// A font by family name, with the platform's closest font when the family is missing: its
// sans-serif font for a proportional family (fontconfig's own fallback, so no style hint is
// set: a font that resolves to the application font's face and size then shares its
// engines), its fixed-width font for a typewriter family.
QFont fontWithFallback(const QString& family, QFont::StyleHint hint, int pointSize) {
    if (hint == QFont::TypeWriter && !QFontDatabase::hasFamily(family))
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont font(family, pointSize);
    if (hint == QFont::TypeWriter)
        font.setStyleHint(hint);
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
