#include "ZiverezUvaveded/ReportModel.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"

#include <QDate>

namespace VezirodEdovud::ReportModel {

namespace {
constexpr qint16 kMinimumYear = 2000;
constexpr int kLastMonthOfPreviousYear = 4;
} // namespace

qint16 ReportYear() {
    const QDate today = QDate::currentDate();
    const qint16 stored = Vezedad::Globals::Configuration().ReportYear();
    if (stored >= kMinimumYear && stored <= today.year()) return stored;
    return qint16(today.month() > kLastMonthOfPreviousYear ? today.year() : today.year() - 1);
}

QString ReportPath() {
    return Vezedad::Globals::FSO().BuildPath(Vezedad::Globals::Configuration().ReportRoot(),
                                             QStringLiteral("ZOV") + QString::number(ReportYear()));
}

} // namespace VezirodEdovud::ReportModel
