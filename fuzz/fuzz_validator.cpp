// Arbitrary bytes as a record of every form and as a value of every field.
#include "fuzz_common.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/validation/Validator.h"

#include <cstdint>
#include <cstdlib>

using namespace Vezedad;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Validator& v = Globals::Validator();
    const QString text = Cp1252::decode(QByteArrayView(data + 1, qsizetype(size - 1)));
    static const char* const delimiters[] = {"|", ",", "\t", "", "||"};
    const QString delimiter = QString::fromLatin1(delimiters[data[0] % 5]);
    for (qint32 form : {1, 2, 4, 8, 16}) {
        QString d = delimiter;
        const RecordValidationResultPtr r = v.ValidateRecord(text, d, 1, form);
        (void)r->ToString();
    }
    (void)v.GetColumnStructure(text);
    // Every field id for short values; for long ones one field of each rule
    // (and one without a rule), which keeps long inputs affordable.
    static const QList<qint32> oneOfEachRule = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 17, 26};
    QList<qint32> fields = oneOfEachRule;
    if (text.size() < 1024)
        for (qint32 field = -2; field <= 58; ++field) fields.append(field);
    for (qint32 field : fields) {
        const ValidationResultPtr r = v.ValidateField(field, text, 1);
        (void)r->ToString();
        // A value the rule wrote back in its own form passes again.
        if (r->IsValid() && r->Value() != text && !v.ValidateField(field, r->Value(), 1)->IsValid()) std::abort();
        // The check without a result agrees, and gives the written form only
        // when it differs from the value.
        qint32 severity = -1;
        QString written;
        if (v.CheckField(field, text, severity, &written) != r->Code() || severity != r->Severity()) std::abort();
        if (written != (r->IsValid() && r->Value() != text ? r->Value() : QString())) std::abort();
    }
    return 0;
}
