#include "update/catalogue/ServerFiles.h"

#include "platform/Ansi.h"

#include <QByteArrayView>
#include <QStringView>

#include <algorithm>

namespace norvane {

namespace {

constexpr QLatin1StringView kLineBreak("\r\n");
constexpr int kCatalogueColumns = 15;

// Windows-1252 is one byte per character, and CR, LF and ';' are the same bytes as in
// ASCII, so lines and fields are found in the raw body and only the fields that are
// kept get decoded: a huge body costs no more than its first lines.

// Position of the next CR LF at or after `from`, or -1. Searching for the CR alone
// is several times faster than searching for the pair on large bodies.
qsizetype findBreak(QByteArrayView body, qsizetype from) {
    for (qsizetype pos = body.indexOf('\r', from); pos >= 0; pos = body.indexOf('\r', pos + 1))
        if (pos + 1 < body.size() && body[pos + 1] == '\n')
            return pos;
    return -1;
}

// The next CR LF line of the body starting at `from`; `from` moves past its break, or
// to -1 when the body has no further line.
QByteArrayView nextLine(QByteArrayView body, qsizetype& from) {
    if (from < 0)
        return {};
    const qsizetype pos = findBreak(body, from);
    QByteArrayView line;
    if (pos < 0) {
        line = body.sliced(from);
        from = -1;
    } else {
        line = body.sliced(from, pos - from);
        from = pos + 2;
    }
    return line;
}

// Fields 0..N-1 of the line, decoded, into out; fields the line lacks stay "".
template <std::size_t N> void takeFields(QByteArrayView line, std::array<QString, N>& out) {
    // Decode once, up to the end of the last wanted field.
    qsizetype end = -1;
    for (std::size_t i = 0; i < N; ++i) {
        end = line.indexOf(';', end + 1);
        if (end < 0)
            break;
    }
    const QString text = platform::fromAnsi((end < 0 ? line : line.first(end)).toByteArray());
    const QStringView view(text);
    qsizetype from = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const qsizetype pos = view.indexOf(u';', from);
        if (pos < 0) {
            out[i] = view.sliced(from).toString();
            return; // the remaining fields are missing
        }
        out[i] = view.sliced(from, pos - from).toString();
        from = pos + 1;
    }
}

} // namespace

QString GetLine(const QString& text, int n) {
    if (n < 0)
        return {};
    qsizetype from = 0;
    for (int i = 0; i < n; ++i) {
        const qsizetype pos = text.indexOf(kLineBreak, from);
        if (pos < 0)
            return {};
        from = pos + 2;
    }
    const qsizetype end = text.indexOf(kLineBreak, from);
    return end < 0 ? text.sliced(from) : text.sliced(from, end - from);
}

QStringList splitFields(const QString& line) {
    return line.split(u';', Qt::KeepEmptyParts);
}

bool isCurrentVersion(const QByteArray& body) {
    return body == QByteArrayView(kProgramVersion);
}

News parseNews(const QByteArray& body) {
    qsizetype from = 0;
    News news;
    takeFields(nextLine(body, from), news.lines);
    return news;
}

Catalogue parseCatalogue(const QByteArray& body) {
    Catalogue cat;
    qsizetype from = 0;
    for (int row = 0; row < kReceiverRows && from >= 0; ++row) {
        std::array<QString, kCatalogueColumns> f;
        takeFields(nextLine(body, from), f);
        cat.FirmName[row] = f[0];
        cat.FirmPic[row] = f[1];
        cat.FirmFile[row] = f[2];
        cat.FirmStand[row] = f[3];
        cat.FirmAenderung[row] = f[4];
        for (int list = 0; list < kChannelLists; ++list) {
            cat.SettFile[row][list] = f[5 + 2 * list];
            cat.SettStand[row][list] = f[6 + 2 * list];
        }
    }
    return cat;
}

bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name.size() > 255 || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f)
            return false;
        switch (u) {
        case u'/':
        case u'\\':
        case u':':
        case u'<':
        case u'>':
        case u'"':
        case u'|':
        case u'?':
        case u'*':
            return false;
        default:
            break;
        }
    }
    return true;
}

bool isCleanRow(const Catalogue& catalogue, int row) {
    if (row < 0 || row >= kReceiverRows)
        return false;
    const auto clean = [](const QString& field) {
        return std::none_of(field.cbegin(), field.cend(),
                            [](QChar c) { return c != u'\t' && c.category() == QChar::Other_Control; });
    };
    const bool firmwareClean = clean(catalogue.FirmName[row]) && clean(catalogue.FirmPic[row]) &&
                               clean(catalogue.FirmFile[row]) && clean(catalogue.FirmStand[row]) &&
                               clean(catalogue.FirmAenderung[row]);
    return firmwareClean &&
           std::all_of(catalogue.SettFile[row].cbegin(), catalogue.SettFile[row].cend(), clean) &&
           std::all_of(catalogue.SettStand[row].cbegin(), catalogue.SettStand[row].cend(), clean);
}

bool hasFirmware(const Catalogue& catalogue, int row) {
    return isCleanRow(catalogue, row) && isPlainFileName(catalogue.FirmFile[row]);
}

bool hasChannelList(const Catalogue& catalogue, int row, int list) {
    return list >= 0 && list < kChannelLists && isCleanRow(catalogue, row) &&
           isPlainFileName(catalogue.SettFile[row][list]);
}

} // namespace norvane
