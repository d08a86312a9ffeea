#include "app/messages/FormatMessages.h"

#include "platform/Text.h"

namespace norvane::messages {

namespace {

// The line naming the disk, on a line of its own; nothing when it is unknown.
QString withDiskLine(const QString& diskLine) {
    return diskLine.isEmpty() ? QString() : NewLine + diskLine;
}

// The console runner's warnings carry no title and keep their original words.
Box consoleWarning(const char* text) {
    return {.icon = platform::MessageIcon::Warning, .title = {}, .text = QString::fromLatin1(text)};
}

} // namespace

QString formatStepHeading(int step) {
    return QStringLiteral("Schritt %1:").arg(step);
}

QString formatStepText(int step, const QString& drive, const QString& diskLine) {
    switch (step) {
    case 1:
        return QStringLiteral("Vergewisseren Sie sich dass die ") +
               QStringLiteral("USB-Platte NICHT am PC angeschlossen ist und drücken Sie dann auf WEITER.");
    case 2:
        return QStringLiteral("Schließen Sie jetzt die USB-Festplatte an.") + NewLine + NewLine +
               QStringLiteral("Falls die Festplatte nicht gefunden wird, schließen Sie die Platte nochmal ab "
                              "und gehen einen Schritt ZURÜCK.");
    default:
        return QStringLiteral("USB-Festplatte gefunden!") + NewLine + QStringLiteral("Laufwerksbuchstabe: ") +
               drive + withDiskLine(diskLine);
    }
}

Box formatNeedsAdministrator() {
    return {.title = QStringLiteral("Keine Administrator-Rechte !"),
            .text = QStringLiteral("Zum Formatieren benötigen Sie Administrator-Rechte") + NewLine +
                    QStringLiteral("Melden Sie sich bei Windows als Administrator an, oder verständigen Sie "
                                   "Ihren Systemadministrator!")};
}

Box formatConfirmation(const QString& drive, const QString& diskLine) {
    return {.icon = platform::MessageIcon::None,
            .buttons = platform::MessageButtons::OkCancel,
            .title = QStringLiteral("Wollen Sie formatieren ?"),
            .text = QStringLiteral("ACHTUNG: ALLE DATEN AUF DER USB-DISK WERDEN GELÖSCHT:") + NewLine +
                    NewLine + QStringLiteral("Wollen Sie wirklich die Festplatte ") + drive +
                    QStringLiteral(" formatieren?") + withDiskLine(diskLine) + NewLine + NewLine +
                    QStringLiteral("Für Datenverlust wird keine Haftung übernommen.") + NewLine + NewLine +
                    QStringLiteral("Formatieren mit OK ?")};
}

Box formatResult(bool done) {
    return {.icon = platform::MessageIcon::None,
            .title = {},
            .text = done ? QStringLiteral("Formatierung abgeschlossen.")
                         : QStringLiteral("Formatierung fehlgeschlagen.")};
}

Box consoleStartFailed(platform::ConsoleStart start) {
    return consoleWarning(start == platform::ConsoleStart::PipeNotCreated
                              ? "Anonymous pipe could not be created!"
                              : "New process could not be created!");
}

Box consoleReadFailed() {
    return consoleWarning("Reading data from file failed!");
}

} // namespace norvane::messages
