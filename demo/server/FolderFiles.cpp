#include "FolderFiles.h"

#include "platform/Ansi.h"
#include "platform/drives/Drives.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace norvane::demo {

namespace {

QString decodedPath(const QByteArray& path) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(path);
    return utf8.hasError() ? platform::fromAnsi(path) : text;
}

} // namespace

std::optional<QString> fileBelow(const QString& root, const QByteArray& requestPath) {
    const QString folder = QFileInfo(root).canonicalFilePath();
    if (folder.isEmpty())
        return std::nullopt;
    QStringList relative;
    for (const QString& segment : decodedPath(requestPath).split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u"." || segment == u".." || segment.contains(u'\\') || segment.contains(QChar(0)))
            return std::nullopt;
        relative << segment;
    }
    if (relative.isEmpty())
        return std::nullopt;
    const QString prefix = platform::rootOfDriveName(folder);
    const QString file = QFileInfo(prefix + relative.join(u'/')).canonicalFilePath();
    if (file.isEmpty() || !file.startsWith(prefix) || !QFileInfo(file).isFile())
        return std::nullopt;
    return file;
}

} // namespace norvane::demo
