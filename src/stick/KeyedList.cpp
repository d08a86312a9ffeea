#include "stick/KeyedList.h"

#include <algorithm>

namespace norvane {

bool KeyedList::add(const QString& key, const QString& value) {
    const bool taken = std::any_of(m_entries.begin(), m_entries.end(),
                                   [&](const auto& entry) { return entry.first == key; });
    if (taken)
        return false;
    m_entries.emplace_back(key, value);
    return true;
}

void KeyedList::append(const QString& value) {
    add(nextKey(), value);
}

QString KeyedList::value(const QString& key) const {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const auto& entry) { return entry.first == key; });
    return it == m_entries.end() ? QString() : it->second;
}

} // namespace norvane
