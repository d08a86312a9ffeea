#include "FakeFormatter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace norvane::test {

QString writeScript(const QString& path, const QString& body) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body.toUtf8() + "\n") < 0)
        throw std::runtime_error("cannot write " + path.toStdString());
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

} // namespace norvane::test
