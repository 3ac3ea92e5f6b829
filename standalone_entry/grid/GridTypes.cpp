#include "grid/GridTypes.h"

namespace Dazozuvi {

CellType CellType::text(int maxLength) {
    CellType t;
    t.kind = Text;
    t.maxLength = maxLength;
    return t;
}

CellType CellType::number(double minimum, double maximum, int decimals) {
    CellType t;
    t.kind = Number;
    t.minimum = minimum;
    t.maximum = maximum;
    t.decimals = decimals;
    return t;
}

CellType CellType::digits(int maxLength) {
    CellType t;
    t.kind = Digits;
    t.maxLength = maxLength;
    return t;
}

CellType CellType::date() {
    CellType t;
    t.kind = Date;
    t.maxLength = 10;
    return t;
}

CellType CellType::list(const QStringList& items) {
    CellType t;
    t.kind = List;
    t.items = items;
    return t;
}

CellType CellType::listFromTabs(const QString& items) { return list(items.split(QLatin1Char('\t'))); }

CellType CellType::check() {
    CellType t;
    t.kind = Check;
    t.maxLength = 1;
    return t;
}

} // namespace Dazozuvi
