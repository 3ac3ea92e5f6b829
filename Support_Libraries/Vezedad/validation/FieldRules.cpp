#include "Vezedad/validation/FieldRules.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/ZelReport.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

namespace Vezedad::FieldRules {

namespace {

enum class Rule : quint8 {
    None,
    Name,
    Indicator,
    BusinessId,
    CertId,
    PermitId,
    Quantity,       // positive only
    SignedQuantity, // negative allowed
    Unit,
    County,
    Date,
    OptionalDate, // may stay empty
    Epa,
    Phone,
    Email,
    Zip,
};

// The one table of the field rules.
constexpr std::array<Rule, 64> kRules = [] {
    std::array<Rule, 64> t{};
    for (int id : {zrfAddress, zrfContactName, zrfFirstName, zrfLastName, zrfMunicipality, zrfProductName})
        t[size_t(id)] = Rule::Name;
    t[zrfApIndicator] = Rule::Indicator;
    t[zrfBusinessRegNum] = Rule::BusinessId;
    t[zrfCertificationId] = Rule::CertId;
    t[zrfPermitNumber] = Rule::PermitId;
    t[zrfContainerSizeQuantity] = t[zrfQuantity] = Rule::Quantity;
    t[zrfContainersSold] = t[zrfQuantitySold] = Rule::SignedQuantity;
    t[zrfContainerSizeUnits] = t[zrfUnits] = Rule::Unit;
    t[zrfCounty] = Rule::County;
    t[zrfDateSold] = t[zrfDateStart] = Rule::Date;
    t[zrfDateEnd] = Rule::OptionalDate;
    t[zrfEPANumber] = Rule::Epa;
    t[zrfPhone] = Rule::Phone;
    t[zrfEmail] = Rule::Email;
    t[zrfZipCode] = Rule::Zip;
    return t;
}();

Rule ruleOf(qint32 fieldId) {
    return fieldId >= 0 && fieldId < qint32(kRules.size()) ? kRules[size_t(fieldId)] : Rule::None;
}

constexpr Verdict pass() { return {}; }
constexpr Verdict fail(qint32 code, qint32 severity = kvesSerious) { return {code, severity}; }

constexpr bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
constexpr bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
constexpr bool isAlnum(char16_t c) { return isDigit(c) || isLetter(c); }
// The blanks a number may stand between.
constexpr bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
// White space as the date forms know it: blank, tab, LF, VT, FF, CR.
constexpr bool isSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
constexpr char16_t asciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }
constexpr char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

// A value seen as a run of code units, bytes or UTF-16.
template <class Ch> struct Chars {
    const Ch* p = nullptr;
    qsizetype n = 0;
    char16_t operator[](qsizetype i) const { return char16_t(p[i]); }
    Chars mid(qsizetype from, qsizetype len) const { return {p + from, len}; }
    bool digits() const {
        for (qsizetype i = 0; i < n; ++i)
            if (!isDigit((*this)[i])) return false;
        return true;
    }
    bool zeros() const {
        for (qsizetype i = 0; i < n; ++i)
            if ((*this)[i] != u'0') return false;
        return true;
    }
    // The value of up to nine digits.
    int value() const {
        int v = 0;
        for (qsizetype i = 0; i < n; ++i) v = v * 10 + ((*this)[i] - u'0');
        return v;
    }
    bool contains(char16_t c) const {
        for (qsizetype i = 0; i < n; ++i)
            if ((*this)[i] == c) return true;
        return false;
    }
};

// Eight bytes of a value, as one word (the value must hold them).
inline quint64 wordAt(const uchar* p) {
    quint64 word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Whether every byte of a little-endian word that want covers (0xFF) is an
// ASCII digit, all at once: a digit's low bits, once "0" is taken off,
// stay below ten, and adding six carries out of them only above nine. A
// carry out of a byte that is no digit can spoil the next byte's answer,
// never this byte's own, so "all digits" is never answered wrongly.
inline bool digitBytes(quint64 word, quint64 want) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    const quint64 x = word ^ 0x3030303030303030ull;
    return ((x | (x + 0x0606060606060606ull)) & 0xF0F0F0F0F0F0F0F0ull & want) == 0;
}

// The general number recognition the rules rely on: blanks around, an
// optional sign, digits with at most one decimal point, an optional exponent.
template <class Ch> bool isNumeric(Chars<Ch> s) {
    qsizetype i = 0, n = s.n;
    while (n > i && isBlank(s[n - 1])) --n;
    // A number ends in a digit or its point: most texts are told at once.
    if (n == 0 || !(isDigit(s[n - 1]) || s[n - 1] == u'.')) return false;
    while (i < n && isBlank(s[i])) ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (isDigit(s[i]))
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
        while (i < n && isDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == n;
}

// The value of a text that isNumeric accepted: infinite beyond the double
// range, zero below its smallest magnitude.
template <class Ch> double numberOf(Chars<Ch> s) {
    qsizetype i = 0, n = s.n;
    while (i < n && isBlank(s[i])) ++i;
    while (n > i && isBlank(s[n - 1])) --n;
    bool negative = false;
    if (s[i] == u'+' || s[i] == u'-') negative = s[i++] == u'-';
    // Rebuilt as sign, all digits as one whole number and a power of ten: a
    // form every conversion reads alike.
    QVarLengthArray<char, 64> text;
    if (negative) text.append('-');
    qsizetype digits = 0, whole = -1, firstNonZero = -1;
    for (; i < n && (isDigit(s[i]) || s[i] == u'.'); ++i) {
        if (s[i] == u'.') {
            whole = digits;
            continue;
        }
        if (firstNonZero < 0 && s[i] != u'0') firstNonZero = digits;
        text.append(char(s[i]));
        ++digits;
    }
    if (whole < 0) whole = digits;
    if (firstNonZero < 0) return negative ? -0.0 : 0.0;
    qint64 exponent = 0;
    if (i < n) {
        ++i; // the "e"
        bool below = false;
        if (s[i] == u'+' || s[i] == u'-') below = s[i++] == u'-';
        for (; i < n; ++i) exponent = qMin<qint64>(exponent * 10 + (s[i] - u'0'), 1'000'000'000);
        if (below) exponent = -exponent;
    }
    char power[24];
    const auto end = std::to_chars(power, power + sizeof power, exponent - (digits - whole)).ptr;
    text.append('e');
    text.append(power, end - power);
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range) {
        // The first significant digit's place tells an overflow from an underflow.
        const qint64 magnitude = whole - 1 - firstNonZero + exponent;
        value = magnitude >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -value : value;
    }
    return value;
}

// A number written with the pattern "00..." of the given width.
QString padNumber(qint64 value, int width) {
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(width, u'0');
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

using Cp1252::upperChar;

// Upper case of a byte of the code page, as upperChar gives it for the
// byte's character: the upper case always has a byte of its own.
const std::array<uchar, 256>& upperBytes() {
    static const std::array<uchar, 256> table = [] {
        std::array<uchar, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char16_t up = upperChar(Cp1252::decodeByte(uchar(b)));
            QByteArray bytes;
            t[size_t(b)] = Cp1252::encode(QStringView(&up, 1), bytes) ? uchar(bytes[0]) : uchar(b);
        }
        return t;
    }();
    return table;
}

// Where a rule writes a value back in its own form: into text, or into
// bytes of the code page for a line's bytes. A rule that keeps the value as
// it stands writes nothing, so text keeps the value it was given. A rule
// writes a new form from the value's code units, one by one, then says it is
// done, or as ASCII text (numbers, dates).
struct TextBack {
    QString* text = nullptr;
    explicit operator bool() const { return text != nullptr; }
    void start(qsizetype size) {
        text->resize(0);
        text->reserve(size);
    }
    void put(char16_t c) { text->append(QChar(c)); }
    void putUpper(char16_t c) { text->append(QChar(upperChar(c))); }
    void done() {}
    void ascii(const QString& form) { *text = form; }
};

// Bytes are copied only from the first one that differs from the value: a
// value of megabytes that its rule writes back as it stands (upper case
// already, nothing to drop) costs no copy.
struct BytesBack {
    WrittenBytes* written = nullptr;
    QByteArrayView value;
    qsizetype same = 0; // the first bytes written, equal to the value's
    bool copying = false;

    explicit operator bool() const { return written != nullptr; }
    void start(qsizetype size) {
        written->bytes.resize(0);
        written->bytes.reserve(qMin(size, qsizetype(64)));
        same = 0;
        copying = false;
    }
    void put(char16_t c) {
        const char byte = char(c);
        if (!copying) {
            if (same < value.size() && value[same] == byte) {
                ++same;
                return;
            }
            copying = true;
            written->rewritten = true;
            written->bytes = value.first(same).toByteArray();
        }
        written->bytes.append(byte);
    }
    // A line's code units are its bytes.
    void putUpper(char16_t c) { put(char16_t(upperBytes()[c & 0xFF])); }
    void done() {
        if (copying || same == value.size()) return;
        written->rewritten = true;
        written->bytes = value.first(same).toByteArray();
    }
    void ascii(const QString& form) {
        written->rewritten = true;
        written->bytes = form.toLatin1();
    }
};

// ---------------------------------------------------------------------------
// The rules. Each gets the prepared value and, for text only, where to write
// the value back.

template <class Ch> Verdict name(Chars<Ch> v) {
    if (v.n == 0) return fail(valcEmpty);
    // Most names begin with a letter, which no number does.
    if (isLetter(v[0])) return pass();
    return isNumeric(v) ? fail(valcInvalidValue) : pass();
}

template <class Ch> Verdict indicator(Chars<Ch> v) {
    if (v.n == 1 && (v[0] == u'0' || v[0] == u'3' || v[0] == u'4')) return pass();
    return fail(valcInvalidValue, kvesCritical);
}

template <class Ch, class Back> Verdict businessId(Chars<Ch> v, Back written) {
    if (v.n > 5 || !v.digits()) return fail(valcInvalidValue);
    if (written && v.n > 0) {
        written.start(5);
        for (qsizetype i = v.n; i < 5; ++i) written.put(u'0');
        for (qsizetype i = 0; i < v.n; ++i) written.put(v[i]);
        written.done();
    }
    return pass();
}

template <class Ch, class Back> Verdict certId(Chars<Ch> v, Back written) {
    // The form the files hold, decided at once where nothing is written back.
    if (!written && v.n == 8) {
        const char16_t first = asciiUpper(v[0]);
        if (first == u'A' || first == u'B' || first == u'C' || first == u'T') {
            if constexpr (std::is_same_v<Ch, uchar>) {
                constexpr quint64 kNumber = 0xFFFFFFFFFFFFFF00ull;
                const quint64 word = wordAt(v.p);
                if (digitBytes(word, kNumber) && (word & kNumber) != (0x3030303030303030ull & kNumber)) return pass();
            } else {
                const Chars<Ch> number = v.mid(1, 7);
                if (number.digits() && !number.zeros()) return pass();
            }
        }
    }
    // Blanks and dashes dropped, upper case: one letter and seven digits.
    qsizetype kept = 0;
    char16_t first = 0;
    bool digits = true, zeros = true;
    for (qsizetype i = 0; i < v.n; ++i) {
        const char16_t c = v[i];
        if (c == u' ' || c == u'-') continue;
        if (kept++ == 0) {
            first = asciiUpper(c);
        } else if (!isDigit(c)) {
            digits = false;
        } else if (c != u'0') {
            zeros = false;
        }
    }
    if (written) {
        written.start(kept);
        for (qsizetype i = 0; i < v.n; ++i)
            if (v[i] != u' ' && v[i] != u'-') written.putUpper(v[i]);
        written.done();
    }
    const bool shape = kept == 8 && digits;
    if (shape && (first == u'A' || first == u'B' || first == u'C' || first == u'T') && !zeros) return pass();
    // A private applicator's number is only worth a warning.
    return fail(valcInvalidValue, shape && first == u'P' ? kvesWarning : kvesSerious);
}

template <class Ch, class Back> Verdict permitId(Chars<Ch> v, Back written) {
    if (written) {
        written.start(v.n);
        for (qsizetype i = 0; i < v.n; ++i) written.putUpper(v[i]);
        written.done();
    }
    const bool ok = v.n == 6 && asciiUpper(v[0]) == u'R' && v.mid(1, 5).digits() && !v.mid(1, 5).zeros();
    return ok ? pass() : fail(valcInvalidValue);
}

// The usual form decides without a conversion: up to 15 characters of
// digits and a point can be neither too large nor too small for a single.
// True, with the verdict, when the value has that form.
template <class Ch> bool plainQuantity(Chars<Ch> v, bool mayBeNegative, Verdict& verdict) {
    if (v.n == 0 || v.n > 15) return false;
    qsizetype i = v[0] == u'-' ? 1 : 0;
    const bool negative = i == 1;
    bool point = false, digit = false, nonZero = false;
    for (; i < v.n; ++i) {
        const char16_t c = v[i];
        if (isDigit(c)) {
            digit = true;
            nonZero |= c != u'0';
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digit) return false;
    verdict = !nonZero ? fail(valcZero) : negative && !mayBeNegative ? fail(valcNegativeValue) : pass();
    return true;
}

template <class Ch, class Back> Verdict quantity(Chars<Ch> raw, bool mayBeNegative, Back written) {
    // Most values have that form as they stand: no comma to drop.
    Verdict verdict;
    if (plainQuantity(raw, mayBeNegative, verdict)) return verdict;
    QVarLengthArray<Ch, 32> buffer;
    Chars<Ch> v = raw;
    if (raw.contains(u',')) {
        for (qsizetype i = 0; i < raw.n; ++i)
            if (raw[i] != u',') buffer.append(raw.p[i]);
        v = {buffer.data(), buffer.size()};
        if (written) {
            written.start(v.n);
            for (qsizetype i = 0; i < v.n; ++i) written.put(v[i]);
            written.done();
        }
    }
    if (v.n == 0) return fail(valcEmpty);
    if (plainQuantity(v, mayBeNegative, verdict)) return verdict;
    if (!isNumeric(v)) return fail(valcNotNumeric);
    const double value = numberOf(v);
    if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX)) return fail(valcProcessingError);
    const float single = float(value);
    if (single == 0.0f) return fail(valcZero);
    return single < 0.0f && !mayBeNegative ? fail(valcNegativeValue) : pass();
}

template <class Ch, class Back> Verdict unit(Chars<Ch> v, Back written) {
    const qsizetype n = qMin<qsizetype>(v.n, 2);
    if (written) {
        written.start(n);
        for (qsizetype i = 0; i < n; ++i) written.putUpper(v[i]);
        written.done();
    }
    if (n == 0) return fail(valcEmpty);
    const char16_t a = asciiUpper(v[0]);
    if (n == 1) return a == u'L' ? pass() : fail(valcInvalidValue);
    const char16_t b = asciiUpper(v[1]);
    switch (quint32(a) << 16 | b) {
    case u'F' << 16 | u'L':
    case u'G' << 16 | u'L':
    case u'G' << 16 | u'M':
    case u'K' << 16 | u'G':
    case u'L' << 16 | u'B':
    case u'M' << 16 | u'G':
    case u'M' << 16 | u'L':
    case u'O' << 16 | u'Z':
    case u'Q' << 16 | u'T': return pass();
    default: return fail(valcInvalidValue);
    }
}

template <class Ch, class Back> Verdict county(Chars<Ch> v, Back written) {
    if (v.n == 0) return fail(valcEmpty);
    qint64 county;
    if (v.n <= 2 && v.digits()) {
        county = v.value();
    } else {
        if (!isNumeric(v)) return fail(valcNotNumeric);
        // Whole, with halves to the even neighbour, as the 16-bit conversion does.
        const std::optional<qint16> whole = roundedTo<qint16>(numberOf(v));
        if (!whole) return fail(valcProcessingError);
        county = *whole;
    }
    if (written) written.ascii(padNumber(county, 2));
    return (county >= 1 && county <= 62) || county == 99 ? pass() : fail(valcInvalidValue);
}

// ---------------------------------------------------------------------------
// Dates

// A two-digit year in the window the date forms use.
int windowYear(int y) {
    if (y < 30) return 2000 + y;
    if (y < 100) return 1900 + y;
    return y;
}

int monthFromName(const char16_t* letters, qsizetype n) {
    static const char* const kMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
    auto is = [&](const char* name, qsizetype len) {
        if (n != len) return false;
        for (qsizetype i = 0; i < len; ++i)
            if (asciiLower(letters[i]) != char16_t(name[i])) return false;
        return true;
    };
    for (int m = 0; m < 12; ++m) {
        const qsizetype full = qsizetype(std::strlen(kMonths[m]));
        if (is(kMonths[m], full) || is(kMonths[m], 3) || (m == 8 && is("sept", 4))) return m + 1;
    }
    return 0;
}

// Reads a date in one pass, whatever it holds. The forms, blanks allowed
// around every part:
//   m d [y]        with one of "-", "/", "." or a blank between the parts,
//                  y of 1 to 4 digits in the two-digit window;
//   yyyy m d       with one of "-", "/" or "." between the parts;
//   Month d[, yyyy], Month dyyyy, and d Month [yyyy]: month names in full or
//                  cut to three letters;
//   numbers: mmdd below 1232, mmddyyyy or yyyymmdd (8 characters), mmddyy
//                  (6 characters).
template <class Ch> class DateReader {
public:
    DateReader(Chars<Ch> s, int reportYear) : m_s(s), m_reportYear(reportYear) {}

    // Month, day and year when the text has the parts of a date.
    bool read(int& m, int& d, int& y) {
        if (dayMonthYear(m, d, y)) return true;
        if (!isNumeric(m_s)) return yearFirst(y, m, d) || namedMonth(m, d, y) || dayNamedMonth(d, m, y);
        return numeric(m, d, y);
    }

private:
    struct Gap {
        qsizetype end;
        int separators;
        bool blank;
        qsizetype length;
    };

    qsizetype skipSpace(qsizetype i) const {
        while (i < m_s.n && isSpace(m_s[i])) ++i;
        return i;
    }
    bool spaceToEnd(qsizetype i) const { return skipSpace(i) == m_s.n; }
    qsizetype run(qsizetype i, bool (*in)(char16_t)) const {
        qsizetype j = i;
        while (j < m_s.n && in(m_s[j])) ++j;
        return j - i;
    }
    int digitsAt(qsizetype i, qsizetype len) const { return m_s.mid(i, len).value(); }
    // White space and separators from i on: how many separators, whether a
    // blank is among them.
    Gap gap(qsizetype i, const char16_t* separators) const {
        Gap g{i, 0, false, 0};
        for (; g.end < m_s.n; ++g.end) {
            const char16_t c = m_s[g.end];
            bool separator = false;
            for (const char16_t* p = separators; *p; ++p) separator = separator || c == *p;
            if (separator)
                ++g.separators;
            else if (!isSpace(c))
                break;
            g.blank = g.blank || c == u' ';
        }
        g.length = g.end - i;
        return g;
    }
    // White space around exactly one separator, a blank counting as one.
    static bool oneSeparator(const Gap& g, bool blankSeparates) {
        return g.separators == 1 || (g.separators == 0 && blankSeparates && g.blank);
    }

    bool dayMonthYear(int& m, int& d, int& y) const {
        static constexpr char16_t kSeparators[] = u"-/.";
        qsizetype i = skipSpace(0);
        const qsizetype r1 = run(i, isDigit);
        if (r1 < 1 || r1 > 2) return false;
        m = digitsAt(i, r1);
        const Gap g1 = gap(i + r1, kSeparators);
        if (!oneSeparator(g1, true)) return false;
        i = g1.end;
        const qsizetype r2 = run(i, isDigit);
        if (r2 < 1 || r2 > 2) return false;
        d = digitsAt(i, r2);
        const Gap g2 = gap(i + r2, kSeparators);
        if (g2.end == m_s.n) {
            y = m_reportYear;
            return g2.separators == 0;
        }
        if (!isDigit(m_s[g2.end]) || !oneSeparator(g2, true)) return false;
        const qsizetype r3 = run(g2.end, isDigit);
        if (r3 > 4 || !spaceToEnd(g2.end + r3)) return false;
        y = windowYear(digitsAt(g2.end, r3));
        return true;
    }

    bool yearFirst(int& y, int& m, int& d) const {
        static constexpr char16_t kSeparators[] = u"-/.";
        const qsizetype i = skipSpace(0);
        if (run(i, isDigit) != 4) return false;
        y = digitsAt(i, 4);
        const Gap g1 = gap(i + 4, kSeparators);
        const qsizetype r2 = run(g1.end, isDigit);
        if (g1.separators != 1 || r2 < 1 || r2 > 2) return false;
        m = digitsAt(g1.end, r2);
        const Gap g2 = gap(g1.end + r2, kSeparators);
        const qsizetype r3 = run(g2.end, isDigit);
        if (g2.separators != 1 || r3 < 1 || r3 > 2 || !spaceToEnd(g2.end + r3)) return false;
        d = digitsAt(g2.end, r3);
        return true;
    }

    // Month letters from i: the month, or 0 when they name none.
    int monthAt(qsizetype i, qsizetype len) const {
        char16_t letters[9];
        for (qsizetype k = 0; k < len; ++k) letters[k] = m_s[i + k];
        return monthFromName(letters, len);
    }

    bool namedMonth(int& m, int& d, int& y) const {
        qsizetype i = skipSpace(0);
        const qsizetype letters = run(i, isLetter);
        if (letters < 3 || letters > 9) return false;
        m = monthAt(i, letters);
        i += letters;
        if (i < m_s.n && m_s[i] == u'.') ++i;
        i = skipSpace(i);
        const qsizetype r = run(i, isDigit);
        if (r == 5 || r == 6) {
            // The day runs straight into the year.
            d = digitsAt(i, r - 4);
            y = digitsAt(i + r - 4, 4);
            return m != 0 && spaceToEnd(i + r);
        }
        if (r < 1 || r > 2) return false;
        d = digitsAt(i, r);
        const Gap g = gap(i + r, u",");
        if (g.end == m_s.n) {
            y = m_reportYear;
            return m != 0 && g.separators == 0;
        }
        if (!isDigit(m_s[g.end]) || g.separators > 1 || run(g.end, isDigit) != 4 || !spaceToEnd(g.end + 4))
            return false;
        y = digitsAt(g.end, 4);
        return m != 0;
    }

    bool dayNamedMonth(int& d, int& m, int& y) const {
        qsizetype i = skipSpace(0);
        const qsizetype r = run(i, isDigit);
        if (r < 1 || r > 2) return false;
        d = digitsAt(i, r);
        const Gap g1 = gap(i + r, u"-");
        if (g1.separators > 1) return false;
        i = g1.end;
        const qsizetype letters = run(i, isLetter);
        if (letters < 3 || letters > 9) return false;
        m = monthAt(i, letters);
        i += letters;
        if (i < m_s.n && m_s[i] == u'.') ++i;
        const Gap g2 = gap(i, u"-,");
        if (g2.end == m_s.n) {
            y = m_reportYear;
            return m != 0 && g2.separators == 0;
        }
        if (!isDigit(m_s[g2.end]) || !oneSeparator(g2, true) || run(g2.end, isDigit) != 4 || !spaceToEnd(g2.end + 4))
            return false;
        y = digitsAt(g2.end, 4);
        return m != 0;
    }

    bool numeric(int& m, int& d, int& y) const {
        auto toInt = [&](qsizetype from, qsizetype len) {
            const Chars<Ch> part = m_s.mid(from, len);
            return part.digits() ? part.value() : -1;
        };
        // A value beyond any range is simply not a date.
        const double whole = std::nearbyint(numberOf(m_s));
        if (whole < 1232) {
            if (whole < 0) return false;
            const qint64 v = qint64(whole);
            m = int(v / 100);
            d = int(v % 100);
            y = m_reportYear;
            return true;
        }
        if (m_s.n == 8) {
            if (m_s[0] == u'2' && m_s[1] == u'0') {
                y = toInt(0, 4), m = toInt(4, 2), d = toInt(6, 2);
            } else {
                m = toInt(0, 2), d = toInt(2, 2), y = toInt(4, 4);
                if (y >= 0) y = windowYear(y);
            }
            return m >= 0 && d >= 0 && y >= 0;
        }
        if (m_s.n == 6) {
            m = toInt(0, 2), d = toInt(2, 2), y = toInt(4, 2);
            const bool ok = m >= 0 && d >= 0 && y >= 0;
            y = 2000 + y;
            return ok;
        }
        return false;
    }

    Chars<Ch> m_s;
    int m_reportYear;
};

inline bool isCalendarDate(int y, int m, int d) {
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= (m == 2 && !leap ? 28 : kDays[m - 1]);
}

template <class Ch, class Back> Verdict date(Chars<Ch> v, bool mayBeEmpty, YearSource& years, Back written) {
    if (v.n == 0) return mayBeEmpty ? pass() : fail(valcEmpty);
    qint32 reportYear = 0;
    if (const qint32 error = years.get(reportYear)) return fail(error);
    int m = 0, d = 0, y = 0;
    // The form the files are written in, read as the general reader would.
    const auto digitAt = [&v](qsizetype i) { return unsigned(v[i]) - u'0'; };
    bool written10 = v.n == 10 && v[2] == u'/' && v[5] == u'/';
    if (written10) {
        if constexpr (std::is_same_v<Ch, uchar>) {
            // Month, day and the year's first two digits, then the year.
            written10 =
                digitBytes(wordAt(v.p), 0xFFFF00FFFF00FFFFull) && digitBytes(wordAt(v.p + 2), 0xFFFFFFFF00000000ull);
        } else {
            written10 = std::max({digitAt(0), digitAt(1), digitAt(3), digitAt(4), digitAt(6), digitAt(7), digitAt(8),
                                  digitAt(9)}) <= 9;
        }
    }
    if (written10) {
        m = int(digitAt(0) * 10 + digitAt(1));
        d = int(digitAt(3) * 10 + digitAt(4));
        y = int(digitAt(6) * 1000 + digitAt(7) * 100 + digitAt(8) * 10 + digitAt(9));
    } else if (!DateReader<Ch>(v, reportYear).read(m, d, y)) {
        return fail(valcInvalidValue);
    }
    // A month above 12 with a day that could be a month is read the other
    // way round, as dates typed day first usually are.
    if (m > 12 && d >= 1 && d <= 12) std::swap(m, d);
    if (!isCalendarDate(y, m, d)) return fail(valcInvalidValue);
    if (y != reportYear) return fail(valcWrongYear);
    if (written) written.ascii(QString::asprintf("%02d/%02d/%04d", m, d, y));
    return pass();
}

// ---------------------------------------------------------------------------
// EPA numbers, e-mail addresses, zip codes

// An EPA number once every run of "-", blank and "/" is one "-": two or three
// groups of digits, 10 or 11 digits, 15 to 17 digits, "SLN" "NY" and digits,
// or digits "EUP" digits; letters in either case.
template <class Ch> bool epaForm(Chars<Ch> v) {
    qsizetype i = 0;
    auto digits = [&](qsizetype min, qsizetype max) {
        qsizetype j = i;
        while (j < v.n && isDigit(v[j])) ++j;
        const qsizetype len = j - i;
        i = j;
        return len >= min && len <= max;
    };
    auto word = [&](const char* w) {
        for (qsizetype k = 0; w[k]; ++k, ++i)
            if (i >= v.n || asciiLower(v[i]) != char16_t(w[k])) return false;
        return true;
    };
    auto dash = [&] {
        if (i < v.n && v[i] == u'-') ++i;
    };
    auto done = [&] { return i == v.n; };

    // Groups of digits.
    qsizetype lengths[3] = {0, 0, 0};
    int groups = 0;
    bool onlyDigits = true;
    for (qsizetype k = 0, run = 0; k <= v.n; ++k) {
        if (k == v.n || v[k] == u'-') {
            if (groups == 3 || run == 0) {
                onlyDigits = false;
                break;
            }
            lengths[groups++] = run;
            run = 0;
        } else if (isDigit(v[k])) {
            ++run;
        } else {
            onlyDigits = false;
            break;
        }
    }
    if (onlyDigits) {
        if (groups == 1) return (lengths[0] >= 10 && lengths[0] <= 11) || (lengths[0] >= 15 && lengths[0] <= 17);
        return lengths[0] <= 6 && lengths[1] <= 5 && (groups == 2 || lengths[2] <= 6);
    }
    i = 0;
    if (word("sln")) {
        dash();
        if (!word("ny")) return false;
        dash();
        return digits(1, 6) && done();
    }
    i = 0;
    if (!digits(1, 6)) return false;
    dash();
    if (!word("eup")) return false;
    dash();
    return digits(1, 6) && done();
}

// The usual EPA number in one pass: two or three groups of digits joined by
// single dashes, or one group of digits. True when the value has that shape,
// with the verdict in valid; false when the general reading must decide.
template <class Ch> bool plainEpa(Chars<Ch> v, bool& valid) {
    qsizetype lengths[3] = {0, 0, 0};
    int groups = 0;
    qsizetype run = 0;
    for (qsizetype i = 0; i < v.n; ++i) {
        const char16_t c = v[i];
        if (isDigit(c)) {
            ++run;
        } else if (c == u'-' && run > 0 && groups < 2) {
            lengths[groups++] = run;
            run = 0;
        } else {
            return false;
        }
    }
    if (run == 0) return false;
    lengths[groups++] = run;
    if (groups == 1)
        valid = (lengths[0] >= 10 && lengths[0] <= 11) || (lengths[0] >= 15 && lengths[0] <= 17);
    else
        valid = lengths[0] <= 6 && lengths[1] <= 5 && (groups == 2 || lengths[2] <= 6);
    return true;
}

template <class Ch, class Back> Verdict epa(Chars<Ch> v, Back written) {
    bool valid = false;
    if (plainEpa(v, valid)) return valid ? pass() : fail(valcInvalidValue);
    // Every run of "-", blank and "/" becomes one "-"; most values have only
    // single dashes and are taken as they stand.
    bool normal = true;
    for (qsizetype i = 0; i < v.n && normal; ++i)
        normal = v[i] != u' ' && v[i] != u'/' && !(v[i] == u'-' && i + 1 < v.n && v[i + 1] == u'-');
    if (normal) {
        if (v.n == 0) return fail(valcEmpty);
        return epaForm(v) ? pass() : fail(valcInvalidValue);
    }
    QVarLengthArray<char16_t, 32> normalized;
    bool inRun = false;
    for (qsizetype i = 0; i < v.n; ++i) {
        const char16_t c = v[i];
        const bool separator = c == u'-' || c == u' ' || c == u'/';
        if (!separator)
            normalized.append(c);
        else if (!inRun)
            normalized.append(u'-');
        inRun = separator;
    }
    if (written) {
        written.start(normalized.size());
        for (const char16_t c : normalized) written.put(c);
        written.done();
    }
    return epaForm(Chars<char16_t>{normalized.data(), normalized.size()}) ? pass() : fail(valcInvalidValue);
}

template <class Ch> Verdict email(Chars<Ch> v) {
    if (v.n == 0) return fail(valcEmpty);
    // Letters are ASCII letters only: a caseless match would also take
    // look-alikes such as the Kelvin sign.
    auto localChar = [](char16_t c) {
        if (isAlnum(c)) return true;
        for (const char16_t* p = u"_!#$%&'*+/=?^`{|}~.-"; *p; ++p)
            if (c == *p) return true;
        return false;
    };
    qsizetype i = 0;
    while (i < v.n && localChar(v[i])) ++i;
    if (i == 0 || i == v.n || v[i] != u'@') return fail(valcInvalidValue);
    // Labels of letters, digits and "-" that begin with a letter or digit,
    // joined by ".", the last beginning with a letter and at least two long.
    qsizetype labelStart = ++i;
    int labels = 0;
    for (;; ++i) {
        if (i == v.n || v[i] == u'.') {
            const qsizetype len = i - labelStart;
            const bool last = i == v.n;
            if (len == 0 || !isAlnum(v[labelStart])) return fail(valcInvalidValue);
            if (last) return labels > 0 && len >= 2 && isLetter(v[labelStart]) ? pass() : fail(valcInvalidValue);
            ++labels;
            labelStart = i + 1;
        } else if (!isAlnum(v[i]) && v[i] != u'-') {
            return fail(valcInvalidValue);
        }
    }
}

template <class Ch, class Back> Verdict zip(Chars<Ch> v, Back written) {
    if (v.n == 0) return fail(valcEmpty);
    char padded[8];
    Chars<char> shown{nullptr, 0};
    if (v.n < 5 && isNumeric(v)) {
        // A short number is padded with zeros to five digits.
        const double value = std::round(numberOf(v));
        if (std::fabs(value) >= 1e15) {
            if (written) written.ascii(QString::number(value, 'f', 0));
            return fail(valcInvalidValue);
        }
        const QString text = padNumber(qint64(value), 5);
        if (written) written.ascii(text);
        if (text.size() > qsizetype(sizeof padded)) return fail(valcInvalidValue);
        for (qsizetype i = 0; i < text.size(); ++i) padded[i] = char(text[i].unicode());
        shown = {padded, text.size()};
    }
    auto valid = [](auto s) {
        if (s.n != 5 && s.n != 10) return false;
        if (!s.mid(0, 5).digits() || s.mid(0, 5).zeros()) return false;
        return s.n == 5 || (s[5] == u'-' && s.mid(6, 4).digits());
    };
    return (shown.p ? valid(shown) : valid(v)) ? pass() : fail(valcInvalidValue);
}

template <Rule R, class Ch, class Back> Verdict applyRule(Chars<Ch> v, YearSource& year, Back written) {
    if constexpr (R == Rule::Name)
        return name(v);
    else if constexpr (R == Rule::Indicator)
        return indicator(v);
    else if constexpr (R == Rule::BusinessId)
        return businessId(v, written);
    else if constexpr (R == Rule::CertId)
        return certId(v, written);
    else if constexpr (R == Rule::PermitId)
        return permitId(v, written);
    else if constexpr (R == Rule::Quantity)
        return quantity(v, false, written);
    else if constexpr (R == Rule::SignedQuantity)
        return quantity(v, true, written);
    else if constexpr (R == Rule::Unit)
        return unit(v, written);
    else if constexpr (R == Rule::County)
        return county(v, written);
    else if constexpr (R == Rule::Date)
        return date(v, false, year, written);
    else if constexpr (R == Rule::OptionalDate)
        return date(v, true, year, written);
    else if constexpr (R == Rule::Epa)
        return epa(v, written);
    else if constexpr (R == Rule::Phone)
        return v.n == 0 ? fail(valcEmpty) : pass();
    else if constexpr (R == Rule::Email)
        return email(v);
    else if constexpr (R == Rule::Zip)
        return zip(v, written);
    else
        return pass();
}

template <class Ch, class Back> Verdict apply(qint32 fieldId, Chars<Ch> v, YearSource& year, Back written) {
    switch (ruleOf(fieldId)) {
    case Rule::None: return pass();
    case Rule::Name: return applyRule<Rule::Name>(v, year, written);
    case Rule::Indicator: return applyRule<Rule::Indicator>(v, year, written);
    case Rule::BusinessId: return applyRule<Rule::BusinessId>(v, year, written);
    case Rule::CertId: return applyRule<Rule::CertId>(v, year, written);
    case Rule::PermitId: return applyRule<Rule::PermitId>(v, year, written);
    case Rule::Quantity: return applyRule<Rule::Quantity>(v, year, written);
    case Rule::SignedQuantity: return applyRule<Rule::SignedQuantity>(v, year, written);
    case Rule::Unit: return applyRule<Rule::Unit>(v, year, written);
    case Rule::County: return applyRule<Rule::County>(v, year, written);
    case Rule::Date: return applyRule<Rule::Date>(v, year, written);
    case Rule::OptionalDate: return applyRule<Rule::OptionalDate>(v, year, written);
    case Rule::Epa: return applyRule<Rule::Epa>(v, year, written);
    case Rule::Phone: return applyRule<Rule::Phone>(v, year, written);
    case Rule::Email: return applyRule<Rule::Email>(v, year, written);
    case Rule::Zip: return applyRule<Rule::Zip>(v, year, written);
    }
    return pass();
}

// Each rule on a line's bytes as a function of its own, so that a run that
// checks a column's values one after another goes straight to its rule.
template <Rule R> Verdict bytesRule(QByteArrayView value, YearSource& year) {
    return applyRule<R>(Chars<uchar>{reinterpret_cast<const uchar*>(value.data()), value.size()}, year, TextBack());
}

template <size_t... R> constexpr std::array<ByteRule, sizeof...(R)> bytesRules(std::index_sequence<R...>) {
    return {&bytesRule<Rule(R)>...};
}

template <class Ch> bool changesCase(Chars<Ch> s) {
    // Most values are ASCII: a small letter is all that changes there.
    for (qsizetype i = 0; i < s.n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            if (char16_t(c - u'a') < 26) return true;
        } else if constexpr (std::is_same_v<Ch, uchar>) {
            // A byte's upper case is the code page's, as a rule writes it.
            if (upperBytes()[c] != c) return true;
        } else if (upperChar(c) != c) {
            return true;
        }
    }
    return false;
}

// Whether a rule may write a passing value in another form, one function a
// rule so that a run of a column's values need not find the rule each time.
template <Rule R>
constexpr bool neverRewrites =
    R == Rule::None || R == Rule::Name || R == Rule::Indicator || R == Rule::Phone || R == Rule::Email;

template <Rule R, class Ch> bool mayRewriteRule(Chars<Ch> v) {
    if constexpr (neverRewrites<R>) {
        return false;
    } else if constexpr (R == Rule::BusinessId) {
        return v.n > 0 && v.n < 5; // padded with zeros
    } else if constexpr (R == Rule::CertId) {
        return v.contains(u' ') || v.contains(u'-') || changesCase(v);
    } else if constexpr (R == Rule::PermitId) {
        return changesCase(v);
    } else if constexpr (R == Rule::Quantity || R == Rule::SignedQuantity) {
        return v.contains(u',');
    } else if constexpr (R == Rule::Unit) {
        return v.n > 2 || changesCase(v);
    } else if constexpr (R == Rule::County) {
        return !(v.n == 2 && v.digits()); // written with two digits
    } else if constexpr (R == Rule::Date || R == Rule::OptionalDate) {
        // Written as mm/dd/yyyy: a value in that form stays unless its month
        // and day are read the other way round.
        if (v.n == 0) return false;
        return !(v.n == 10 && v[2] == u'/' && v[5] == u'/' && v.mid(0, 2).digits() && v.mid(3, 2).digits() &&
                 v.mid(6, 4).digits() && v.mid(0, 2).value() <= 12);
    } else if constexpr (R == Rule::Epa) { // runs of "-", blank and "/" become one "-"
        for (qsizetype i = 0; i < v.n; ++i) {
            const char16_t c = v[i];
            // Digits and letters, nearly all of a number, lie above all three.
            if (c > u'/') continue;
            if (c == u' ' || c == u'/' || (c == u'-' && i + 1 < v.n && v[i + 1] == u'-')) return true;
        }
        return false;
    } else if constexpr (R == Rule::Zip) {
        return v.n < 5; // a short number is padded
    } else {
        return true;
    }
}

template <class Ch> bool mayRewriteChars(qint32 fieldId, Chars<Ch> v) {
    switch (ruleOf(fieldId)) {
    case Rule::None: return mayRewriteRule<Rule::None>(v);
    case Rule::Name: return mayRewriteRule<Rule::Name>(v);
    case Rule::Indicator: return mayRewriteRule<Rule::Indicator>(v);
    case Rule::BusinessId: return mayRewriteRule<Rule::BusinessId>(v);
    case Rule::CertId: return mayRewriteRule<Rule::CertId>(v);
    case Rule::PermitId: return mayRewriteRule<Rule::PermitId>(v);
    case Rule::Quantity: return mayRewriteRule<Rule::Quantity>(v);
    case Rule::SignedQuantity: return mayRewriteRule<Rule::SignedQuantity>(v);
    case Rule::Unit: return mayRewriteRule<Rule::Unit>(v);
    case Rule::County: return mayRewriteRule<Rule::County>(v);
    case Rule::Date: return mayRewriteRule<Rule::Date>(v);
    case Rule::OptionalDate: return mayRewriteRule<Rule::OptionalDate>(v);
    case Rule::Epa: return mayRewriteRule<Rule::Epa>(v);
    case Rule::Phone: return mayRewriteRule<Rule::Phone>(v);
    case Rule::Email: return mayRewriteRule<Rule::Email>(v);
    case Rule::Zip: return mayRewriteRule<Rule::Zip>(v);
    }
    return true;
}

template <Rule R> bool bytesMayRewrite(QByteArrayView value) {
    return mayRewriteRule<R>(Chars<uchar>{reinterpret_cast<const uchar*>(value.data()), value.size()});
}

template <size_t... R> constexpr std::array<ByteRewrite, sizeof...(R)> bytesRewrites(std::index_sequence<R...>) {
    return {(neverRewrites<Rule(R)> ? ByteRewrite() : &bytesMayRewrite<Rule(R)>)...};
}

} // namespace

void YearSource::read() {
    m_read = true;
    try {
        m_year = Globals::ZelReport().ReportYear();
    } catch (...) {
        // The date rule answers with the error's number; a number of 0
        // would read as a pass.
        m_error = ErrorInfo::fromCurrentException().Number();
        if (m_error == valcOK) m_error = valcProcessingError;
    }
}

bool hasRule(qint32 fieldId) { return ruleOf(fieldId) != Rule::None; }

ByteRule byteRule(qint32 fieldId) {
    static constexpr auto kRulesOfBytes = bytesRules(std::make_index_sequence<size_t(Rule::Zip) + 1>());
    return kRulesOfBytes[size_t(ruleOf(fieldId))];
}

ByteRewrite byteRewrite(qint32 fieldId) {
    static constexpr auto kRewrites = bytesRewrites(std::make_index_sequence<size_t(Rule::Zip) + 1>());
    return kRewrites[size_t(ruleOf(fieldId))];
}

Verdict check(qint32 fieldId, QByteArrayView value, YearSource& year) {
    return apply(fieldId, Chars<uchar>{reinterpret_cast<const uchar*>(value.data()), value.size()}, year, TextBack());
}

Verdict check(qint32 fieldId, QByteArrayView value, YearSource& year, WrittenBytes* written) {
    if (written) *written = WrittenBytes();
    return apply(fieldId, Chars<uchar>{reinterpret_cast<const uchar*>(value.data()), value.size()}, year,
                 BytesBack{written, value});
}

Verdict check(qint32 fieldId, QStringView value, YearSource& year, QString* written) {
    if (written) *written = value.toString();
    return apply(fieldId, Chars<char16_t>{reinterpret_cast<const char16_t*>(value.data()), value.size()}, year,
                 TextBack{written});
}

bool mayRewrite(qint32 fieldId, QStringView text) {
    return mayRewriteChars(fieldId, Chars<char16_t>{reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

bool mayRewrite(qint32 fieldId, QByteArrayView value) {
    return mayRewriteChars(fieldId, Chars<uchar>{reinterpret_cast<const uchar*>(value.data()), value.size()});
}

QString upperInCodePage(QStringView text) { return Cp1252::upper(text); }

} // namespace Vezedad::FieldRules
