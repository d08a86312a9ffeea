#pragma once
// The fonts the main window sets on some of its labels, beside the application's own.

#include <QFont>
#include <QList>

namespace norvane {

struct MainWindowFonts {
    QFont news;   // the news lines and the captions of the stick panel
    QFont order;  // the order of the receiver's lists, in a fixed-width font
    QFont slogan; // the line below the logo

    // Every font the window is drawn with, the application's own first.
    QList<QFont> all() const;
};

MainWindowFonts mainWindowFonts();

} // namespace norvane
