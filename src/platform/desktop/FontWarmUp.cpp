#include "platform/desktop/FontWarmUp.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

#include <fontconfig/fontconfig.h>

namespace norvane::platform {

namespace {

// A font of its own: copies of a QFont share the engines they load, and the window
// thread's fonts must not be touched from here.
QFont unshared(const QFont& font) {
    QFont own(font.families(), -1, font.weight(), font.italic());
    if (font.pointSizeF() > 0)
        own.setPointSizeF(font.pointSizeF());
    else
        own.setPixelSize(font.pixelSize());
    own.setStyleHint(font.styleHint(), font.styleStrategy());
    return own;
}

} // namespace

FontWarmUp::FontWarmUp()
    : m_thread([this, fonts = m_fonts.get_future()]() mutable {
          FcInit();
          m_configured.set_value();
          const std::function<QList<QFont>()> make = fonts.get();
          if (!make)
              return;
          QFontDatabase::families();
          for (const QFont& font : make())
              QFontMetrics(unshared(font)).height();
      }) {}

FontWarmUp::~FontWarmUp() {
    finish();
}

void FontWarmUp::finish() {
    if (!m_fontsGiven) {
        m_fonts.set_value(nullptr);
        m_fontsGiven = true;
    }
    if (m_thread.joinable())
        m_thread.join();
}

void FontWarmUp::measure(std::function<QList<QFont>()> fonts) {
    if (m_fontsGiven)
        return;
    // Qt's font code would read the configuration a second time if it came first.
    m_configured.get_future().wait();
    m_fonts.set_value(std::move(fonts));
    m_fontsGiven = true;
}

} // namespace norvane::platform
