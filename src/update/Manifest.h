#pragma once
// usb-sha256.txt, the list of SHA-256 digests of the download folder's files, and
// usb-sha256.txt.sig, the Ed25519 signature of its exact bytes.
//
// One line per file: 64 hex digits, two spaces, the file name as the server names
// it ("usb-list.csv", "Q300HD_Firmware.zip.txt"). Lines end with LF or CR LF; the
// last line may end without one. The names are UTF-8, or Windows-1252 when the text
// is not valid UTF-8. A file named twice with the same digest is fine; with two
// different digests the whole list is refused.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace norvane {

inline constexpr qint64 kManifestLimit = 64 * 1024;
inline constexpr qint64 kSignatureLimit = 64 * 1024;
inline const QString kManifestName = QStringLiteral("usb-sha256.txt");
inline const QString kSignatureName = QStringLiteral("usb-sha256.txt.sig");

struct Manifest {
    QHash<QString, QByteArray> digests; // file name -> 32 raw bytes

    // The digest listed for the file; nothing when it is not listed.
    std::optional<QByteArray> digestOf(const QString& name) const;
};

// The list, or nothing when the text is empty, larger than kManifestLimit, or any
// line breaks the format (a digest that is not 64 hex digits, another separator, a
// name that is no plain file name, an empty line within the text, a name listed with
// two digests).
std::optional<Manifest> parseManifest(const QByteArray& text);

} // namespace norvane
