#pragma once
// Zip archives for the extraction tests, written with libarchive's writer.

#include "support/RawZip.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <ctime>
#include <utility>
#include <vector>

namespace norvane::test {

struct ZipMember {
    enum class Kind { File, Folder, Symlink };
    ZipMember(QByteArray memberName, QByteArray bytes = {}, std::time_t modified = 1700000000)
        : name(std::move(memberName)), data(std::move(bytes)), mtime(modified) {}
    static ZipMember folder(QByteArray name) {
        ZipMember member(std::move(name));
        member.kind = Kind::Folder;
        return member;
    }
    static ZipMember symlink(QByteArray name, QByteArray target) {
        ZipMember member(std::move(name));
        member.kind = Kind::Symlink;
        member.linkTarget = std::move(target);
        return member;
    }
    static ZipMember zeros(QByteArray name, qint64 count) {
        ZipMember member(std::move(name));
        member.zeroBytes = count;
        return member;
    }

    QByteArray name;
    QByteArray data;
    Kind kind = Kind::File;
    // For Symlink: where the link points.
    QByteArray linkTarget;
    // Zero bytes streamed after data, for members far bigger than memory should hold.
    qint64 zeroBytes = 0;
    std::time_t mtime;
};

struct ZipSettings {
    // Non-empty: every member is encrypted with it (traditional PKWARE encryption).
    QByteArray password;
    // AES-256 instead: a wrong password is told apart with certainty, where the traditional
    // check byte lets one wrong password in 256 through to a damaged member.
    bool aes = false;
    bool store = false;
};

// Writes the archive to path; throws std::runtime_error when libarchive refuses.
void writeZip(const QString& path, const std::vector<ZipMember>& members, const ZipSettings& settings = {});

// Text that compresses, but not to nothing: n bytes of numbered lines.
QByteArray sampleText(qsizetype n, int seed = 0);

} // namespace norvane::test
