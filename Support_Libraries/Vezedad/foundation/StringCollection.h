#pragma once
#include "Vezedad/foundation/OrderedMap.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace Vezedad {

// An ordered set of distinct, non-empty texts compared without regard to
// letter case. Positions run from 1 to Count; no member raises on a bad index.
class VEZEDAD_EXPORT StringCollection {
public:
    qint32 Add(const QString& item);
    void Clear();
    qint32 Count() const;
    // A number addresses a position (1-based), a text an element by key.
    bool Exists(const QVariant& index) const;
    qint32 Index(const QString& item) const;
    QString Item(const QVariant& index) const;
    void Remove(const QVariant& index);
    // The elements in position order, for walking the collection.
    QStringList Items() const;

private:
    qsizetype position(const QVariant& index) const; // 0-based, -1 when absent
    static QString key(const QString& text) { return text.toCaseFolded(); }
    OrderedMap<QString, QString> m_items;
};

// Shell sort of an array in place, with a comparison that adapts to what the
// elements hold: dates, then numbers, then texts without regard to case.
class VEZEDAD_EXPORT Sorter {
public:
    void ShellSort(QVariantList& vArray, bool descending = false) const;
    // The form that accepts anything: a value that is not an array raises a
    // type mismatch with this procedure in the error trail.
    void ShellSort(QVariant& vArray, bool descending = false) const;
    static bool IsGreater(const QVariant& a, const QVariant& b, bool descending);
};

} // namespace Vezedad
