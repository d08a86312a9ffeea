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

void basDeklare::volumeArrived(const platform::DriveRecord& volume) {
    WindowProc(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, &volume);
}

void basDeklare::volumeRemoved(const platform::DriveRecord& volume) {
    WindowProc(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, &volume);
}

void basDeklare::listenTo(platform::DeviceEvents& events, const QObject& receiver) {
    QObject::connect(&events, &platform::DeviceEvents::volumeArrived, &receiver,
                     [this](const platform::DriveRecord& volume) { volumeArrived(volume); });
    QObject::connect(&events, &platform::DeviceEvents::volumeRemoved, &receiver,
                     [this](const platform::DriveRecord& volume) { volumeRemoved(volume); });
}

long basDeklare::WindowProc(unsigned message, unsigned wParam, const platform::DriveRecord* /*lParam*/) {
    if (!m_hooked)
        return 0;
    if (message == WM_DESTROY) {
        UnhookWindow();
    } else if (message == WM_DEVICECHANGE && m_autoDetect()) {
        if (wParam == DBT_DEVICEARRIVAL) {
            // Any arrival, drive or not: all drives as the event's look found them, and
            // the first of them taken.
            m_drive.detectArrivedStick();
        } else if (wParam == DBT_DEVICEREMOVECOMPLETE) {
            m_drive.RemoveUSB_Info();
        }
    }
    return 0;
}

} // namespace norvane
