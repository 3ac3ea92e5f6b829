#include "ZozedizIZ/editors/EpaDataList.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/editors/frmEPAEditor.h"

#include <QListWidget>
#include <QStringList>
#include <QTableWidget>
#include <algorithm>

namespace ZozedizIZ {

namespace {

const QString kFileName = QStringLiteral("EpaList.txt");
// Errors this class raises itself carry the project's name as their source.
const QString kProject = QStringLiteral("ZozedizIZ");

QString foldedKey(const QString& key) { return key.toCaseFolded(); }

// The number as the validator stores it, or empty when it refuses it.
QString normalizedNumber(const QString& number) {
    const Vezedad::ValidationResultPtr result =
        Vezedad::Globals::Validator().ValidateField(Vezedad::zrfEPANumber, number, 0);
    return result->IsValid() ? result->Value() : QString();
}

bool namesDifferIgnoringCase(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) != 0; }

// The list in the ordinal order of its keys. A file of a hundred thousand
// products takes some two million comparisons to sort: they compare the
// keys' first eight characters packed into one number, and whole keys only
// where those agree. Keys are registration numbers, plain ASCII; a list
// holding any other key in its first eight characters sorts the plain way.
template <class Entry> void sortByKey(std::vector<Entry>& items) {
    std::vector<std::pair<quint64, quint32>> order;
    order.reserve(items.size());
    for (const Entry& e : items) {
        quint64 packed = 0;
        for (qsizetype i = 0; i < 8; ++i) {
            const char16_t c = i < e.key.size() ? e.key[i].unicode() : u'\0';
            if (c > 0x7F) {
                std::sort(items.begin(), items.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
                return;
            }
            packed = packed << 8 | c;
        }
        order.emplace_back(packed, quint32(order.size()));
    }
    std::sort(order.begin(), order.end(), [&items](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return items[a.second].key < items[b.second].key;
    });
    // The entries move into place along the cycles of the order, so that no
    // second table of them is needed.
    for (quint32 start = 0; start < quint32(order.size()); ++start) {
        if (order[start].second == start) continue;
        Entry held = std::move(items[start]);
        for (quint32 at = start;;) {
            const quint32 from = order[at].second;
            order[at].second = at;
            if (from == start) {
                items[at] = std::move(held);
                break;
            }
            items[at] = std::move(items[from]);
            at = from;
        }
    }
}

[[noreturn]] void raiseSubscriptOutOfRange() { Vezedad::raiseRuntimeError(Vezedad::rtSubscriptOutOfRange, kProject); }

} // namespace

void EpaDataItem::setEpaRegNumber(const QString& value) {
    const QString number = normalizedNumber(value);
    if (!number.isEmpty()) m_epaRegNumber = number;
}

EpaDataList::EpaDataList() {
    Vezedad::Ui::GuardShowError(QStringLiteral("ZozedizIZ::EpaDataList.Class_Initialize"), [this] {
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        m_filePath = fso.BuildPath(Vezedad::Globals::Configuration().ResourcePath(), kFileName);
        if (fso.FileExists(m_filePath)) Read();
    });
}

EpaDataList::~EpaDataList() = default;

void EpaDataList::EditList() {
    frmEPAEditor editor;
    editor.SetList(this);
    Vezedad::Ui::ExecModal(editor);
}

void EpaDataList::FillEpaListBox(QObject* objList) const {
    auto* table = qobject_cast<QTableWidget*>(objList);
    auto* listWidget = qobject_cast<QListWidget*>(objList);
    QWidget* box = table ? static_cast<QWidget*>(table) : listWidget;
    if (!box) return;
    const int height = box->height();
    const auto oneColumnRow = [](const Entry& e) {
        return e.item->EpaRegNumber() + QLatin1Char('\t') + e.item->ProductName();
    };
    if (listWidget) {
        // Every row is one line of text: the view need not measure each of
        // a hundred thousand rows to lay them out.
        listWidget->setUniformItemSizes(true);
        listWidget->clear();
        QStringList rows;
        rows.reserve(qsizetype(m_items.size()));
        for (const Entry& e : m_items) rows.append(oneColumnRow(e));
        listWidget->addItems(rows);
    } else {
        table->clearContents();
        table->setRowCount(0);
        const int columns = table->columnCount();
        if (columns >= 1) {
            table->setRowCount(Count());
            int row = 0;
            for (const Entry& e : m_items) {
                if (columns == 1) {
                    table->setItem(row, 0, new QTableWidgetItem(oneColumnRow(e)));
                } else {
                    table->setItem(row, 0, new QTableWidgetItem(e.item->EpaRegNumber()));
                    table->setItem(row, 1, new QTableWidgetItem(e.item->ProductName()));
                }
                ++row;
            }
        }
    }
    box->setVisible(!m_items.empty());
    box->resize(box->width(), height);
}

EpaDataItemPtr EpaDataList::Add(const QString& strEpaRegNumber, const QString& strProductName) {
    auto item = std::make_shared<EpaDataItem>();
    item->setEpaRegNumber(strEpaRegNumber);
    item->setProductName(strProductName);
    return AddItem(item);
}

EpaDataItemPtr EpaDataList::AddItem(const EpaDataItemPtr& objItem) {
    // Several products without a number would all land under the empty key
    // and the next save would write lines without one.
    if (!objItem || objItem->EpaRegNumber().isEmpty()) return nullptr;
    if (const Entry* existing = find(objItem->EpaRegNumber())) {
        if (namesDifferIgnoringCase(existing->item->ProductName(), objItem->ProductName())) {
            existing->item->setProductName(objItem->ProductName());
            m_dirty = true;
        }
        return existing->item;
    }
    insertSorted(objItem);
    m_dirty = true;
    return objItem;
}

void EpaDataList::Clear() {
    if (m_items.empty()) return;
    m_items.clear();
    m_byKey.clear();
    m_dirty = true;
}

bool EpaDataList::Edit(qint32 position, const QString& strNewProductName) {
    const EpaDataItemPtr item = Item(position);
    if (!item) raiseSubscriptOutOfRange();
    if (item->ProductName() == strNewProductName) return false;
    item->setProductName(strNewProductName);
    m_dirty = true;
    return true;
}

bool EpaDataList::Edit(const QString& key, const QString& strNewProductName) {
    if (!Exists(key)) {
        if (!Add(key, strNewProductName)) return false;
        m_dirty = true;
        return true;
    }
    const EpaDataItemPtr item = Item(key);
    if (item->ProductName() == strNewProductName) return false;
    item->setProductName(strNewProductName);
    m_dirty = true;
    return true;
}

bool EpaDataList::Exists(const QString& strEpaRegNumber) const { return find(strEpaRegNumber) != nullptr; }

EpaDataItemPtr EpaDataList::Item(qint32 position) const {
    if (position < 1 || position > Count()) return nullptr;
    return m_items[size_t(position - 1)].item;
}

EpaDataItemPtr EpaDataList::Item(const QString& key) const {
    const Entry* entry = find(key);
    return entry ? entry->item : nullptr;
}

void EpaDataList::Remove(qint32 position) {
    if (position < 1 || position > Count()) return;
    removeAt(position - 1);
}

void EpaDataList::Remove(const QString& key) {
    const qsizetype index = indexOf(key);
    if (index >= 0) removeAt(index);
}

bool EpaDataList::ReplaceItem(const QString& strOldEpaNumber, const QString& strNewEpaNumber,
                              const QString& strProductName) {
    if (strOldEpaNumber == strNewEpaNumber) return Edit(strOldEpaNumber, strProductName);
    // Removing the old product for a number that cannot be filed would lose it.
    if (normalizedNumber(strNewEpaNumber).isEmpty()) return false;
    Remove(strOldEpaNumber);
    Edit(strNewEpaNumber, strProductName);
    m_dirty = true;
    return true;
}

qint32 EpaDataList::Read() {
    m_items.clear();
    m_byKey.clear();
    m_skippedLines = 0;
    m_readUtf8 = false;
    m_readError.clear();
    m_readErrorNumber = 0;
    try {
        if (Vezedad::Globals::FSO().FileExists(m_filePath)) readFile();
    } catch (...) {
        const Vezedad::ErrorInfo error = Vezedad::ErrorInfo::fromCurrentException();
        m_readError = error.Description();
        m_readErrorNumber = error.Number();
    }
    // One sort for the whole file: the keys are distinct, so the order is the
    // same as adding the lines one by one.
    sortByKey(m_items);
    m_noticeTold = m_skippedLines == 0 && m_readError.isEmpty() && !m_readUtf8;
    m_dirty = false;
    return Count();
}

void EpaDataList::readFile() {
    namespace ReportFile = Vezedad::ReportFile;
    ReportFile::LineReader reader(m_filePath, ReportFile::LineReader::Reading::Text);
    // Room for the products of a typical line length, so that neither the
    // table nor the sequence grows step by step.
    const qint64 expected = Vezedad::Globals::FSO().GetFileSize(m_filePath) / 24;
    m_items.reserve(size_t(qMin<qint64>(expected, 10'000'000)));
    m_byKey.reserve(qsizetype(m_items.capacity()));
    Vezedad::Validator& validator = Vezedad::Globals::Validator();
    const QString bar = QStringLiteral("|");
    ReportFile::LineReader::Line raw;
    QString line;
    while (reader.next(raw)) {
        try {
            reader.decode(raw, line);
            line.remove(QLatin1Char('"'));
            if (line.trimmed().isEmpty()) continue;
            const QString number = ReportFile::field(line, bar, 0).toString();
            const QString name = ReportFile::field(line, bar, 1).toString();
            // The verdict without a result object: the number as the validator
            // stores it comes back only when it differs.
            qint32 severity = 0;
            QString normalised;
            if (validator.CheckField(Vezedad::zrfEPANumber, number, severity, &normalised) != Vezedad::valcOK) {
                ++m_skippedLines;
                continue;
            }
            const QString key = normalised.isNull() ? number : normalised;
            const QString folded = foldedKey(key);
            const auto found = m_byKey.find(folded);
            if (found != m_byKey.end()) {
                if (namesDifferIgnoringCase(found->item->ProductName(), name)) found->item->setProductName(name);
                continue;
            }
            auto item = std::make_shared<EpaDataItem>();
            item->m_epaRegNumber = key;
            item->m_productName = name;
            m_items.push_back(Entry{key, item});
            m_byKey.insert(folded, Entry{key, std::move(item)});
        } catch (...) {
            ++m_skippedLines;
        }
    }
    m_readUtf8 = reader.encoding() == ReportFile::Encoding::Utf8;
}

bool EpaDataList::Save() {
    try {
        checkWritable();
        Vezedad::ReportFile::RecordWriter file(m_filePath, QStringLiteral("FileSystemObject"),
                                               Vezedad::ReportFile::RecordWriter::Bars::BetweenFields);
        for (const Entry& e : m_items) {
            const QString& name = e.item->ProductName();
            const QString why =
                Vezedad::ReportFile::refusal(name, QStringLiteral("The name of product ") + e.item->EpaRegNumber());
            if (!why.isEmpty()) throw Vezedad::ErrorInfo(Vezedad::errInvalidPropertyValue, why, kProject);
            file.field(e.item->EpaRegNumber());
            file.field(name);
            file.endRecord();
        }
        // Until commit the old file stays as it was; a failure anywhere
        // above leaves it untouched.
        file.commit();
    } catch (...) {
        Vezedad::ErrorInfo error = Vezedad::ErrorInfo::fromCurrentException();
        // The list is named first: the reason that follows is a sentence of
        // its own, often ending in a full stop already.
        QString why = error.Description();
        if (!why.endsWith(QLatin1Char('.'))) why += QLatin1Char('.');
        error.setDescription(QStringLiteral("The EPA Product List was not saved. ") + why);
        Vezedad::passOn(error, Vezedad::TrailForm::Arrow, QStringLiteral("ZozedizIZ::EpaDataList.Save"));
    }
    m_dirty = false;
    return true;
}

QString EpaDataList::TakeReadNotice() {
    if (m_noticeTold) return QString();
    m_noticeTold = true;
    if (!m_readError.isEmpty())
        return QStringLiteral("The product list file could not be read:\r\n") + m_readError +
               QStringLiteral("\r\n\r\nThe list starts empty, and it cannot be saved over that file until the file "
                              "can be read again (then choose Reload).");
    QStringList notes;
    if (m_readUtf8)
        notes << QStringLiteral("The product list file ") + m_filePath +
                     QStringLiteral(" is UTF-8 (Unicode) text and was read as such. The list is saved as "
                                    "Windows-1252 (\"ANSI\") text, and a character that Windows-1252 cannot hold is "
                                    "named before anything is saved.");
    if (m_skippedLines > 0)
        notes << QString::number(m_skippedLines) +
                     (m_skippedLines == 1 ? QStringLiteral(" line") : QStringLiteral(" lines")) +
                     QStringLiteral(" of the product list file ") + m_filePath +
                     QStringLiteral(" had no valid EPA Registration Number and ") +
                     (m_skippedLines == 1 ? QStringLiteral("was") : QStringLiteral("were")) +
                     QStringLiteral(" left out of the list.\r\nSaving the list will remove ") +
                     (m_skippedLines == 1 ? QStringLiteral("it") : QStringLiteral("them")) +
                     QStringLiteral(" from the file.");
    return notes.join(QStringLiteral("\r\n\r\n"));
}

void EpaDataList::checkWritable() const {
    // A file that exists but could not be read must not be replaced by the
    // empty or partial list that the failed read left.
    if (!m_readError.isEmpty())
        throw Vezedad::ErrorInfo(m_readErrorNumber,
                                 QStringLiteral("The product list file could not be read, so it is not overwritten (") +
                                     m_readError + QStringLiteral(")"),
                                 kProject);
}

std::vector<EpaDataList::Entry>::const_iterator EpaDataList::lowerBound(const QString& key) const {
    return std::lower_bound(m_items.cbegin(), m_items.cend(), key,
                            [](const Entry& e, const QString& k) { return e.key < k; });
}

const EpaDataList::Entry* EpaDataList::find(const QString& key) const {
    const auto found = m_byKey.constFind(foldedKey(key));
    return found == m_byKey.cend() ? nullptr : &found.value();
}

qsizetype EpaDataList::indexOf(const QString& key) const {
    const Entry* entry = find(key);
    if (!entry) return -1;
    const auto at = lowerBound(entry->key);
    return at != m_items.cend() && at->key == entry->key ? at - m_items.cbegin() : -1;
}

void EpaDataList::insertSorted(const EpaDataItemPtr& item) {
    const QString key = item->EpaRegNumber();
    const auto at = lowerBound(key);
    m_items.insert(m_items.begin() + (at - m_items.cbegin()), Entry{key, item});
    m_byKey.insert(foldedKey(key), Entry{key, item});
}

void EpaDataList::removeAt(qsizetype index) {
    m_byKey.remove(foldedKey(m_items[size_t(index)].key));
    m_items.erase(m_items.begin() + index);
    m_dirty = true;
}

} // namespace ZozedizIZ
