#pragma once
// usb-sha256.txt, the list of SHA-256 digests of the download folder's files, and
// usb-sha256.txt.sig, the Ed25519 signature of its exact bytes.
//
// The first line may be "# serial N": N, 1 to 19 decimal digits without a leading
// zero, grows with every signing, so that an older list signed by the same key can be
// told from a newer one. Then one line per file: 64 hex digits, two spaces, the file
// name as the server names it ("usb-list.csv", "Q300HD_Firmware.zip.txt"). Lines end
// with LF or CR LF; the last line may end without one. The names are UTF-8, or Windows-1252 when the text
// is not valid UTF-8. A file named twice with the same digest is fine; with two
// different digests the whole list is refused.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>

namespace norvane {

inline constexpr qint64 kManifestLimit = 64 * 1024;
inline constexpr qint64 kSignatureLimit = 64 * 1024;
inline const QString kManifestName = QStringLiteral("usb-sha256.txt");
inline const QString kSignatureName = QStringLiteral("usb-sha256.txt.sig");

struct Manifest {
    std::optional<quint64> serial;      // nothing for a list without a serial line
    QHash<QString, QByteArray> digests; // file name -> 32 raw bytes

    // The digest listed for the file; nothing when it is not listed.
    std::optional<QByteArray> digestOf(const QString& name) const;
};

// The list, or nothing when the text is empty, larger than kManifestLimit, names no
// file, or any line breaks the format (a digest that is not 64 hex digits, another
// separator, a name that is no plain file name, an empty line within the text, a name
// listed with two digests, a serial line that is not the first or not exactly
// "# serial N").
std::optional<Manifest> parseManifest(const QByteArray& text);

// N of a serial: 1 to 19 decimal digits, no leading zero, no sign or space; nothing
// for anything else.
std::optional<quint64> parseSerial(QByteArrayView digits);

} // namespace norvane
