// Program start: the font configuration read alongside, German standard buttons, the
// platform's drives, desktop and server address, then the main window.

#include "app/GermanTranslations.h"
#include "app/MainWindowFonts.h"
#include "app/frmMain.h"
#include "platform/desktop/DesktopShell.h"
#include "platform/desktop/FontWarmUp.h"
#include "platform/drives/DeviceEvents.h"
#include "platform/drives/Drives.h"
#include "platform/drives/EjectorChoice.h"
#include "platform/files/StateFiles.h"
#include "platform/process/ProgramFolder.h"
#include "storage/basINI.h"
#include "update/ServerUrls.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    norvane::platform::FontWarmUp fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norvane-usbtool"));
    // Ties the window to its menu entry and icon on desktops that ask (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("de.norvane.usbtool"));

    fonts.measure([] { return norvane::mainWindowFonts().all(); });
    norvane::installGermanTranslations(app);

    const std::unique_ptr<norvane::platform::Drives> drives = norvane::platform::createDrives();
    // One drives object for the whole program: a device event's look at the drives is
    // the snapshot the stick detection after it reads.
    const std::unique_ptr<norvane::platform::DeviceEvents> deviceEvents =
        norvane::platform::createDeviceEvents(*drives);
    const std::unique_ptr<norvane::platform::Ejector> ejector = norvane::platform::createEjector();
    norvane::platform::DesktopShell shell;
    norvane::basINI ini;
    norvane::frmMain window({.drives = *drives,
                             .shell = shell,
                             .ini = ini,
                             .deviceEvents = deviceEvents.get(),
                             .ejector = ejector.get(),
                             .programFolder = norvane::platform::programFolder(),
                             .serverAddress = norvane::serverAddress(),
                             .stateFolder = norvane::platform::stateFolder(),
                             .detectDrivesAfterFirstPaint = true});
    window.show();
    const int result = QApplication::exec();
    fonts.finish();
    return result;
}
