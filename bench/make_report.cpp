// make_report FORMTYPE RECORDS SEED [--year YYYY] [--all-warning] [--identity]
// Writes a realistic report file of the form type to standard output: values
// that pass every rule, about 1 % of fields broken on purpose across the
// rules, and a few records of the wrong length. The same seed gives the same
// bytes. Dates fall in the given year (default: the current one).
// --all-warning writes only right records whose one finding is a warning: a
// private applicator's "P" number in the certification column (Forms 26 and
// 26A), the case in which every record of a file is kept.
// --identity writes, instead of the report, the identity line ("identity.txt")
// of the filer whose numbers the report of that seed holds, so that a program
// opening the report finds it the filer's own.
#include "Vezedad/validation/Validator.h"

#include <QDate>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// splitmix64: small, fast and the same everywhere, unlike the standard
// library's distributions.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % uint64_t(n)); }
    bool chance(int perTenThousand) { return below(10000) < perTenThousand; }
    template <size_t N> const char* pick(const char* const (&items)[N]) { return items[below(int(N))]; }
};

std::string digits(Random& rng, int count, bool nonZeroFirst = false) {
    std::string s;
    for (int i = 0; i < count; ++i) s += char('0' + (i == 0 && nonZeroFirst ? 1 + rng.below(9) : rng.below(10)));
    return s;
}

std::string two(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

const char* const kProducts[] = {
    "Roundup Pro Concentrate", "Merit 75 WP",        "Talstar P Professional", "Demand CS", "Tempo SC Ultra",
    "Banner Maxx II",          "Heritage Fungicide", "Dimension 2EW",          "Acelepryn", "Sevin SL Carbaryl"};
const char* const kStreets[] = {"Main Street", "Washington Ave",  "Route 9W",   "Lake Road",
                                "Broadway",    "County Route 22", "Maple Lane", "State Street"};
const char* const kTowns[] = {"Albany",  "Troy",      "Saratoga Springs", "Kingston", "Ithaca",
                              "Buffalo", "Rochester", "Poughkeepsie",     "Utica",    "Binghamton"};
const char* const kUnits[] = {"FL", "GL", "GM", "KG", "L", "LB", "MG", "ML", "OZ", "QT"};
const char* const kFirst[] = {"Jane", "John", "Maria", "Wei", "Aisha", "Carlos", "Olga", "Sam"};
const char* const kLast[] = {"Doe", "Smith", "Garcia", "Chen", "Khan", "Novak", "Okafor", "Rossi"};

std::string date(Random& rng, int year) {
    const int m = 1 + rng.below(12);
    const int d = 1 + rng.below(28);
    return two(m) + "/" + two(d) + "/" + std::to_string(year);
}

std::string quantity(Random& rng) {
    return std::to_string(1 + rng.below(500)) + (rng.chance(5000) ? "." + std::to_string(rng.below(10)) : "");
}

// A valid value of the field, or a broken one that one of its rules rejects.
std::string value(Random& rng, int field, int year, bool broken) {
    switch (field) {
    case 2: return broken ? rng.pick({"1", "9", "x", ""}) : "0";
    case 3: return broken ? rng.pick({"12a", "123456", "1-2"}) : digits(rng, 5);
    case 4:
        return broken ? std::string(rng.pick({"X", "C", "P"})) + (rng.chance(5000) ? "0000000" : digits(rng, 6))
                      : std::string(rng.pick({"C", "T", "B"})) + digits(rng, 7, true);
    case 5: return broken ? std::string(rng.pick({"R00000", "X12345", "R1234"})) : "R" + digits(rng, 5, true);
    case 6:
    case 22: return broken ? rng.pick({"0", "-5", "abc", ""}) : quantity(rng);
    case 8:
    case 23: return broken ? rng.pick({"0", "abc", "", "0.0"}) : quantity(rng);
    case 7:
    case 25: return broken ? rng.pick({"XX", "GAL", "Liter", ""}) : rng.pick(kUnits);
    case 9: return broken ? rng.pick({"63", "0", "x", "98"}) : two(1 + rng.below(62));
    case 10:
    case 11:
        return broken ? std::string(rng.pick({"13/45/", "02/30/", "xx/"})) + std::to_string(year) : date(rng, year);
    case 12: return broken ? "01/01/" + std::to_string(year - 1) : (rng.chance(500) ? date(rng, year) : std::string());
    case 14:
        return broken ? rng.pick({"12", "123456789012", "abc-def"})
                      : std::to_string(100 + rng.below(90000)) + "-" + std::to_string(1 + rng.below(9999)) +
                            (rng.chance(5000) ? "-" + std::to_string(1 + rng.below(999)) : std::string());
    case 21: return broken ? rng.pick({"42", "", "3.5"}) : rng.pick(kProducts);
    case 1: return broken ? rng.pick({"123", ""}) : std::to_string(1 + rng.below(9999)) + " " + rng.pick(kStreets);
    case 20: return broken ? rng.pick({"", "12203"}) : rng.pick(kTowns);
    case 26: return broken ? rng.pick({"1234a", "00000", "12203-12", ""}) : std::to_string(10000 + rng.below(89999));
    case 18: return broken ? rng.pick({"", "7"}) : rng.pick(kFirst);
    case 19: return broken ? rng.pick({"", "7"}) : rng.pick(kLast);
    case 24: return rng.chance(5000) ? "X" : "";
    case 13: return rng.chance(5000) ? "X" : "";
    default: return "";
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_report FORMTYPE RECORDS SEED [--year YYYY] [--all-warning] [--identity]\n");
        return 1;
    }
    const int formType = std::atoi(argv[1]);
    const long long records = std::atoll(argv[2]);
    int year = QDate::currentDate().year();
    bool allWarning = false, identity = false;
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc) year = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--all-warning") == 0) allWarning = true;
        if (std::strcmp(argv[i], "--identity") == 0) identity = true;
    }
    // The columns as the validator reads them; the identity line is no report.
    const QList<qint32> fields =
        formType == Vezedad::zfotIdentity ? QList<qint32>() : Vezedad::Validator::Layout(formType).Fields;
    if (fields.empty() || records < 0) {
        std::fprintf(stderr, "FORMTYPE must be 1, 2, 4 or 8\n");
        return 1;
    }
    if (allWarning && formType != 1 && formType != 2) {
        std::fprintf(stderr, "--all-warning needs a form with a certification column (1 or 2)\n");
        return 1;
    }
    Random rng{std::strtoull(argv[3], nullptr, 10)};
    // The same identifying numbers run through a whole file, as in a real one.
    const std::string cert = (allWarning ? "P" : "C") + digits(rng, 7, true), business = digits(rng, 5),
                      permit = "R" + digits(rng, 5, true);
    if (identity) {
        // Business name, business number, certification id, permit, phone,
        // contact, four form marks, the unique id, applicator, e-mail.
        const std::string line = "Bench Lawn Care|" + business + "|" + cert + "|" + permit + "|555-0100|Jo Doe|||||" +
                                 business + permit + cert + "|Al Roe|jo@example.com|ENDOFIDENTITY|\r\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    std::string out;
    out.reserve(1 << 20);
    for (long long r = 0; r < records; ++r) {
        std::string line;
        size_t columns = size_t(fields.size());
        // A few records of the wrong length.
        if (!allWarning && rng.chance(5)) columns = rng.chance(5000) ? columns - 2 : columns + (formType == 1 ? 6 : 2);
        for (size_t c = 0; c < columns; ++c) {
            const int field = c < size_t(fields.size()) ? fields[qsizetype(c)] : 0;
            const bool broken = !allWarning && rng.chance(100);
            std::string v;
            if (!broken && field == 4)
                v = cert;
            else if (!broken && field == 3)
                v = business;
            else if (!broken && field == 5)
                v = permit;
            else
                v = value(rng, field, year, broken);
            line += v;
            line += '|';
        }
        out += line;
        out += "\r\n";
        if (out.size() >= (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
