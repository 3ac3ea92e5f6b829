// Arbitrary bytes as a whole report file of each form.
#include "fuzz_common.h"

#include "Vezedad/validation/Validator.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

using namespace Vezedad;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("P1.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    Validator& v = Globals::Validator();
    for (qint32 form : {1, 2, 4, 8}) {
        const FileValidationResultPtr r = v.ValidateFile(path, form, form == 8 ? 0 : 3);
        for (const RecordValidationResultPtr& record : r->Items()) (void)record->ToString();
    }
    return 0;
}
