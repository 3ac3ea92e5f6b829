// The fixed vocabulary of report validation: field names, messages, layouts.
#include "Vezedad/validation/ValidationTables.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Globals.h"

#include <QHash>
#include <array>
#include <limits>
#include <optional>

namespace Vezedad::ValidationTables {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The library's string table of user messages.
const QHash<qint32, QString>& messageTexts() {
    static const QHash<qint32, QString> texts = {
        {101, QStringLiteral("No value entered for Contact Name.")},
        {102, QStringLiteral("Contact Name should be text, not a number.")},
        {103, QStringLiteral("No value entered for Phone number.")},
        {104, QStringLiteral("No value entered for email address.")},
        {105, QStringLiteral("Email address appears to be invalid.")},
        {106, QStringLiteral("No Business Id was entered.")},
        {107, QStringLiteral("Business Registration Number must be a RUR assigned 5 digit number.")},
        {108, QStringLiteral("Certification ID Number '{Value}' must be a RUR assigned number that begins with C, T, "
                             "or B and is followed by 7 digits.")},
        {109, QStringLiteral("Commercial Permit Number must be a RUR assigned code  beginning with R, followed by 5 "
                             "digits.")},
        {110, QStringLiteral("Indicator must be 0, 3, or 4.")},
        {111, QStringLiteral("The EPA Registration Number is found on the product label; it has 2 or 3 numbers "
                             "separated by dashes, spaces or slashes.")},
        {112, QStringLiteral("Product name as found on label, up to 65 characters.")},
        {113, QStringLiteral("Address is missing.")},
        {114, QStringLiteral("Address must be less than 50 characters.")},
        {115, QStringLiteral("Address must be valid address, not just a number.")},
        {116, QStringLiteral("County must be a two digit county code (between 01 and 62).")},
        {117, QStringLiteral("Municipality must be a text entry (A-Z, 0-9, comma or ' ) with 30 or fewer characters.")},
        {118, QStringLiteral("Unit - Choose from: FL, GL, GM, KG, L, LB, MG, ML, OZ, QT.")},
        {119, QStringLiteral("ZipCode must be a five digit Zip Code (between 00001 and 99999)")},
        {120, QStringLiteral("UNDILUTED Quantity must be a positive number with up to 4 decimal places (no commas).")},
        {121, QStringLiteral("Container Size Quantity is the numeric part of the container size (the 5 in '5 GL'). It "
                             "must be greater than 0.")},
        {122, QStringLiteral("Container Size Quantity is the numeric part of the container size (the 5 in '5 GL').")},
        {123, QStringLiteral("Container Size Unit - Choose from: FL, GL, GM, KG, L, LB, MG, ML, OZ, QT.")},
        {124, QStringLiteral("Containers Sold is the number of containers (not cases) sold. It may not be 0.")},
        {125, QStringLiteral("Containers Sold is the number of containers sold (not cases sold).")},
        {126, QStringLiteral("No value entered for First Name.")},
        {127, QStringLiteral("First Name should be text, not a number.")},
        {128, QStringLiteral("First Name can have up to 15 characters.")},
        {129, QStringLiteral("No value entered for Last Name.")},
        {130, QStringLiteral("Last Name should be text, not a number.")},
        {131, QStringLiteral("Last Name can have up to 25 characters.")},
        {132, QStringLiteral("Enter data only in defined areas")},
        {133, QStringLiteral("Could not identify field separator; file cannot be processed.")},
        {134, QStringLiteral("Field separator '{Value}' is acceptable but '|' is preferred.")},
        {135, QStringLiteral("A 'No Applications' (or 'No Sales') record should have no data except certification "
                             "id, business number, or sales permit.")},
        {136, QStringLiteral("A record reporting application or sale should have reportable data.")},
        {137, QStringLiteral("Too many invalid records. Validation stopped after {Value} invalid records.")},
        {138, QStringLiteral("One or more records has a 'Terminal' error; validation stopped at record {Value}.")},
        {139, QStringLiteral("Municipality may not be empty.")},
        {140, QStringLiteral("Product name may not be empty.")},
        {141, QStringLiteral("Quantity Sold is required and must be a non-zero number.")},
        {142, QStringLiteral("Container Size Quantity is required and must be greater than 0. It is the numeric part "
                             "of the container size (e.g. the '5' in '5 GL').")},
        {143, QStringLiteral("Containers Sold is required. It is the number of containers (not cases) sold and may "
                             "not be 0.")},
        {144, QStringLiteral("Quantity Sold must be a non-zero number.")},
        {145, QStringLiteral("Date string is empty.")},
        {146, QStringLiteral("Date string '{Value}' appears to have the wrong year.")},
        {147, QStringLiteral("Date string '{Value}' cannot be interpreted as a date.")},
        {148, QStringLiteral("User cancelled validation after record {Value}.")},
    };
    return texts;
}

struct MessageEntry {
    qint32 field;
    qint32 code;
    qint16 number;
};

constexpr MessageEntry kMessageTable[] = {
    {0, 4, 132},   {1, 2, 113},  {1, 3, 114},   {1, 4, 115},  {2, 4, 110},  {3, 2, 106},  {3, 4, 107},   {4, 4, 108},
    {5, 4, 109},   {6, 2, 142},  {6, 6, 121},   {6, 7, 122},  {6, 12, 121}, {7, 2, 123},  {7, 4, 123},   {8, 2, 143},
    {8, 6, 124},   {8, 7, 125},  {9, 2, 116},   {9, 4, 116},  {9, 7, 116},  {10, 2, 145}, {10, 4, 147},  {10, 8, 146},
    {11, 2, 145},  {11, 4, 147}, {11, 8, 146},  {12, 4, 147}, {12, 8, 146}, {14, 2, 111}, {14, 4, 111},  {15, 2, 101},
    {15, 4, 102},  {16, 2, 103}, {17, 2, 104},  {17, 4, 105}, {18, 2, 126}, {18, 3, 128}, {18, 4, 127},  {19, 2, 129},
    {19, 3, 131},  {19, 4, 130}, {20, 2, 139},  {20, 3, 117}, {20, 4, 117}, {21, 2, 140}, {21, 4, 112},  {22, 2, 120},
    {22, 6, 120},  {22, 7, 120}, {22, 12, 120}, {23, 2, 141}, {23, 6, 144}, {23, 7, 144}, {25, 2, 118},  {25, 4, 118},
    {26, 2, 119},  {26, 4, 119}, {51, 2, 133},  {51, 4, 134}, {53, 2, 136}, {53, 9, 135}, {54, 10, 137}, {54, 11, 138},
    {57, 13, 148},
};
static_assert(sizeof(kMessageTable) / sizeof(kMessageTable[0]) == 65);

struct FieldNameEntry {
    qint32 id;
    const char* name;
};

constexpr FieldNameEntry kFieldNames[] = {
    {1, "Address"},
    {2, "ApIndicator"},
    {3, "Business Registration Number"},
    {4, "Certification ID"},
    {5, "Commercial Sales Permit Number"},
    {6, "Container Size Quantity"},
    {7, "Container Size Units"},
    {8, "Containers Sold"},
    {9, "County Code"},
    {10, "Date Sold"},
    {11, "Application Start Date"},
    {12, "Application End Date"},
    {13, "End Use"},
    {14, "EPA Reg Number"},
    {15, "Contact Name"},
    {16, "Phone Number"},
    {17, "Email Address"},
    {18, "First Name"},
    {19, "Last Name"},
    {20, "Municipality"},
    {21, "Product Name"},
    {22, "Quantity"},
    {23, "Quantity Sold"},
    {24, "Resale"},
    {25, "Units"},
    {26, "Zip Code"},
    {27, "Dosage Rate"},
    {28, "Method of Application"},
    {29, "Target Organism"},
    {30, "Place of Application"},
    {31, "Business Name"},
    {32, "HasForm26"},
    {33, "HasForm26A"},
    {34, "HasForm27"},
    {35, "HasForm25"},
    {36, "UniqueId"},
    {37, "Applicator Name"},
    {50, "Filename First Letter"},
    {51, "Field Separator"},
    {52, "Column Count"},
    {53, "Required Data Fields"},
    {54, "Error Count"},
    {55, "Record Count"},
    {56, "FileName"},
    {57, "Cancelled By User"},
};
static_assert(sizeof(kFieldNames) / sizeof(kFieldNames[0]) == 45);

// The help lines of each form's columns and its example record.
struct ColumnHelp {
    qint32 formType;
    QStringList lines;
    QString example;
};

const QVector<ColumnHelp>& columnHelp() {
    static const QVector<ColumnHelp> help = {
        {zfotForm26,
         {QStringLiteral(" 1 No Applications Indicator 0 (if data to report) or 3 (no data)"),
          QStringLiteral(" 2 Certification ID Number   C, T, or B followed by 7 digits, no dashes"),
          QStringLiteral(" 3 BusinessID                Five digits"),
          QStringLiteral(" 4 EPA Number                Number on label, contains numbers and dashes"),
          QStringLiteral(" 5 Product Name              Found on label"),
          QStringLiteral(" 6 Quantity                  Numeric (no commas) value for amount applied"),
          QStringLiteral(" 7 Units                     Unit of measure for quantity field"),
          QStringLiteral(" 8 Apply Date                mm/dd/yyyy format of application date"),
          QStringLiteral(" 9 End Application Date      leave empty unless automated application"),
          QStringLiteral("10 County Code               2 digit county code between 00 and 62"),
          QStringLiteral("11 Address                   Address of application"),
          QStringLiteral("12 Municipality              Municipality or city of application"),
          QStringLiteral("13 ZipCode                   5 digit zipcode only")},
         QStringLiteral("0|C1111111|54565|2345-2345-2345|Name from label|2.5|OZ|09/09/2003||01|123 "
                        "Mystreet|Albany|12203|")},
        {zfotForm26A,
         {QStringLiteral(" 1 No Applications Indicator 0 (made applications) or 3 (no applications)"),
          QStringLiteral(" 2 Certification ID Number   C, T, or B followed by 7 digits, no dashes"),
          QStringLiteral(" 3 BusinessID                Five digits"), QStringLiteral(" 4 First Name"),
          QStringLiteral(" 5 Last Name")},
         QStringLiteral("0|C1111111|54565|Jane|Doe|")},
        {zfotForm27,
         {QStringLiteral(" 1 No Sale Indicator         0 (if data to report) or 3 (no data)"),
          QStringLiteral(" 2 Commercial Permit Number  R followed by 5 digits"),
          QStringLiteral(" 3 EPA Number                Number on label, contains numbers and dashes"),
          QStringLiteral(" 4 Product Name              Found on label"),
          QStringLiteral(" 5 Sale Quantity             Numeric (no commas) value for amount sold"),
          QStringLiteral(" 6 Units                     Unit of measure for quantity field"),
          QStringLiteral(" 7 Date Sold                 mm/dd/yyyy format of sale date"),
          QStringLiteral(" 8 County Code               2 digit county code between 00 and 62"),
          QStringLiteral(" 9 Address                   Address"),
          QStringLiteral("10 Municipality              Municipality or city"),
          QStringLiteral("11 ZipCode                   5 digit zipcode only")},
         QStringLiteral("0|R34343|2345-2345-2345|Name from label|2.5|OZ|09/09/2003|01|123 Mystreet|Albany|12203|")},
        {zfotForm25,
         {QStringLiteral(" 1 No Sale Indicator -       0 (if data to report) or 3 (no data)"),
          QStringLiteral(" 2 Commercial Permit Number  R followed by 5 digits"),
          QStringLiteral(" 3 EPA Number                Number on label, contains numbers and dashes"),
          QStringLiteral(" 4 Product Name              Found on label"),
          QStringLiteral(" 5 ContainerSizeQuantity     Numeric (no commas) value for size of container"),
          QStringLiteral(" 6 ContainerSizeUnits        Unit of measure for quantity field"),
          QStringLiteral(" 7 ContainersSold            Number of containers sold"),
          QStringLiteral(" 8 ForResale                 X (if for Resale) or blank"),
          QStringLiteral(" 9 ForEndUse                 X (if for End Use) or blank")},
         QStringLiteral("0|R12345|2345-2345-2345|Name from label|2|GL|24|X||")},
    };
    return help;
}

// The message number of each field and code, and each field's name, looked
// up from any thread.
const QHash<qint32, qint16>& messageNumbers() {
    static const QHash<qint32, qint16> numbers = [] {
        QHash<qint32, qint16> table;
        for (const MessageEntry& entry : kMessageTable) table.insert(entry.field * 256 + entry.code, entry.number);
        return table;
    }();
    return numbers;
}

const QHash<qint32, QString>& fieldNames() {
    static const QHash<qint32, QString> names = [] {
        QHash<qint32, QString> table;
        for (const FieldNameEntry& entry : kFieldNames) table.insert(entry.id, QString::fromLatin1(entry.name));
        return table;
    }();
    return names;
}

// The key of a field and code; none when it does not fit in 32 bits, so such
// a pair has no message rather than wrapping round onto another field's entry.
std::optional<qint32> messageKey(qint32 fieldId, qint32 code) {
    const qint64 key = qint64(fieldId) * 256 + qint64(code);
    if (key < std::numeric_limits<qint32>::min() || key > std::numeric_limits<qint32>::max()) return std::nullopt;
    return qint32(key);
}

RecordLayout makeLayout(qint32 formType, QList<qint32> fields, qint16 min, qint16 max) {
    RecordLayout layout;
    layout.FormType = formType;
    layout.Fields = std::move(fields);
    layout.Counts = {min, max};
    return layout;
}

} // namespace

QString fieldName(qint32 fieldId) {
    const auto& names = fieldNames();
    const auto it = names.constFind(fieldId);
    if (it != names.constEnd()) return *it;
    return QStringLiteral("Unknown (") + QString::number(fieldId) + QStringLiteral(")");
}

QString message(qint32 fieldId, qint32 code, const QString& value) {
    if (code == valcOK) return QString();
    // Each field's and code's text, cut where the value goes, made once: a
    // listing of a hundred thousand findings asks for one each.
    static const QHash<qint32, QStringList> pieces = [] {
        static const QString placeholder = QStringLiteral("{Value}");
        QHash<qint32, QStringList> table;
        const auto& texts = messageTexts();
        for (auto it = messageNumbers().constBegin(); it != messageNumbers().constEnd(); ++it) {
            const auto text = texts.constFind(it.value());
            if (it.value() != 0 && text != texts.constEnd()) table.insert(it.key(), text->split(placeholder));
        }
        return table;
    }();
    const auto key = messageKey(fieldId, code);
    const auto it = key ? pieces.constFind(*key) : pieces.constEnd();
    if (it == pieces.constEnd())
        return QStringLiteral("Unknown validation error for ") + fieldName(fieldId) + QStringLiteral(", ") +
               QString::number(code) + QStringLiteral(", ") + value;
    if (it->size() == 1) return it->front();
    return it->join(value);
}

QString columnCountMessage(qint32 recordNumber, qint32 count, qint32 formType) {
    return QStringLiteral("Record ") + QString::number(recordNumber) + QStringLiteral(" appears to have ") +
           QString::number(count) + QStringLiteral(" fields instead of the ") +
           QString::number(layout(formType).Counts.Min + 1) + QStringLiteral(" expected.");
}

bool isDataField(qint32 fieldId) {
    constexpr quint64 kDataFields = (1ull << zrfContainerSizeQuantity) | (1ull << zrfContainerSizeUnits) |
                                    (1ull << zrfContainersSold) | (1ull << zrfDateEnd) | (1ull << zrfDateSold) |
                                    (1ull << zrfDateStart) | (1ull << zrfEPANumber) | (1ull << zrfProductName) |
                                    (1ull << zrfQuantity) | (1ull << zrfQuantitySold) | (1ull << zrfUnits);
    return fieldId >= 0 && fieldId < 64 && (kDataFields >> fieldId) & 1u;
}

const RecordLayout& layout(qint32 formType) {
    static const std::array<RecordLayout, 6> layouts = {
        makeLayout(zfotForm26, {2, 4, 3, 14, 21, 22, 25, 11, 12, 9, 1, 20, 26}, 12, 17),
        makeLayout(zfotForm26A, {2, 4, 3, 18, 19}, 4, 5),
        makeLayout(zfotForm27, {2, 5, 14, 21, 23, 25, 10, 9, 1, 20, 26}, 10, 11),
        makeLayout(zfotForm25, {2, 5, 14, 21, 6, 7, 8, 24, 13}, 8, 9),
        makeLayout(zfotIdentity, {31, 3, 4, 5, 16, 15, 32, 33, 34, 35, 36, 37, 17}, 12, 14),
        RecordLayout(),
    };
    for (const RecordLayout& l : layouts)
        if (l.FormType == formType) return l;
    return layouts.back();
}

QString expectedColumns(qint32 formType) {
    QString text = QStringLiteral("Expected columns and order (with example) for ") +
                   Globals::GetFormName(formType, true) + kCrLf + kCrLf +
                   QStringLiteral("Columns                      Possible Values") + kCrLf +
                   QStringLiteral("______________               ____________________               ") + kCrLf;
    for (const ColumnHelp& help : columnHelp()) {
        if (help.formType != formType) continue;
        for (const QString& line : help.lines) text += line + kCrLf;
        text += kCrLf + QStringLiteral("Example:") + kCrLf + kCrLf + help.example + kCrLf;
    }
    return text + kCrLf +
           QStringLiteral("Please reference the text file submission guidelines for complete instructions.");
}

} // namespace Vezedad::ValidationTables
