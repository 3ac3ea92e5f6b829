// The rules of each report field, and the value forms they accept.
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QDate>
#include <bit>
#include <cfloat>
#include <cmath>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Vezedad {

namespace {

bool isAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

bool allDigits(QStringView s) {
    for (QChar c : s)
        if (!isAsciiDigit(c)) return false;
    return true;
}

// The quick test works on any text whose ASCII characters are its ASCII code
// units: the decoded text, or a report line's own bytes (the code page maps
// ASCII bytes, and only those, onto ASCII characters). Every rule below looks
// at ASCII characters only, so both give the same answer.
template <class Ch> struct Chars {
    const Ch* p;
    qsizetype n;
    char16_t operator[](qsizetype i) const { return char16_t(p[i]); }
    Chars mid(qsizetype from, qsizetype len = -1) const { return {p + from, len < 0 ? n - from : len}; }
    bool digits() const {
        for (qsizetype i = 0; i < n; ++i)
            if (char16_t(p[i]) < u'0' || char16_t(p[i]) > u'9') return false;
        return true;
    }
    int value() const {
        int v = 0;
        for (qsizetype i = 0; i < n; ++i) v = v * 10 + (char16_t(p[i]) - u'0');
        return v;
    }
    bool zeros() const {
        for (qsizetype i = 0; i < n; ++i)
            if (p[i] != Ch('0')) return false;
        return true;
    }
};

template <class Ch> bool numericChars(Chars<Ch> s) {
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    qsizetype i = 0, n = s.n;
    while (i < n && blank(s[i])) ++i;
    while (n > i && blank(s[n - 1])) --n;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (digit(s[i]))
            ++digits;
        else if (s[i] == u'.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
        qsizetype expDigits = 0;
        while (i < n && digit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == n;
}

// The general number recognition the rules rely on: blanks around, an
// optional sign, digits with at most one decimal point, an optional exponent.
bool isNumeric(QStringView s) {
    return numericChars(Chars<char16_t>{reinterpret_cast<const char16_t*>(s.data()), s.size()});
}

[[noreturn]] void overflow() { raiseOverflow(QStringLiteral("Vezedad")); }

// The value of a text that isNumeric accepted: infinite beyond the double
// range, zero below its smallest magnitude.
double parsedNumber(QStringView s) {
    QString compact = s.trimmed().toString();
    compact.remove(u'\t');
    if (compact.endsWith(u'.')) compact.chop(1);
    if (compact.startsWith(u'.') || compact.startsWith(QLatin1String("-.")) || compact.startsWith(QLatin1String("+.")))
        compact.insert(compact.indexOf(u'.'), u'0');
    bool ok = false;
    const double value = compact.toDouble(&ok);
    // toDouble answers "not ok" both for an overflow (giving infinity) and for
    // an underflow (giving zero); the syntax was checked before.
    if (!ok && value != 0.0 && std::isfinite(value)) overflow();
    return value;
}

// As parsedNumber, but a value beyond the double range is an overflow.
double numericValue(QStringView s) {
    const double value = parsedNumber(s);
    if (!std::isfinite(value)) overflow();
    return value;
}

// Whole number with halves to the even neighbour, as the 16-bit conversion does.
qint16 toInteger16(double value) {
    const auto whole = roundedTo<qint16>(value);
    if (!whole) overflow();
    return *whole;
}

// A number written with the pattern "00..." of the given width.
QString padNumber(qint64 value, int width) {
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(width, u'0');
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

QRegularExpression compiled(const QString& pattern,
                            QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption) {
    QRegularExpression re(pattern, options);
    Q_ASSERT_X(re.isValid(), "Validator", qPrintable(re.errorString()));
    re.optimize();
    return re;
}

bool matches(const QRegularExpression& re, QStringView text) { return re.match(text).hasMatch(); }

int monthFromName(QStringView name) {
    static const char* const kMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
    const QString lower = name.toString().toLower();
    for (int m = 0; m < 12; ++m) {
        const QString full = QString::fromLatin1(kMonths[m]);
        if (lower == full || lower == full.left(3) || (m == 8 && lower == QLatin1String("sept"))) return m + 1;
    }
    return 0;
}

// A two-digit year in the window the date forms use.
int windowYear(int y) {
    if (y < 30) return 2000 + y;
    if (y < 100) return 1900 + y;
    return y;
}

} // namespace

Validator::Validator() {
    m_reBusinessId = compiled(QStringLiteral("\\A\\d{0,5}\\z"));
    m_reCertId = compiled(QStringLiteral("\\A[ABCT]\\d{7}\\z"));
    m_reCertPrivate = compiled(QStringLiteral("\\AP\\d{7}\\z"));
    m_rePermit = compiled(QStringLiteral("\\AR\\d{5}\\z"));
    m_reDate = compiled(QStringLiteral("\\A\\s*(\\d{1,2})\\s*[-/. ]\\s*(\\d{1,2})(\\s*[-/. ]\\s*(\\d{1,4}))?\\s*\\z"));
    m_reDateYearFirst =
        compiled(QStringLiteral("\\A\\s*(\\d{4})\\s*[-/.]\\s*(\\d{1,2})\\s*[-/.]\\s*(\\d{1,2})\\s*\\z"));
    m_reDateNamedMonth =
        compiled(QStringLiteral("\\A\\s*([A-Za-z]{3,9})\\.?\\s*(\\d{1,2})(?:\\s*,?\\s*(\\d{4}))?\\s*\\z"));
    m_reDateDayMonthName =
        compiled(QStringLiteral("\\A\\s*(\\d{1,2})\\s*[- ]?\\s*([A-Za-z]{3,9})\\.?(?:\\s*[-, ]\\s*(\\d{4}))?\\s*\\z"));
    // Letters are spelt in both cases rather than matched caselessly: a
    // caseless match would also take look-alikes such as the Kelvin sign.
    m_reEmail = compiled(QStringLiteral("\\A(?:[\\w!#$%&'*+/=?^`{|}~.-]+)@(?:[a-zA-Z\\d][a-zA-Z\\d-]*)"
                                        "(?:\\.[a-zA-Z\\d][a-zA-Z\\d-]*)*\\.(?:[a-zA-Z][a-zA-Z\\d-]+)\\z"));
    m_reEpaSeparators = compiled(QStringLiteral("[- /]+"));
    m_reEpa = compiled(QStringLiteral("(\\A\\d{1,6}([- /]\\d{1,5})([- /]\\d{1,6})?\\z)|(\\A\\d{10,11}\\z)|"
                                      "(\\A\\d{15,17}\\z)|(\\A[Ss][Ll][Nn][- /]?[Nn][Yy][- /]?\\d{1,6}\\z)|"
                                      "(\\A\\d{1,6}[- /]?[Ee][Uu][Pp][- /]?\\d{1,6}\\z)"));
    m_reZip = compiled(QStringLiteral("\\A\\d{5}(-\\d{4})?\\z"));
}

Validator::~Validator() = default;

qint32 Validator::reportYear() const { return Globals::ZelReport().ReportYear(); }

Validator::Check Validator::checkFor(qint32 fieldId) const {
    switch (fieldId) {
    case zrfAddress:
    case zrfContactName:
    case zrfFirstName:
    case zrfLastName:
    case zrfMunicipality:
    case zrfProductName: return &Validator::ValidateName;
    case zrfApIndicator: return &Validator::ValidateIndicator;
    case zrfBusinessRegNum: return &Validator::ValidateBusinessID;
    case zrfCertificationId: return &Validator::ValidateCertID;
    case zrfPermitNumber: return &Validator::ValidatePermitID;
    case zrfContainerSizeQuantity:
    case zrfContainersSold:
    case zrfQuantity:
    case zrfQuantitySold: return &Validator::ValidateQuantity;
    case zrfContainerSizeUnits:
    case zrfUnits: return &Validator::ValidateUnit;
    case zrfCounty: return &Validator::ValidateCounty;
    case zrfDateSold:
    case zrfDateStart:
    case zrfDateEnd: return &Validator::ValidateDate;
    case zrfEPANumber: return &Validator::ValidateEpa;
    case zrfPhone: return &Validator::ValidatePhone;
    case zrfEmail: return &Validator::ValidateEmail;
    case zrfZipCode: return &Validator::ValidateZip;
    default: return nullptr;
    }
}

ValidationResultPtr Validator::ValidateField(qint32 fieldId, const QString& strValue, qint32 lngRecordNumber) {
    return validateField(fieldId, strValue, lngRecordNumber);
}

ValidationResultPtr Validator::validateField(qint32 fieldId, QStringView strValue, qint32 lngRecordNumber) {
    qsizetype begin = 0, end = strValue.size();
    while (begin < end && strValue[begin] == u' ') ++begin;
    while (end > begin && strValue[end - 1] == u' ') --end;
    QString prepared = strValue.mid(begin, end - begin).toString();
    if (prepared.contains(QLatin1String("\r\n"))) prepared.remove(QStringLiteral("\r\n"));

    ValidationResultPtr result = modGlobals::New_ValidationResult(fieldId, lngRecordNumber, prepared, valcOK, kvesOK);
    const Check check = checkFor(fieldId);
    if (check) {
        try {
            (this->*check)(*result);
        } catch (...) {
            const ErrorInfo error = ErrorInfo::fromCurrentException();
            if (check == &Validator::ValidateIndicator) {
                // The only check without a trap of its own: its failure
                // speaks for itself.
                result->setCode(error.Number());
                result->SetMessage(error.Description());
                return result;
            }
            result->setCode(valcProcessingError);
        }
    }
    if (!result->IsValid()) result->UseTableMessage();
    return result;
}

void Validator::ValidateIndicator(ValidationResult& r) {
    const QString& v = r.Value();
    if (v != QLatin1String("0") && v != QLatin1String("4") && v != QLatin1String("3")) {
        r.setCode(valcInvalidValue);
        r.setSeverity(kvesCritical);
    }
}

void Validator::ValidateBusinessID(ValidationResult& r) {
    if (matches(m_reBusinessId, r.Value())) {
        if (!r.Value().isEmpty()) r.setValue(r.Value().rightJustified(5, u'0'));
    } else {
        r.setCode(valcInvalidValue);
    }
}

void Validator::ValidateCertID(ValidationResult& r) {
    QString v = r.Value();
    v.remove(u' ');
    v.remove(u'-');
    v = v.toUpper();
    r.setValue(v);
    if (matches(m_reCertId, v) && !v.endsWith(QLatin1String("0000000"))) {
        r.setCode(valcOK);
        return;
    }
    r.setCode(valcInvalidValue);
    // A private applicator's number is only worth a warning.
    if (matches(m_reCertPrivate, v)) r.setSeverity(kvesWarning);
}

void Validator::ValidateCounty(ValidationResult& r) {
    const QString& v = r.Value();
    if (v.isEmpty()) return r.setCode(valcEmpty);
    if (!isNumeric(v)) return r.setCode(valcNotNumeric);
    const qint16 county = toInteger16(numericValue(v));
    r.setValue(padNumber(county, 2));
    if ((county < 1 || county > 62) && county != 99) r.setCode(valcInvalidValue);
}

void Validator::ValidateDate(ValidationResult& r) {
    if (r.Value().isEmpty()) {
        if (r.Field() != zrfDateEnd) r.setCode(valcEmpty);
        return;
    }
    // Unreadable dates are common in bad files: they are answered with a code
    // rather than raised, which costs far more.
    try {
        QString normalized;
        const qint32 code = normalizeDate(r.Value(), normalized);
        if (code == valcOK)
            r.setValue(normalized);
        else
            r.setCode(code);
    } catch (const ErrorInfo& error) {
        r.setCode(error.Number());
    }
}

QString Validator::NormalizeDate(const QString& strDate) const {
    const QString source = QStringLiteral("Vezedad:Validator.NormalizeDate");
    QString normalized;
    switch (normalizeDate(strDate, normalized)) {
    case valcOK: return normalized;
    case valcEmpty: throw ErrorInfo(valcEmpty, QStringLiteral("Date string is empty."), source);
    case valcWrongYear:
        throw ErrorInfo(valcWrongYear,
                        QStringLiteral("Date string '") + strDate + QStringLiteral("' appears to have the wrong year."),
                        source);
    default:
        throw ErrorInfo(
            valcInvalidValue,
            QStringLiteral("Date string '") + strDate + QStringLiteral("' cannot be interpreted as a date."), source);
    }
}

qint32 Validator::normalizeDate(const QString& strDate, QString& normalized) const {
    const qint32 year = reportYear();
    if (strDate.isEmpty()) return valcEmpty;

    int m = 0, d = 0, y = 0;
    bool parts = false;
    auto toInt = [](QStringView s) { return allDigits(s) && !s.isEmpty() && s.size() <= 9 ? s.toInt() : -1; };

    const QRegularExpressionMatch match = m_reDate.match(strDate);
    if (match.hasMatch()) {
        m = match.capturedView(1).toInt();
        d = match.capturedView(2).toInt();
        y = match.hasCaptured(4) ? windowYear(match.capturedView(4).toInt()) : year;
        parts = true;
    } else if (!isNumeric(strDate)) {
        QRegularExpressionMatch other = m_reDateYearFirst.match(strDate);
        if (other.hasMatch()) {
            y = other.capturedView(1).toInt();
            m = other.capturedView(2).toInt();
            d = other.capturedView(3).toInt();
            parts = true;
        } else if ((other = m_reDateNamedMonth.match(strDate)).hasMatch()) {
            m = monthFromName(other.capturedView(1));
            d = other.capturedView(2).toInt();
            y = other.hasCaptured(3) ? other.capturedView(3).toInt() : year;
            parts = m != 0;
        } else if ((other = m_reDateDayMonthName.match(strDate)).hasMatch()) {
            d = other.capturedView(1).toInt();
            m = monthFromName(other.capturedView(2));
            y = other.hasCaptured(3) ? other.capturedView(3).toInt() : year;
            parts = m != 0;
        }
    } else {
        // A value beyond any range is simply not a date.
        const double whole = std::nearbyint(parsedNumber(strDate));
        if (whole < 1232) {
            if (whole >= 0) {
                const qint64 v = qint64(whole);
                m = int(v / 100);
                d = int(v % 100);
                y = year;
                parts = true;
            }
        } else if (strDate.size() == 8) {
            const QStringView s(strDate);
            if (s.startsWith(u"20")) {
                y = toInt(s.mid(0, 4)), m = toInt(s.mid(4, 2)), d = toInt(s.mid(6, 2));
            } else {
                m = toInt(s.mid(0, 2)), d = toInt(s.mid(2, 2)), y = toInt(s.mid(4, 4));
                if (y >= 0) y = windowYear(y);
            }
            parts = m >= 0 && d >= 0 && y >= 0;
        } else if (strDate.size() == 6) {
            const QStringView s(strDate);
            m = toInt(s.mid(0, 2)), d = toInt(s.mid(2, 2)), y = toInt(s.mid(4, 2));
            parts = m >= 0 && d >= 0 && y >= 0;
            y = 2000 + y;
        }
    }

    if (parts) {
        // A month above 12 with a day that could be a month is read the other
        // way round, as dates typed day first usually are.
        if (m > 12 && d >= 1 && d <= 12) std::swap(m, d);
        const QDate date(y, m, d);
        if (y >= 100 && y <= 9999 && date.isValid()) {
            if (y != year) return valcWrongYear;
            normalized = date.toString(QStringLiteral("MM/dd/yyyy"));
            return valcOK;
        }
    }
    return valcInvalidValue;
}

void Validator::ValidateEmail(ValidationResult& r) {
    if (r.Value().isEmpty()) return r.setCode(valcEmpty);
    if (!matches(m_reEmail, r.Value())) r.setCode(valcInvalidValue);
}

void Validator::ValidateEpa(ValidationResult& r) {
    if (!r.Value().isEmpty()) {
        QString v = r.Value();
        r.setValue(v.replace(m_reEpaSeparators, QStringLiteral("-")));
    }
    if (r.Value().isEmpty()) return r.setCode(valcEmpty);
    if (!matches(m_reEpa, r.Value())) r.setCode(valcInvalidValue);
}

void Validator::ValidateName(ValidationResult& r) {
    if (r.Value().isEmpty()) return r.setCode(valcEmpty);
    if (isNumeric(r.Value())) r.setCode(valcInvalidValue);
}

void Validator::ValidatePermitID(ValidationResult& r) {
    const QString v = r.Value().toUpper();
    r.setValue(v);
    if (matches(m_rePermit, v) && !v.endsWith(QLatin1String("00000")))
        r.setCode(valcOK);
    else
        r.setCode(valcInvalidValue);
}

void Validator::ValidatePhone(ValidationResult& r) {
    if (r.Value().isEmpty()) r.setCode(valcEmpty);
}

void Validator::ValidateQuantity(ValidationResult& r) {
    if (r.Value().contains(u',')) {
        QString v = r.Value();
        r.setValue(v.remove(u','));
    }
    const QString& v = r.Value();
    if (v.isEmpty()) return r.setCode(valcEmpty);
    if (!isNumeric(v)) return r.setCode(valcNotNumeric);
    const double value = numericValue(v);
    if (std::fabs(value) > double(FLT_MAX)) overflow();
    const float single = float(value);
    if (single == 0.0f) return r.setCode(valcZero);
    if (single < 0.0f && r.Field() != zrfContainersSold && r.Field() != zrfQuantitySold) r.setCode(valcNegativeValue);
}

void Validator::ValidateUnit(ValidationResult& r) {
    const QString v = r.Value().left(2).toUpper();
    r.setValue(v);
    if (v.isEmpty()) return r.setCode(valcEmpty);
    static const QString kUnits = QStringLiteral("|FL|GL|GM|KG|L|LB|MG|ML|OZ|QT|");
    if (!kUnits.contains(QLatin1Char('|') + v + QLatin1Char('|'))) r.setCode(valcInvalidValue);
}

void Validator::ValidateZip(ValidationResult& r) {
    if (r.Value().isEmpty()) return r.setCode(valcEmpty);
    if (r.Value().size() < 5 && isNumeric(r.Value())) {
        const double value = std::round(numericValue(r.Value()));
        r.setValue(std::fabs(value) < 1e15 ? padNumber(qint64(value), 5) : QString::number(value, 'f', 0));
    }
    if (!matches(m_reZip, r.Value()) || r.Value().startsWith(QLatin1String("00000"))) r.setCode(valcInvalidValue);
}

bool Validator::QuickAccept(qint32 fieldId, QStringView preparedValue) const {
    return quickAccept(fieldId, preparedValue, reportYear());
}

namespace {

enum class Quick { Reject, Accept, NoRule };

template <class Ch> Quick quickChars(qint32 fieldId, Chars<Ch> v, qint32 year) {
    const qsizetype n = v.n;
    auto answer = [](bool ok) { return ok ? Quick::Accept : Quick::Reject; };
    switch (fieldId) {
    case zrfAddress:
    case zrfContactName:
    case zrfFirstName:
    case zrfLastName:
    case zrfMunicipality:
    case zrfProductName: return answer(n > 0 && !numericChars(v));
    case zrfApIndicator: return answer(n == 1 && (v[0] == u'0' || v[0] == u'3' || v[0] == u'4'));
    case zrfBusinessRegNum: return answer(n <= 5 && v.digits());
    case zrfCertificationId: {
        if (n != 8) return Quick::Reject;
        const char16_t c = v[0];
        return answer((c == u'A' || c == u'B' || c == u'C' || c == u'T') && v.mid(1).digits() && !v.mid(1).zeros());
    }
    case zrfPermitNumber: return answer(n == 6 && v[0] == u'R' && v.mid(1).digits() && !v.mid(1).zeros());
    case zrfContainerSizeQuantity:
    case zrfQuantity:
    case zrfContainersSold:
    case zrfQuantitySold: {
        qsizetype i = 0;
        if ((fieldId == zrfContainersSold || fieldId == zrfQuantitySold) && n > 0 && v[0] == u'-') i = 1;
        if (n - i < 1 || n > 15) return Quick::Reject;
        bool point = false, nonZero = false, digit = false;
        for (; i < n; ++i) {
            const char16_t c = v[i];
            if (c >= u'0' && c <= u'9') {
                digit = true;
                nonZero = nonZero || c != u'0';
            } else if (c == u'.' && !point) {
                point = true;
            } else {
                return Quick::Reject;
            }
        }
        return answer(digit && nonZero);
    }
    case zrfContainerSizeUnits:
    case zrfUnits: {
        if (n == 0) return Quick::Reject;
        auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
        const char16_t a = up(v[0]);
        if (n == 1) return answer(a == u'L');
        const char16_t b = up(v[1]);
        static const char16_t kPairs[][2] = {{u'F', u'L'}, {u'G', u'L'}, {u'G', u'M'}, {u'K', u'G'}, {u'L', u'B'},
                                             {u'M', u'G'}, {u'M', u'L'}, {u'O', u'Z'}, {u'Q', u'T'}};
        for (const auto& p : kPairs)
            if (p[0] == a && p[1] == b) return Quick::Accept;
        return Quick::Reject;
    }
    case zrfCounty: {
        if (n < 1 || n > 2 || !v.digits()) return Quick::Reject;
        const int county = v.value();
        return answer((county >= 1 && county <= 62) || county == 99);
    }
    case zrfDateEnd:
        if (n == 0) return Quick::Accept;
        [[fallthrough]];
    case zrfDateSold:
    case zrfDateStart: {
        if (n != 10 || v[2] != u'/' || v[5] != u'/') return Quick::Reject;
        const Chars<Ch> mm = v.mid(0, 2), dd = v.mid(3, 2), yyyy = v.mid(6, 4);
        if (!mm.digits() || !dd.digits() || !yyyy.digits()) return Quick::Reject;
        const int m = mm.value(), d = dd.value(), y = yyyy.value();
        if (y != year || m < 1 || m > 12 || d < 1) return Quick::Reject;
        static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        return answer(d <= (m == 2 && !leap ? 28 : kDays[m - 1]));
    }
    case zrfEPANumber: {
        if (n == 0 || v[0] == u'-' || v[n - 1] == u'-') return Quick::Reject;
        int groups = 0;
        qsizetype lengths[3] = {0, 0, 0}, run = 0;
        for (qsizetype i = 0; i <= n; ++i) {
            if (i == n || v[i] == u'-') {
                if (run == 0 || groups == 3) return Quick::Reject;
                lengths[groups++] = run;
                run = 0;
            } else if (v[i] >= u'0' && v[i] <= u'9') {
                ++run;
            } else {
                return Quick::Reject;
            }
        }
        if (groups == 1)
            return answer((lengths[0] >= 10 && lengths[0] <= 11) || (lengths[0] >= 15 && lengths[0] <= 17));
        return answer(lengths[0] <= 6 && lengths[1] <= 5 && (groups == 2 || lengths[2] <= 6));
    }
    case zrfPhone: return answer(n > 0);
    case zrfZipCode: {
        if (n != 5 && n != 10) return Quick::Reject;
        if (!v.mid(0, 5).digits() || v.mid(0, 5).zeros()) return Quick::Reject;
        return answer(n == 5 || (v[5] == u'-' && v.mid(6).digits()));
    }
    case zrfEmail: return Quick::Reject;
    default: return Quick::NoRule;
    }
}

} // namespace

bool Validator::quickAccept(qint32 fieldId, QStringView v, qint32 year) const {
    const Quick q = quickChars(fieldId, Chars<char16_t>{reinterpret_cast<const char16_t*>(v.data()), v.size()}, year);
    return q == Quick::NoRule ? checkFor(fieldId) == nullptr : q == Quick::Accept;
}

// True when validateRecord would find nothing in the line, decided on the
// line's bytes without decoding it; false means "run the full checks". Most
// records of a real file are right, and this keeps them cheap. The line
// splits as splitFields splits it: the same parts at the same places, since
// only ASCII bytes decode to ASCII.
bool Validator::quickRecord(QByteArrayView line, char delimiter, qint32 formType) const {
    const QVector<qint32>& layout = ColumnFields(formType);
    // Only the separators that end a field of the layout are kept; the
    // others are counted.
    constexpr qsizetype kKept = 16;
    if (layout.size() >= kKept) return false;
    qsizetype ends[kKept];
    qsizetype found = 0;
    const char* p = line.data();
    const qsizetype n = line.size();
    auto hit = [&](qsizetype at) {
        if (found < kKept) ends[found] = at;
        ++found;
    };
    qsizetype i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time: fields are short, so a call per separator
    // would cost more than the search itself.
    const __m128i wanted = _mm_set1_epi8(delimiter);
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted))); mask; mask &= mask - 1)
            hit(i + std::countr_zero(mask));
    }
#endif
    for (; i < n; ++i)
        if (p[i] == delimiter) hit(i);
    const bool closed = n > 0 && p[n - 1] == delimiter;
    const qsizetype fieldCount = found + (closed ? 0 : 1);
    const ColumnCountRange range = ExpectedColumnCount(formType);
    if (fieldCount < range.Min || fieldCount > range.Max) return false;

    // The part k of splitFields: the pieces between separators, then the
    // rest of the line, then an empty one when the line was not closed.
    auto part = [&](qsizetype k) {
        if (k > found) return QByteArrayView();
        const qsizetype b = k == 0 ? 0 : ends[k - 1] + 1;
        return QByteArrayView(p + b, (k < found ? ends[k] : n) - b);
    };
    qsizetype shift = 0;
    if (formType == zfotForm26A && fieldCount == 4 && n > 0 && p[0] != delimiter) {
        const char first = p[0];
        if (uchar(first) >= 0x80) return false;
        const char upper = first >= 'a' && first <= 'z' ? char(first - 32) : first;
        if (upper == 'A' || upper == 'B' || upper == 'C' || upper == 'T') shift = 1;
    }
    const qsizetype parts = fieldCount + 1 + shift;
    const qint32 year = reportYear();
    bool dataSeen = false, noData = false;
    const qsizetype columns = qMin(layout.size(), parts);
    for (qsizetype column = 0; column < columns; ++column) {
        const qint32 fieldId = layout[column];
        QByteArrayView trimmed = column < shift ? QByteArrayView("0", 1) : part(column - shift);
        while (!trimmed.isEmpty() && trimmed.front() == ' ') trimmed = trimmed.sliced(1);
        while (!trimmed.isEmpty() && trimmed.back() == ' ') trimmed.chop(1);
        if (fieldId == zrfApIndicator) {
            if (formType != zfotForm26A && trimmed.size() == 1 && trimmed[0] == '3') noData = true;
        } else if (IsDataField(fieldId) && !trimmed.isEmpty()) {
            dataSeen = true;
        }
        if (noData && fieldId != zrfApIndicator && fieldId != zrfBusinessRegNum && fieldId != zrfCertificationId &&
            fieldId != zrfPermitNumber)
            continue;
        const Quick q =
            quickChars(fieldId, Chars<uchar>{reinterpret_cast<const uchar*>(trimmed.data()), trimmed.size()}, year);
        if (q == Quick::Reject || (q == Quick::NoRule && checkFor(fieldId) != nullptr)) return false;
    }
    return formType == zfotForm26A || noData != dataSeen;
}

} // namespace Vezedad
