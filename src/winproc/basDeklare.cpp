#include "winproc/basDeklare.h"

#include "platform/drives/DeviceEvents.h"
#include "stick/cDrive.h"

namespace norvane {

basDeklare::basDeklare(cDrive& drive, std::function<bool()> autoDetect)
    : m_drive(drive), m_autoDetect(std::move(autoDetect)) {}

void basDeklare::HookWindow() {
    m_hooked = true;
}

void basDeklare::UnhookWindow() {
    m_hooked = false;
}

void basDeklare::volumeArrived(const QString& /*root*/) {
    WindowProc(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
}

void basDeklare::volumeRemoved(const QString& /*root*/) {
    WindowProc(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
}

void basDeklare::listenTo(platform::DeviceEvents& events, const QObject& receiver) {
    QObject::connect(&events, &platform::DeviceEvents::volumeArrived, &receiver,
                     [this](const QString& root) { volumeArrived(root); });
    QObject::connect(&events, &platform::DeviceEvents::volumeRemoved, &receiver,
                     [this](const QString& root) { volumeRemoved(root); });
}

long basDeklare::WindowProc(unsigned message, unsigned wParam, long /*lParam*/) {
    if (!m_hooked)
        return 0;
    if (message == WM_DESTROY) {
        UnhookWindow();
    } else if (message == WM_DEVICECHANGE && m_autoDetect()) {
        if (wParam == DBT_DEVICEARRIVAL) {
            // Any arrival, drive or not: enumerate afresh and take the first drive.
            m_drive.detectStick();
        } else if (wParam == DBT_DEVICEREMOVECOMPLETE) {
            m_drive.RemoveUSB_Info();
        }
    }
    return 0;
}

} // namespace norvane
