#include "applicators/ApplicatorList.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Text.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/Validator.h"

#include <cstring>

namespace Dazozuvi {

namespace {

const QString kSource = QStringLiteral("Dazozuvi::ApplicatorList");

// What the user made of a failed step of the file reader.
enum class StepResult { Done, Skipped, Aborted };

// Runs step; when it fails the user chooses: Retry runs it once more (and
// asks again if it fails again), Ignore skips it, Abort (or closing the box)
// stops the reading.
template <class Step> StepResult attempt(Step&& step) {
    for (;;) {
        try {
            step();
            return StepResult::Done;
        } catch (...) {
            const Vezedad::ErrorInfo error = Vezedad::ErrorInfo::fromCurrentException();
            const qint32 answer =
                Vezedad::Ui::MsgBox(Vezedad::Ui::ErrorText(error, kSource + QStringLiteral(".ReadFile")),
                                    Vezedad::Ui::vbAbortRetryIgnore, QStringLiteral("Error Reading 26A File"));
            if (answer == Vezedad::Ui::vbRetry) continue;
            return answer == Vezedad::Ui::vbIgnore ? StepResult::Skipped : StepResult::Aborted;
        }
    }
}

// How many records after the first a list read without the indicator
// column has looked at for records that start with one.
constexpr int kLookAhead = 100;

// The number of the first line after line `after` that starts with the
// indicator column, among the next kLookAhead records of the file; 0 for
// none. A read that fails here finds none: the reading proper meets the same
// failure and offers its choices.
qint64 laterRecordWithIndicator(const QString& path, qint64 after, const QString& separator) {
    try {
        Vezedad::ReportFile::LineReader reader(path);
        Vezedad::ReportFile::LineReader::Line raw;
        QString line;
        int looked = 0;
        while (looked < kLookAhead && reader.next(raw)) {
            if (raw.number <= after) continue;
            Vezedad::ReportFile::decode(raw.bytes, line);
            line.remove(QLatin1Char('"'));
            const QStringView record = Applicator::RecordOf(line);
            if (record.isEmpty()) continue;
            if (Applicator::StartsWithIndicator(record, separator)) return raw.number;
            ++looked;
        }
    } catch (...) {
        // The reading proper reports it.
    }
    return 0;
}

// Asked when a list's first record has no indicator column while a later
// record has one: read in four columns, such records come out one column off.
bool loadInFourColumns(const QString& path, qint64 firstRecord, qint64 later) {
    const QString text =
        QStringLiteral("File '") + path + QStringLiteral("':\r\n") + QStringLiteral("Its first record (line ") +
        QString::number(firstRecord) +
        QStringLiteral(") has no \"No Applications\" indicator, so the list is read in the older layout of four "
                       "columns: Cert ID, Business Reg Num, First Name, Last Name. But line ") +
        QString::number(later) +
        QStringLiteral(" starts with an indicator, as a record of five columns does.\r\n"
                       "Read in four columns, such a record shows its indicator as the Cert ID, its certification id "
                       "as the Business Reg Num, its registration number as the First Name and its first name as the "
                       "Last Name; its last name is left out, and it counts as having made applications, whatever "
                       "its indicator says. Saving the list keeps it that way.\r\n"
                       "Load it in four columns anyway?");
    return Vezedad::Ui::MsgBox(text, Vezedad::Ui::vbYesNo | Vezedad::Ui::vbExclamation | Vezedad::Ui::vbDefaultButton2,
                               QStringLiteral("Opening Data File")) == Vezedad::Ui::vbYes;
}

} // namespace

ApplicatorList::ApplicatorList(QObject* parent) : QObject(parent), mobjReport(&Vezedad::Globals::ZelReport()) {
    connect(mobjReport, &Vezedad::ZelReport::PropertyChanged, this, &ApplicatorList::mobjReport_PropertyChanged);
}

ApplicatorList::~ApplicatorList() = default;

qsizetype ApplicatorList::indexOf(const QString& key) const { return m_index.value(folded(key), -1); }

void ApplicatorList::reindex() {
    m_index.clear();
    for (qsizetype i = 0; i < qsizetype(m_entries.size()); ++i) m_index.insert(folded(m_entries[size_t(i)].first), i);
}

void ApplicatorList::Add(const ApplicatorPtr& objApplicator) {
    if (!objApplicator) return;
    const QString& key = objApplicator->CertificationID();
    const qsizetype i = indexOf(key);
    if (i >= 0) {
        m_entries[size_t(i)].second = objApplicator;
        return;
    }
    m_index.insert(folded(key), qsizetype(m_entries.size()));
    m_entries.emplace_back(key, objApplicator);
}

ApplicatorPtr ApplicatorList::Item(const QString& strCertId) const {
    const qsizetype i = indexOf(strCertId);
    return i < 0 ? ApplicatorPtr() : m_entries[size_t(i)].second;
}

void ApplicatorList::setItem(const QString& strCertId, const ApplicatorPtr& objApplicator) {
    if (!objApplicator) {
        Remove(strCertId);
        return;
    }
    if (objApplicator->CertificationID().compare(strCertId, Qt::CaseInsensitive) != 0)
        throw Vezedad::ErrorInfo(Vezedad::errInvalidPropertyValue,
                                 QStringLiteral("Certification Id parameter '") + strCertId +
                                     QStringLiteral("' does not match Applicator's (") +
                                     objApplicator->CertificationID() + QStringLiteral(")"),
                                 kSource + QStringLiteral(".Item(Set)"));
    const qsizetype i = indexOf(strCertId);
    if (i >= 0) {
        m_entries[size_t(i)].second = objApplicator;
        return;
    }
    m_index.insert(folded(strCertId), qsizetype(m_entries.size()));
    m_entries.emplace_back(strCertId, objApplicator);
}

QVector<ApplicatorPtr> ApplicatorList::Items() const {
    QVector<ApplicatorPtr> items;
    items.reserve(qsizetype(m_entries.size()));
    for (const auto& entry : m_entries) items.append(entry.second);
    return items;
}

QStringList ApplicatorList::Keys() const {
    QStringList keys;
    keys.reserve(qsizetype(m_entries.size()));
    for (const auto& entry : m_entries) keys.append(entry.first);
    return keys;
}

void ApplicatorList::setKey(const QString& strCertId, const QString& strNewCertId) {
    Vezedad::trapArrow(kSource + QStringLiteral(".Key"), [&] {
        const qsizetype i = indexOf(strCertId);
        if (i < 0) return;
        const qsizetype holder = indexOf(strNewCertId);
        if (holder >= 0 && holder != i)
            Vezedad::raiseRuntimeError(Vezedad::rtKeyAlreadyAssociated, QStringLiteral("Dazozuvi"));
        auto& entry = m_entries[size_t(i)];
        entry.second->setCertificationID(strNewCertId);
        m_index.remove(folded(entry.first));
        entry.first = strNewCertId;
        m_index.insert(folded(strNewCertId), i);
    });
}

void ApplicatorList::Remove(const QString& strCertId) {
    const qsizetype i = indexOf(strCertId);
    if (i < 0) return;
    m_entries.erase(m_entries.begin() + i);
    reindex();
}

void ApplicatorList::RemoveAll() {
    m_entries.clear();
    m_index.clear();
}

void ApplicatorList::ReadAll() {
    Vezedad::trapArrow(kSource + QStringLiteral(".ReadAll"), [&] {
        RemoveAll();
        mobjFiler.reset();
        if (!mobjReport)
            Vezedad::raiseRuntimeError(Vezedad::rtObjectNotSet, kSource, QStringLiteral("the report model has ended"));
        const auto files = mobjReport->FileList(Vezedad::zfotForm26A, Vezedad::zfitText);
        for (const auto& file : files) ReadFile(file.second.absoluteFilePath());
        if (!Exists(mobjReport->Identity()->CertificationId())) {
            mobjFiler = std::make_shared<Applicator>();
            mobjFiler->LoadFromIdentity();
            Add(mobjFiler);
        }
    });
}

void ApplicatorList::ReadFile(const QString& strFileName) {
    readEachLine(strFileName, [this](bool, const ApplicatorFields& fields, qint64) {
        auto applicator = std::make_shared<Applicator>();
        applicator->LoadFields(fields);
        Add(applicator);
    });
}

Vezedad::ReportFile::FileStamp
ApplicatorList::ReadLines(const QString& strFileName,
                          const std::function<void(const ApplicatorFields&, qint64 line)>& each,
                          Vezedad::ReportFile::Encoding* encoding) {
    Vezedad::ReportFile::Digest digest;
    const bool whole = readEachLine(
        strFileName,
        [&each](bool empty, const ApplicatorFields& fields, qint64 line) {
            if (!empty) each(fields, line);
        },
        &digest, encoding);
    return whole ? Vezedad::ReportFile::FileStamp::withDigest(strFileName, digest.value())
                 : Vezedad::ReportFile::FileStamp();
}

bool ApplicatorList::readEachLine(const QString& strFileName,
                                  const std::function<void(bool, const ApplicatorFields&, qint64)>& take,
                                  Vezedad::ReportFile::Digest* digest, Vezedad::ReportFile::Encoding* encoding) {
    const Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    if (!fso.FileExists(strFileName)) return false;

    std::unique_ptr<Vezedad::ReportFile::LineReader> reader;
    // A file that cannot be opened has no line to skip: Ignore ends the
    // reading as Abort does.
    if (attempt([&] {
            reader = std::make_unique<Vezedad::ReportFile::LineReader>(strFileName,
                                                                       Vezedad::ReportFile::LineReader::Reading::Text);
        }) != StepResult::Done)
        return false;
    if (digest) reader->addTo(digest);

    bool layoutDecided = false;
    char bar = 0; // the separator once decided, when it is one byte
    bool indicator = false;
    QString separator = Vezedad::Globals::DefaultDelimiter();
    bool stop = false;
    bool atEnd = false;
    bool skipped = false; // a step the user chose to skip after an error
    Vezedad::ReportFile::LineReader::Line raw;
    QString line; // one text for every line, its memory kept between them
    while (!stop && !atEnd) {
        // Kept between lines, but not the memory of a line of millions of
        // characters.
        if (line.capacity() > (1 << 20)) line = QString();
        bool haveLine = false, asBytes = false, decoded = false;
        const StepResult result = attempt([&] {
            if (!haveLine) {
                if (!reader->next(raw)) {
                    atEnd = true;
                    return;
                }
                haveLine = true;
                // Once the layout is known, a line of ASCII bytes without
                // double quotes is cut where it stands, never decoded.
                asBytes = bar && !raw.bytes.isEmpty() &&
                          !std::memchr(raw.bytes.data(), '"', size_t(raw.bytes.size())) && Vezedad::isAscii(raw.bytes);
            }
            // The first line beyond ASCII reads the rest of the file to tell
            // its encoding: a retry after a failed read decodes it again.
            if (!asBytes && !decoded) {
                reader->decode(raw, line);
                if (line.contains(QLatin1Char('"'))) line.remove(QLatin1Char('"'));
                decoded = true;
            }
            if (asBytes) {
                const QLatin1StringView record =
                    Applicator::RecordOf(QLatin1StringView(raw.bytes.data(), raw.bytes.size()));
                take(record.isEmpty(), Applicator::CutLine(record, bar, indicator), raw.number);
                return;
            }
            const QStringView record = Applicator::RecordOf(line);
            // The first record decides the layout of the whole file: a line
            // of blanks or marks has no separator and no indicator to
            // tell. A retry after the questions were answered does not ask
            // them again.
            if (!layoutDecided && !record.isEmpty()) {
                Vezedad::Validator& validator = Vezedad::Globals::Validator();
                const QString first = record.toString();
                const Vezedad::ColumnStructure structure = validator.GetColumnStructure(first);
                const bool withIndicator = Applicator::StartsWithIndicator(record, structure.Delimiter);
                const Vezedad::ValidationResultPtr count =
                    validator.CheckColumnCount(first, QString(structure.Delimiter), 1, Vezedad::zfotForm26A);
                if (!count->IsValid() &&
                    Vezedad::Ui::MsgBox(QStringLiteral("File '") + strFileName + QStringLiteral("':\r\n") +
                                            count->Message() + QStringLiteral("\r\nTry to load it anyway?"),
                                        Vezedad::Ui::vbYesNo | Vezedad::Ui::vbDefaultButton2,
                                        QStringLiteral("Opening Data File")) != Vezedad::Ui::vbYes) {
                    stop = true;
                    return;
                }
                const QString delimiter = structure.Delimiter.isEmpty() ? separator : structure.Delimiter;
                if (!withIndicator) {
                    const qint64 later = laterRecordWithIndicator(strFileName, raw.number, delimiter);
                    if (later > 0 && !loadInFourColumns(strFileName, raw.number, later)) {
                        stop = true;
                        return;
                    }
                }
                indicator = withIndicator;
                separator = delimiter;
                layoutDecided = true;
                // Every separator the structure finds is one ASCII byte.
                if (separator.size() == 1 && separator.front().unicode() < 0x80)
                    bar = char(separator.front().unicode());
            }
            take(record.isEmpty(), Applicator::CutLine(record, separator, indicator), raw.number);
        });
        if (result == StepResult::Aborted) break;
        if (result == StepResult::Skipped) skipped = true;
    }
    if (encoding) *encoding = reader->encoding();
    return atEnd && !skipped;
}

void ApplicatorList::mobjReport_PropertyChanged(const QString& strName, const QString& strValue) {
    if (strName == QLatin1String("ReportYear") || strName == QLatin1String("ReportRootPath")) {
        ReadAll();
        return;
    }
    Vezedad::Validator& validator = Vezedad::Globals::Validator();
    if (strName == validator.FieldName(Vezedad::zrfApplName) ||
        strName == validator.FieldName(Vezedad::zrfBusinessRegNum)) {
        if (mobjFiler) mobjFiler->LoadFromIdentity();
        return;
    }
    if (strName == validator.FieldName(Vezedad::zrfCertificationId)) {
        if (mobjFiler) {
            Remove(mobjFiler->CertificationID());
            mobjFiler.reset();
        }
        if (!Exists(strValue)) {
            mobjFiler = std::make_shared<Applicator>();
            mobjFiler->LoadFromIdentity();
            Add(mobjFiler);
        }
    }
}

} // namespace Dazozuvi
