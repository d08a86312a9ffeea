#pragma once
// The three files of the download folder and their pure parsers.
//
//   usb-version.txt  the current program version, the whole body, byte for byte
//   usb-news.csv     first line: four news texts separated by ';'
//   usb-list.csv     the package catalogue: nine lines, one per receiver model,
//                    at least 15 fields each (see Catalogue)
//
// Server texts are Windows-1252 bytes. Lines end with CR LF (a lone LF is part of
// the line), fields are separated by ';' and are taken as they are: no trimming,
// no quoting. A line or field that the received text does not have reads as the
// empty text, so a short or malformed file never leads to reading past the data.

#include "update/catalogue/ProgramVersion.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

namespace norvane {

inline constexpr int kReceiverRows = 9; // catalogue lines, one per receiver option
inline constexpr int kChannelLists = 5; // Österreich, Deutschland, Italia, France, Spain

// Piece n (from 0) of the text split at every CR LF; "" when the text has no piece n
// (also for n < 0). A trailing CR LF leaves an empty last piece.
QString GetLine(const QString& text, int n);

// The line split at every ';'. No trimming, no quoting; "" gives one empty field.
QStringList splitFields(const QString& line);

// True only for a body of exactly the bytes of kProgramVersion ("2.0"); a line break,
// a space or an error page after or instead of them is another version.
bool isCurrentVersion(const QByteArray& body);

struct News {
    std::array<QString, 4> lines; // fields 1..4 of the first line
};

// The first line of usb-news.csv, decoded from Windows-1252; missing fields are "".
News parseNews(const QByteArray& body);

// The package catalogue. Row i describes receiver option i. Columns (from 1):
//   1 FirmName, 2 FirmPic, 3 FirmFile, 4 FirmStand, 5 FirmAenderung,
//   6 + 2j SettFile[i][j], 7 + 2j SettStand[i][j] for channel list j = 0..4.
// An empty FirmFile / SettFile means the receiver has no firmware / the list is missing.
struct Catalogue {
    std::array<QString, kReceiverRows> FirmName, FirmPic, FirmFile, FirmStand, FirmAenderung;
    std::array<std::array<QString, kChannelLists>, kReceiverRows> SettFile, SettStand;
};

// Reads the first nine CR LF lines of usb-list.csv (Windows-1252) and their first 15
// fields; further lines and fields are ignored, missing ones are "". Only the part of
// the body that holds those nine lines is decoded.
Catalogue parseCatalogue(const QByteArray& body);

// The catalogue comes from the network, and its names become paths: pictures are
// loaded from the program folder, packages are written onto the stick root and
// fetched by URL. A name is usable only when it names a file directly in that folder:
// not empty, not "." or "..", no '/' or '\\', no ':' (drive or stream names), no
// control character, none of the characters a FAT file system refuses (< > " | ? *),
// at most 255 characters. Spaces, umlauts and other letters are fine.
bool isPlainFileName(const QString& name);

// A row whose fields hold a control character other than tab (a binary or garbled
// catalogue) counts as missing as a whole: none of its texts is fit to be shown.
bool isCleanRow(const Catalogue& catalogue, int row);

// Receiver row has a firmware package that can be fetched and written: the row is
// clean and the name is present and plain. Rows outside 0..8 have none.
bool hasFirmware(const Catalogue& catalogue, int row);

// Channel list `list` of receiver `row` exists: the row is clean and the list's
// package name is plain.
bool hasChannelList(const Catalogue& catalogue, int row, int list);

} // namespace norvane
