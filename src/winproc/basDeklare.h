#pragma once
// The main window's message procedure: device arrival and removal reach the drive
// object here while automatic detection is on.
//
// The platform tells of removable volumes arriving and leaving (DeviceEvents); this is
// the one place that turns them into the classic window messages (WM_DEVICECHANGE with
// wParam DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE) that WindowProc acts on. The
// volume's record travels with the message as its lParam, as the system's description
// of the device does.

#include <QObject>
#include <QString>
#include <functional>

namespace norvane {

class cDrive;
namespace platform {
class DeviceEvents;
struct DriveRecord;
} // namespace platform

inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_DEVICECHANGE = 0x0219;
inline constexpr unsigned DBT_DEVICEARRIVAL = 0x8000;
inline constexpr unsigned DBT_DEVICEREMOVECOMPLETE = 0x8004;

class basDeklare {
public:
    // drive: the program's drive object; autoDetect: reads the program-wide switch.
    basDeklare(cDrive& drive, std::function<bool()> autoDetect);

    // Installs and removes the procedure. A window is hooked at most once; unhooking
    // twice is harmless.
    void HookWindow();
    void UnhookWindow();
    bool hooked() const { return m_hooked; }

    // Handles one message of the main window; the result is that of the previous
    // procedure, which takes every message (there is none beyond this one: 0). lParam:
    // the volume a device change concerns, when it is known. An arrival takes the first
    // drive of the look the device event took, which lParam is part of.
    long WindowProc(unsigned message, unsigned wParam, const platform::DriveRecord* lParam = nullptr);

    // A removable volume arrived or left: the matching device-change message.
    void volumeArrived(const platform::DriveRecord& volume);
    void volumeRemoved(const platform::DriveRecord& volume);
    // Hands every arrival and removal of events to this procedure for as long as
    // `receiver` lives; the calls come on receiver's thread.
    void listenTo(platform::DeviceEvents& events, const QObject& receiver);

private:
    cDrive& m_drive;
    std::function<bool()> m_autoDetect;
    bool m_hooked = false;
};

} // namespace norvane
