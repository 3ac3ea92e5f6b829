#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QHash>
#include <QString>
#include <iterator>
#include <memory>
#include <vector>

class QObject;

namespace ZozedizIZ {

class Globals;
class frmEPAEditor;

// One product of the user's EPA product list: a registration number, kept in
// the form the validator gives it, and the product name as typed.
class ZOZEDIZIZ_EXPORT EpaDataItem {
public:
    const QString& EpaRegNumber() const { return m_epaRegNumber; }
    // Keeps the old number when the validator refuses the new one.
    void setEpaRegNumber(const QString& value);
    const QString& ProductName() const { return m_productName; }
    void setProductName(const QString& value) { m_productName = value; }

private:
    friend class EpaDataList;
    QString m_epaRegNumber;
    QString m_productName;
};

using EpaDataItemPtr = std::shared_ptr<EpaDataItem>;

// The user's product list, kept in ascending ordinal order of registration
// number, one product per number (numbers compare without regard to case),
// with its file "EpaList.txt" in the resource folder. Callers get their
// thread's list from Globals::EpaList(). Positions count from 1.
class ZOZEDIZIZ_EXPORT EpaDataList {
    struct Entry {
        QString key; // the number the product was filed under
        EpaDataItemPtr item;
    };

public:
    ~EpaDataList();
    EpaDataList(const EpaDataList&) = delete;
    EpaDataList& operator=(const EpaDataList&) = delete;

    // Shows the list editor over this list; returns when it closes.
    void EditList();
    // Fills a QListWidget (rows "number<TAB>name") or a QTableWidget (one
    // column: as the list widget; more: number and name in the first two),
    // shows it when the list has products and hides it otherwise. Any other
    // object is left alone.
    void FillEpaListBox(QObject* objList) const;

    EpaDataItemPtr Add(const QString& strEpaRegNumber, const QString& strProductName);
    // Files the item itself, or gives a product already filed under its
    // number the item's name (unless the two differ only in letter case).
    // Returns the list's item for that number. An item without a number is
    // refused: nothing changes and the result is empty.
    EpaDataItemPtr AddItem(const EpaDataItemPtr& objItem);
    void Clear();
    qint32 Count() const { return qint32(m_items.size()); }
    // Sets a product's name; a number not yet listed is added. True when the
    // list changed. A position that does not exist raises error 9.
    bool Edit(qint32 position, const QString& strNewProductName);
    bool Edit(const QString& key, const QString& strNewProductName);
    bool Exists(const QString& strEpaRegNumber) const;
    bool IsDirty() const { return m_dirty; }
    // Empty when there is no such product.
    EpaDataItemPtr Item(qint32 position) const;
    EpaDataItemPtr Item(const QString& key) const;
    void Remove(qint32 position);
    void Remove(const QString& key);
    // Applies the outcome of editing one product. A new number that the
    // validator refuses changes nothing and gives False.
    bool ReplaceItem(const QString& strOldEpaNumber, const QString& strNewEpaNumber, const QString& strProductName);
    // Replaces the list by the file's products and returns their count. Never
    // raises: a file that cannot be read leaves the list empty and is then
    // protected from Save until a read succeeds.
    qint32 Read();
    // Writes the whole file atomically; raises on failure.
    bool Save();

    // Walks the products in list order.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = EpaDataItemPtr;
        using difference_type = std::ptrdiff_t;
        using pointer = const EpaDataItemPtr*;
        using reference = const EpaDataItemPtr&;
        explicit const_iterator(std::vector<Entry>::const_iterator it) : m_it(it) {}
        reference operator*() const { return m_it->item; }
        pointer operator->() const { return &m_it->item; }
        const_iterator& operator++() {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(m_it++); }
        bool operator==(const const_iterator& other) const { return m_it == other.m_it; }

    private:
        std::vector<Entry>::const_iterator m_it;
    };
    const_iterator begin() const { return const_iterator(m_items.cbegin()); }
    const_iterator end() const { return const_iterator(m_items.cend()); }

    // Inside the library only.
    void setIsDirty(bool value) { m_dirty = value; }
    const QString& FilePath() const { return m_filePath; }
    // Lines of the last read whose number the validator refused; they are not
    // in the list and a save leaves them out of the file.
    qint32 SkippedLines() const { return m_skippedLines; }
    // True while the file exists but could not be read.
    bool ReadFailed() const { return !m_readError.isEmpty(); }
    // What the list editor tells the user once about the last read: a file
    // read as UTF-8, lines left out, or a file that could not be read. Empty
    // when there is nothing (left) to tell.
    QString TakeReadNotice();

private:
    friend class Globals;
    friend class frmEPAEditor;
    EpaDataList();

    std::vector<Entry>::const_iterator lowerBound(const QString& key) const;
    const Entry* find(const QString& key) const;
    qsizetype indexOf(const QString& key) const;
    void insertSorted(const EpaDataItemPtr& item);
    void removeAt(qsizetype index);
    void checkWritable() const;
    void readFile();

    std::vector<Entry> m_items;    // in ascending ordinal order of key
    QHash<QString, Entry> m_byKey; // case-folded key -> entry
    QString m_filePath;
    bool m_dirty = false;
    qint32 m_skippedLines = 0;
    bool m_readUtf8 = false; // the last read found the file in UTF-8
    bool m_noticeTold = true;
    QString m_readError; // why the existing file could not be read
    qint32 m_readErrorNumber = 0;
};

} // namespace ZozedizIZ
