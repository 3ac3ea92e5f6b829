#include "TestSupport.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "tst_foundation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::raisedBy;

using namespace Vezedad;

namespace {

struct Opened {
    QString target;
    bool isLocalFile = false;
};
QList<Opened> gOpened;
qint32 gOpenResult = 0;

qint32 recordOpen(const QString& target, bool isLocalFile) {
    gOpened.append({target, isLocalFile});
    return gOpenResult;
}

// Every opening is recorded instead of reaching the desktop.
void recordOpenings(qint32 result = 0) {
    Documentation::setShellOpener(&recordOpen);
    gOpened.clear();
    gOpenResult = result;
}

QString base() {
    return QStringLiteral("http://") + Documentation::DefaultDocumentationHost() + QStringLiteral("/display/");
}

} // namespace

void tst_foundation::everyPageForEveryOption_data() {
    QTest::addColumn<int>("doc");
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("path");
    const char* fixed[] = {"REZO/Welcome",
                           "OA61/Getting+Started+Guide+-+Option+A",
                           "OB61/Getting+Started+Guide+-+Option+B",
                           "",
                           "",
                           "OA61/Option+A+User+Guide",
                           "OB61/Option+B+User+Guide",
                           "OC61/Option+C+User+Guide",
                           "REZO/Submitting+Your+Electronic+Report",
                           nullptr,
                           nullptr,
                           nullptr,
                           "REZO/Text+File+Specifications",
                           "OB61/Enabling+Macros+in+Excel",
                           "REZO/County+Codes",
                           ""};
    const char* perOption[] = {"/Upload+Your+Report", "/County+Code+Popup", "/EPA+Registration+Number+List"};
    const char* spaces[] = {"REZO", "OA61", "OB61", "OC61", "REZO"};
    for (int doc = -1; doc <= 15; ++doc)
        for (int option = 0; option <= 4; ++option) {
            QString path;
            if (doc >= 9 && doc <= 11)
                path = QLatin1String(spaces[option]) + QLatin1String(perOption[doc - 9]);
            else if (doc >= 0)
                path = QLatin1String(fixed[doc]);
            QTest::addRow("doc %d option %d", doc, option) << doc << option << path;
        }
}
void tst_foundation::everyPageForEveryOption() {
    QFETCH(int, doc);
    QFETCH(int, option);
    QFETCH(QString, path);
    recordOpenings();
    QCOMPARE(Globals::Documentation().GetUri(doc, option), base() + path);
    if (option == kvoOptionA) QCOMPARE(Globals::Documentation().GetUri(doc), base() + path);
    Globals::Documentation().ShowDoc(doc, option);
    QCOMPARE(gOpened.size(), 1);
    QCOMPARE(gOpened[0].target, base() + path);
    QVERIFY(!gOpened[0].isLocalFile);
}

void tst_foundation::showFileOpensOnlyFiles() {
    recordOpenings();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("exception_M123.txt"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    Globals::Documentation().ShowFile(file);
    QCOMPARE(gOpened.size(), 1);
    QCOMPARE(gOpened[0].target, file);
    QVERIFY(gOpened[0].isLocalFile);

    for (const QString& missing : {dir.filePath(QStringLiteral("gone.txt")), dir.path()}) {
        const ErrorInfo e = raisedBy([&] { Globals::Documentation().ShowFile(missing); });
        QCOMPARE(e.Number(), qint32(0x80046835));
        QCOMPARE(e.Description(), QStringLiteral("File '") + missing + QStringLiteral("' not found."));
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::Documentation.ShowFile\r\n-->Vezedad::Documentation"));
    }
    QCOMPARE(gOpened.size(), 1);
}

void tst_foundation::failedStartRaisesThePlatformCode() {
    recordOpenings(1155);
    const ErrorInfo e = raisedBy([] { Globals::Documentation().ShowDoc(docHome); });
    QCOMPARE(e.Number(), 1155);
    QCOMPARE(e.Source(), QStringLiteral("Vezedad::Documentation.ShowDoc\r\n-->ShellExecuteEx"));
    QVERIFY(e.Description().startsWith(QLatin1String("No application is associated")));

    // Without a desktop opener nothing can be opened.
    Documentation::setShellOpener(nullptr);
    QCOMPARE(raisedBy([] { Globals::Documentation().ShowDoc(docHome); }).Number(), 1155);
}

// A file that the desktop would not open keeps the platform's code, and its
// text names the file and how to read it, not the platform's call.
void tst_foundation::aFileNotOpenedIsNamedWithWhatToDo_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("advice");
    QTest::newRow("no program for text files")
        << "exception_M123.txt" << 1155 << "no program is set to open text files."
        << "Open it with a text editor.";
    QTest::newRow("no program, another kind") << "Report.pdf" << 1155 << "no program is set to open files of its kind."
                                              << "Open it with a program that reads it.";
    QTest::newRow("another failure") << "M123.TXT" << 5 << "Access is denied."
                                     << "Open it with a text editor.";
}
void tst_foundation::aFileNotOpenedIsNamedWithWhatToDo() {
    QFETCH(QString, name);
    QFETCH(qint32, code);
    QFETCH(QString, why);
    QFETCH(QString, advice);
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    recordOpenings(code);
    const ErrorInfo e = raisedBy([&] { Globals::Documentation().ShowFile(file); });
    Documentation::setShellOpener(nullptr);
    QCOMPARE(e.Number(), code);
    QCOMPARE(e.Description(),
             QStringLiteral("The file '") + file + QStringLiteral("' was not opened: ") + why + "\r\n" + advice);
    QCOMPARE(e.Source(), QStringLiteral("Vezedad::Documentation.ShowFile\r\n-->Vezedad::Documentation"));
}
