#include "update/StickMessages.h"

#include "update/StagedUpdate.h"

#include <QDir>

namespace norvane {

namespace {

QString quoted(const QString& name) {
    return QStringLiteral("„%1“").arg(QDir::toNativeSeparators(name));
}

} // namespace

QString stickFaultTitle() {
    return QStringLiteral("Update fehlgeschlagen");
}

QStringList stickFaultLines(FailureKind fault, const QString& name, const QString& other) {
    const QString file = quoted(name);
    switch (fault) {
    case FailureKind::StickLink:
        return {QStringLiteral("%1 auf dem USB-Stick ist eine Verknüpfung auf eine andere Stelle.").arg(file),
                QStringLiteral("Aus Sicherheitsgründen wird sie nicht überschrieben. Entfernen Sie die "
                               "Verknüpfung vom USB-Stick und versuchen Sie es nochmal.")};
    case FailureKind::StickNameTooLong:
        return {QStringLiteral("Der Name %1 ist für das Dateisystem des USB-Sticks zu lang.").arg(file),
                QStringLiteral("Die Datei wurde nicht geschrieben.")};
    case FailureKind::StickBadName:
        return {QStringLiteral("Der Name %1 ist auf dem USB-Stick nicht erlaubt.").arg(file),
                QStringLiteral("FAT erlaubt in Namen keines der Zeichen : * ? \" < > | und keinen Punkt "
                               "und kein Leerzeichen am Ende. Es wurde nichts entpackt.")};
    case FailureKind::StickNameClash:
        if (name != other && name.toCaseFolded() == other.toCaseFolded())
            return {
                QStringLiteral("Die Namen %1 und %2 unterscheiden sich nur in der Groß- und "
                               "Kleinschreibung.")
                    .arg(file, quoted(other)),
                QStringLiteral("Auf dem USB-Stick wären beide dieselbe Datei. Es wurde nichts entpackt.")};
        return {QStringLiteral("Das Archiv enthält %1 und %2, die auf dem USB-Stick derselbe Name wären.")
                    .arg(file, quoted(other)),
                QStringLiteral("Auf dem USB-Stick wären beide dieselbe Datei. Es wurde nichts entpackt.")};
    case FailureKind::StickNoSpace:
        return {QStringLiteral("Auf dem USB-Stick ist nicht genügend Speicherplatz für %1.").arg(file),
                QStringLiteral("Löschen Sie unbenötigte Daten und versuchen Sie es nochmal.")};
    case FailureKind::StickReadOnly:
        return {QStringLiteral("Der USB-Stick ist schreibgeschützt: %1 konnte nicht geschrieben werden.")
                    .arg(file),
                QStringLiteral("Heben Sie den Schreibschutz auf und versuchen Sie es nochmal.")};
    case FailureKind::StickGone:
        return {QStringLiteral("Der USB-Stick wurde während des Updates entfernt: %1 konnte nicht "
                               "geschrieben werden.")
                    .arg(file),
                QStringLiteral("Stecken Sie den USB-Stick wieder ein und starten Sie das Update nochmal.")};
    case FailureKind::StickNotAFile:
        return {QStringLiteral("Auf dem USB-Stick steht ein Ordner, wo die Datei %1 hingehört.").arg(file),
                QStringLiteral("Entfernen Sie den Ordner und versuchen Sie es nochmal.")};
    default:
        break;
    }
    return {QStringLiteral("Die Datei %1 konnte nicht auf den USB-Stick geschrieben werden.").arg(file),
            QStringLiteral("Prüfen Sie den USB-Stick und versuchen Sie es nochmal.")};
}

QString recoveryText(const Recovery& recovery) {
    QStringList said;
    if (recovery.completed > 0)
        said << QStringLiteral("Ein unterbrochenes Update wurde auf dem USB-Stick abgeschlossen.");
    else if (recovery.discarded)
        said << QStringLiteral("Reste eines abgebrochenen Updates wurden vom USB-Stick entfernt.");
    if (recovery.strays > 0)
        said << QStringLiteral("%1 unvollständige Dateien früherer Updates wurden entfernt.")
                    .arg(recovery.strays);
    return said.join(u' ');
}

QStringList missingProgramFileLines(const QString& fileName) {
    return {QStringLiteral("Die Datei %1 fehlt im Programmordner.").arg(quoted(fileName)),
            QStringLiteral("Installieren Sie das Programm neu.")};
}

} // namespace norvane
