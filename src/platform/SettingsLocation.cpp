#include "platform/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>
#include <unistd.h>

namespace norvane::platform {

namespace {

bool writableFolder(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    return !folder.isEmpty() && QFileInfo(folder).isDir() && ::access(native.constData(), W_OK | X_OK) == 0;
}

QString withSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

QString settingsFolder(const QString& programFolder) {
    if (writableFolder(programFolder))
        return withSeparator(programFolder);
    // Only an absolute XDG_CONFIG_HOME counts; anything else means the default.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = withSeparator(QDir::cleanPath(base + QStringLiteral("/norvane-usbtool")));
    // When it cannot be created (the base is a file, nothing writable), saving
    // fails quietly and the program runs with its defaults.
    QDir().mkpath(folder);
    return folder;
}

} // namespace norvane::platform
