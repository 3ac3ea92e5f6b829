#pragma once
#include "forms/ReportForm.h"

namespace Dazozuvi {

// Form 25, the annual report of restricted pesticide sales by a holder of a
// commercial sales permit: the permit number and business name in the
// header, the sales type (no sales, resale, end use) as three option buttons,
// five columns, and its file of nine-field records:
//   sales:    "0|" permit "|" + five cells, each followed by "|" + "X||"
//             (resale) or "|X|" (end use)
//   no sales: "3|" permit "|||||||X|", the file's only line
class Form25 : public ReportForm {
    Q_OBJECT
public:
    // The sales types: the selected option.
    enum SalesType { NoSales = 0, Resale = 1, EndUse = 2 };

    explicit Form25(QWidget* parent = nullptr);

    static ReportFormSpec FormSpec();

    int SalesType() const { return Activity(); }

protected:
    void WriteRecords(Vezedad::ReportFile::RecordWriter& file) override;
    void ReadFirstRecord(const QStringList& fields) override;
    void RecordLoaded(QAnyStringView line, const QString& delimiter) override;
    bool HearsLoadedRecords() const override { return true; }
    QString LoadNotes() override;

private:
    qint64 m_resaleRecords = 0;
    qint64 m_endUseRecords = 0;
};

} // namespace Dazozuvi
