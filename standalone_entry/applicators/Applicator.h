#pragma once
#include <QAnyStringView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <array>
#include <memory>

namespace Dazozuvi {

// One line of a Form 26A file cut into an applicator's fields, as views into
// the line: the certification id, business registration number, first and
// last name, of which the line holds the first `given`, and whether the
// applicator made applications. A line of ASCII bytes is cut where it stands,
// its fields Latin-1 views; any other line's fields are views into its text.
// In a file with the indicator column, indicator is the line's first field as
// it stands (appsDone follows from it), so that a reader can tell an
// indicator that is neither "0" nor "3".
struct ApplicatorFields {
    std::array<QAnyStringView, 4> texts;
    int given = 0;
    bool appsDone = true;
    bool hasIndicator = false;
    QAnyStringView indicator;
    // The line holds text in fields beyond the layout, which nothing keeps.
    bool beyond = false;
    // Cut without the indicator column, the line starts with an indicator
    // as a record of five columns does: its fields are read one column off.
    bool indicatorFirst = false;
};

// One certified applicator or technician of the filer. The text properties
// take only what the validator accepts for their field, in its stored form;
// a refused value leaves the old one without a word. The two loaders write
// the fields as they come, unchecked.
class Applicator {
public:
    bool AppsDone() const { return m_appsDone; }
    void setAppsDone(bool blnValue) { m_appsDone = blnValue; }
    const QString& BusinessRegNumber() const { return m_businessRegNumber; }
    void setBusinessRegNumber(const QString& strValue);
    const QString& CertificationID() const { return m_certificationId; }
    void setCertificationID(const QString& strValue);
    const QString& FirstName() const { return m_firstName; }
    void setFirstName(const QString& strValue);
    const QString& LastName() const { return m_lastName; }
    void setLastName(const QString& strValue);
    // First and last name as one shows them: each without blanks at its ends,
    // one blank between them when both are given, none at either end.
    QString FullName() const;

    // The filer itself, from the shared filer identity.
    void LoadFromIdentity();
    // One line of a Form 26A file: the activity indicator ("0": made
    // applications), certification id, business registration number, first
    // and last name. Without the indicator column (blnFiveColumns False) the
    // line starts at the certification id and the applicator made
    // applications. Missing trailing fields leave their properties as they
    // were; fields beyond the layout are ignored.
    void LoadLine(const QString& strLine, const QString& strSep, bool blnFiveColumns);
    // The cutting of LoadLine, without an applicator: a list of a million
    // lines is read without an object, or a string, per field.
    static ApplicatorFields CutLine(QStringView line, QStringView separator, bool fiveColumns);
    // The same for a line of ASCII bytes and a one-byte separator.
    static ApplicatorFields CutLine(QLatin1StringView line, char separator, bool fiveColumns);
    // What LoadLine sets from the fields it cut.
    void LoadFields(const ApplicatorFields& fields);

    // A Form 26A line's record: the line without the byte-order marks and
    // blanks before it, which are never data (a mark that a tool left before
    // a later line, as one character or as Windows-1252 reads its bytes).
    static QStringView RecordOf(QStringView line);
    // The same for a line of ASCII bytes, which holds no mark.
    static QLatin1StringView RecordOf(QLatin1StringView line);
    // Whether a record starts with the "No Applications" indicator: one
    // digit and the separator (with no separator, any digit). The first
    // record of a list decides by it whether the list has the indicator
    // column.
    static bool StartsWithIndicator(QStringView record, QStringView separator);
    static bool StartsWithIndicator(QLatin1StringView record, char separator);

private:
    bool m_appsDone = false;
    QString m_certificationId;
    QString m_businessRegNumber;
    QString m_firstName;
    QString m_lastName;
};

using ApplicatorPtr = std::shared_ptr<Applicator>;

} // namespace Dazozuvi
