#pragma once
#include "forms/ReportForm.h"

namespace Dazozuvi {

// Form 26, the annual pesticide-use report of one certified commercial
// applicator or technician: the certification id, the applicator's name and
// the business registration number in the header, the check box "No
// Commercial Applications Were Conducted This Year", fourteen columns (the
// first ten checked, the last four record keeping only) with the county code
// in column 7, and its file:
//   application:     "0|" cert "|" busreg "|" + fourteen cells, each followed
//                    by "|" (17 fields)
//   no applications: "3|" cert "|" busreg + eleven "|" (13 fields), the
//                    file's only line
// The applicator's name is not stored: a loaded file takes it from the
// applicator registry under the certification id of its first record.
class Form26 : public ReportForm {
    Q_OBJECT
public:
    explicit Form26(QWidget* parent = nullptr);

    static ReportFormSpec FormSpec();

protected:
    void WriteRecords(Vezedad::ReportFile::RecordWriter& file) override;
    void ReadFirstRecord(const QStringList& fields) override;
};

} // namespace Dazozuvi
