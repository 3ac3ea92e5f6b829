#pragma once
#include "grid/GridTypes.h"

#include <QValidator>

#include <functional>

namespace Dazozuvi {

// Whether a character may be typed into a cell. "|" separates the fields of a
// report file, TAB, CR and LF would split its records, and a character that
// Windows-1252 cannot hold could not be saved. Returns the short message for
// the user, or an empty text when the character at index is fine.
QString refusedCharacterMessage(QStringView text, qsizetype index);

// Restricts what is typed into a cell's editor: drops refused characters
// (telling onRefused why, once per edit) and holds the column type's rules.
// Text already in a cell is never judged: only what the user changes is.
class CellInputFilter : public QValidator {
    Q_OBJECT

public:
    CellInputFilter(const CellType& type, std::function<void(const QString&)> onRefused, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

    // The column type's rule alone, without the refused characters.
    static State checkType(const CellType& type, QStringView input);

private:
    CellType m_type;
    std::function<void(const QString&)> m_onRefused;
};

} // namespace Dazozuvi
