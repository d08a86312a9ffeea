// The words of the drives, the stick panel and ejecting.

#include "app/messages/Messages.h"

namespace norvane::messages {

QString removableDriveText() {
    return QStringLiteral("Wechseldatenträger");
}

StickPresenceTexts stickPresenceTexts(bool found) {
    if (found)
        return {QStringLiteral("Starte Update"), QStringLiteral("USB Stick"),
                QStringLiteral("USB-Stick gefunden.")};
    return {QStringLiteral("USB Stick einstecken"), QStringLiteral("No Stick"),
            QStringLiteral("Kein USB-Stick gefunden. Schließen Sie den USB-Stick am PC an.")};
}

QString stickEjectedText() {
    return QStringLiteral("Der USB-Stick kann jetzt entfernt werden.");
}

QStringList ejectFailureLines(const Failure& failure) {
    const QString failed = QStringLiteral("Der USB-Stick konnte nicht ausgeworfen werden.");
    // Another file system of the stick's drive could not be unmounted: the stick itself
    // is still mounted and stays.
    QStringList other;
    if (!failure.other.isEmpty())
        other << QStringLiteral(
                     "Auf dem USB-Stick ist außerdem „%1“ eingehängt und kann nicht abgemeldet werden.")
                     .arg(failure.other);
    switch (failure.kind) {
    case FailureKind::EjectBusy:
        return QStringList{
                   QStringLiteral("Der USB-Stick wird noch verwendet und kann nicht ausgeworfen werden.")} +
               other +
               QStringList{
                   QStringLiteral("Schließen Sie alle Dateien und Fenster, die den USB-Stick verwenden, und "
                                  "versuchen Sie es nochmal."),
                   QString(), failure.detail};
    case FailureKind::EjectFailed:
        return QStringList{failed} + other + QStringList{QString(), failure.detail};
    case FailureKind::EjectTableUnwritable:
        return {failed, QString(), QStringLiteral("Die Laufwerkstabelle kann nicht geschrieben werden.")};
    case FailureKind::EjectNotOffered:
        return {failed, QStringLiteral("Der Systemdienst UDisks2 ist nicht erreichbar oder kennt diesen "
                                       "USB-Stick nicht.")};
    default:
        return {};
    }
}

} // namespace norvane::messages
