#pragma once
#include "forms/ReportForm.h"

namespace Dazozuvi {

// Form 26A, the list of the filer's certified commercial applicators and
// technicians: the business registration number and name in the header, and
// a row per applicator with the certification id, the registration number,
// the first and last name and the "No Applications" tick box ("1": none
// made; "0" or empty: made some). Its file has a five-field record per row:
//   indicator ("0" made applications, "3" none) "|" cert "|" busreg "|"
//   first "|" last "|"
// A new list starts with the filer in row 1. The file is read line by line
// as it stands, so that every line shows as a row, repeated ids included;
// every save, written or not, makes the shared applicator registry read the
// year's lists again.
class Form26A : public ReportForm {
    Q_OBJECT
public:
    explicit Form26A(QWidget* parent = nullptr);

    static ReportFormSpec FormSpec();

protected:
    void WriteRecords(Vezedad::ReportFile::RecordWriter& file) override;
    QString RefusedPlace(qint64 record, int field) const override;
    void StartNewReport() override;
    QString ProposedNameId() const override;
    bool GetFile(const QString& path) override;
    void AnswerValidating(qint32 lngRow, qint32 lngCol, QStringView strValue, bool& blnCheck, qint32& lngFieldId,
                          bool& blnResult) override;
    void AfterValidEdit(int col, int row) override;
    void AfterWrite(bool written) override;
    QString LoadNotes() override;

private:
    bool LoadData(const QString& path);

    QList<int> m_recordRows; // the row of each record written
    // Rows loaded from lines whose indicator was neither "0" nor "3": how
    // many, and the first few.
    int m_otherMarks = 0;
    QList<qint64> m_otherMarkRows;
};

} // namespace Dazozuvi
