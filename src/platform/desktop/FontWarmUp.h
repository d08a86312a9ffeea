#pragma once
// Prepares the fonts of the window on a thread of its own while the window thread starts.
// The first text the window measures would otherwise wait for fontconfig to read its
// configuration files and caches, for Qt's list of font families and for the fallback
// fonts of each font: together about a fifth of the time from the program's start to its
// window on screen. The fonts' engines are made again in the window thread (they are
// kept per thread); the configuration, the family list and the fallbacks are shared.

#include <QFont>
#include <QList>

#include <functional>
#include <future>
#include <thread>

namespace norvane::platform {

class FontWarmUp {
public:
    // Starts reading the font configuration; needs no application object yet.
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Called once the application object exists: waits until the configuration is read,
    // then lets the thread load the family list and measure the fonts that `fonts` makes
    // while the caller builds the window. `fonts` runs on the thread, so that the fonts it
    // makes share nothing with the window thread's (a font and its copies share engines).
    void measure(std::function<QList<QFont>()> fonts);
    // Waits for the thread; called while the application object still exists.
    void finish();

private:
    std::promise<void> m_configured;
    std::promise<std::function<QList<QFont>()>> m_fonts;
    bool m_fontsGiven = false;
    std::thread m_thread;
};

} // namespace norvane::platform
