#pragma once
#include "forms/ReportForm.h"

namespace Dazozuvi {

// Form 27, the annual report of pesticide sales to certified private
// applicators: the seller's permit number and business name in the header,
// the check box "No Sales to Private Applicators Were Made This Year", nine
// columns (all checked) with the county code of the place of use in column
// 6, and its file of eleven-field records:
//   sales:    "0|" permit "|" + nine cells, each followed by "|"
//   no sales: "3|" permit + ten "|", the file's only line
// Whether a loaded report has sales follows from its rows alone: a file whose
// first line is the no-sales record but that holds sales records opens with
// them.
class Form27 : public ReportForm {
    Q_OBJECT
public:
    explicit Form27(QWidget* parent = nullptr);

    static ReportFormSpec FormSpec();

protected:
    void WriteRecords(Vezedad::ReportFile::RecordWriter& file) override;
    void ReadFirstRecord(const QStringList& fields) override;
};

} // namespace Dazozuvi
