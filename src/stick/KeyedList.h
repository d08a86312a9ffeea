#pragma once
// An ordered list of texts, each stored under a text key. The drive object appends
// every entry under the decimal form of its position ("0", "1", ...), so a key is
// the entry's 0-based position. A missing key reads as "".

#include <QString>
#include <utility>
#include <vector>

namespace norvane {

class KeyedList {
public:
    // Appends value under key; false (and nothing stored) when key is already taken.
    bool add(const QString& key, const QString& value);
    // Appends value under the next position key: the count before the append.
    void append(const QString& value);
    // The entry under key; "" when there is none.
    QString value(const QString& key) const;
    int count() const { return static_cast<int>(m_entries.size()); }
    // The key the next append takes.
    QString nextKey() const { return QString::number(count()); }

private:
    std::vector<std::pair<QString, QString>> m_entries;
};

} // namespace norvane
