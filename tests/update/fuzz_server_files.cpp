// Feeds arbitrary server bodies to the parsers of the download folder's files. Besides
// the sanitizers' checks it verifies that every text read is a piece of the input.
#include "update/catalogue/ServerFiles.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace norvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    (void)isCurrentVersion(body);

    const News news = parseNews(body);
    for (const QString& line : news.lines)
        if (line.size() > body.size())
            std::abort();

    const Catalogue cat = parseCatalogue(body);
    for (int row = 0; row < kReceiverRows; ++row) {
        if (cat.FirmName[row].size() + cat.FirmFile[row].size() > body.size())
            std::abort();
        (void)hasFirmware(cat, row);
        (void)isPlainFileName(cat.FirmPic[row]);
        for (int list = 0; list < kChannelLists; ++list)
            (void)hasChannelList(cat, row, list);
    }

    const QString text = QString::fromLatin1(body);
    for (int n = -1; n <= kReceiverRows; ++n)
        if (GetLine(text, n).size() > text.size())
            std::abort();
    (void)splitFields(GetLine(text, 0));
    return 0;
}
