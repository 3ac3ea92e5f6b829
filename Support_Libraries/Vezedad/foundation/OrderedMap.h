#pragma once
#include <QHash>
#include <utility>
#include <vector>

namespace Vezedad {

// A keyed collection that keeps its items in the order they were added, as
// the settings cache, the string collection and the validation results need.
template <class K, class V> class OrderedMap {
public:
    using value_type = std::pair<K, V>;

    qsizetype size() const { return qsizetype(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    bool contains(const K& key) const { return m_index.contains(key); }

    // Position (0-based) of the key, or -1.
    qsizetype indexOf(const K& key) const { return m_index.value(key, -1); }

    V* find(const K& key) {
        const qsizetype i = indexOf(key);
        return i < 0 ? nullptr : &m_items[size_t(i)].second;
    }
    const V* find(const K& key) const {
        const qsizetype i = indexOf(key);
        return i < 0 ? nullptr : &m_items[size_t(i)].second;
    }

    // Appends; returns false and changes nothing when the key is present.
    bool insert(const K& key, V value) {
        if (m_index.contains(key)) return false;
        m_index.insert(key, size());
        m_items.emplace_back(key, std::move(value));
        return true;
    }

    void removeAt(qsizetype i) {
        m_items.erase(m_items.begin() + i);
        reindex();
    }
    bool remove(const K& key) {
        const qsizetype i = indexOf(key);
        if (i < 0) return false;
        removeAt(i);
        return true;
    }
    void clear() {
        m_items.clear();
        m_index.clear();
    }

    const value_type& at(qsizetype i) const { return m_items[size_t(i)]; }
    value_type& at(qsizetype i) { return m_items[size_t(i)]; }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    void reindex() {
        m_index.clear();
        for (qsizetype i = 0; i < size(); ++i) m_index.insert(m_items[size_t(i)].first, i);
    }
    std::vector<value_type> m_items;
    QHash<K, qsizetype> m_index;
};

} // namespace Vezedad
