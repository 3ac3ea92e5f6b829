#include "TestSupport.h"
#include "UiScript.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Registry.h"
#include "tst_foundation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

using namespace Vezedad;
using namespace Vezedad::RegAPI;

namespace {
const QString kKey = Configuration::RegistryKey;

QVariant stored(HKEY hive, const QString& name) { return modRegistry::QueryValueEx(hive, kKey, name, false); }

void store(HKEY hive, const QString& name, const QVariant& value) {
    const quint32 type = value.typeId() == QMetaType::QString ? REG_SZ : REG_DWORD;
    modRegistry::SetValueEx(hive, kKey, name, type, value, true);
}

QByteArray hiveBytes(HKEY hive) {
    QFile f(hiveFile(hive));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

void tst_foundation::registryKeepsTypesApart() {
    store(HKEY_CURRENT_USER, QStringLiteral("Text"), QStringLiteral("42"));
    store(HKEY_CURRENT_USER, QStringLiteral("Number"), 42);
    QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("Text")).typeId(), int(QMetaType::QString));
    QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("Number")).typeId(), int(QMetaType::Int));
    // Value names are found without regard to case, as in the registry.
    QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("NUMBER")), QVariant(42));
    QVERIFY(!stored(HKEY_LOCAL_MACHINE, QStringLiteral("Number")).isValid());
}

void tst_foundation::registryResultCodes() {
    HKEY key = 0;
    QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, kKey, KEY_QUERY_VALUE, key), ERROR_FILE_NOT_FOUND);
    QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, kKey, KEY_ALL_WRITE, key), ERROR_SUCCESS);
    quint32 type = 0;
    QByteArray data;
    QCOMPARE(RegQueryValueEx(key, QStringLiteral("Missing"), type, data), ERROR_FILE_NOT_FOUND);
    QCOMPARE(RegDeleteValue(key, QStringLiteral("Missing")), ERROR_FILE_NOT_FOUND);
    QCOMPARE(RegCloseKey(key), ERROR_SUCCESS);
    QCOMPARE(RegCloseKey(key), ERROR_INVALID_HANDLE);
    QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("software\\zidivo"), KEY_QUERY_VALUE, key), ERROR_SUCCESS);
    RegCloseKey(key);
    TestSupport::blockMachineSettings();
    QCOMPARE(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kKey, KEY_ALL_WRITE, key), ERROR_ACCESS_DENIED);
}

// Opening a key that is there, or storing the value already stored,
// leaves the hive file as it is (a hand-made file keeps its own layout).
void tst_foundation::unchangedHiveIsNotRewritten() {
    QDir().mkpath(TestSupport::userConfigDir());
    const QByteArray compact = R"({"SOFTWARE\\ZIDIVO":{"Host":{"type":1,"data":"h"}}})";
    TestSupport::writeFile(hiveFile(HKEY_CURRENT_USER), compact);
    HKEY key = 0;
    QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, kKey, KEY_ALL_WRITE, key), ERROR_SUCCESS);
    RegCloseKey(key);
    store(HKEY_CURRENT_USER, QStringLiteral("Host"), QStringLiteral("h"));
    QCOMPARE(hiveBytes(HKEY_CURRENT_USER), compact);
    store(HKEY_CURRENT_USER, QStringLiteral("Host"), QStringLiteral("other"));
    QVERIFY(hiveBytes(HKEY_CURRENT_USER) != compact);
    QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("Host")), QVariant(QStringLiteral("other")));
}

void tst_foundation::wrappersRaiseTheResult() {
    const ErrorInfo e =
        TestSupport::raisedBy([&] { modRegistry::QueryValueEx(HKEY_CURRENT_USER, kKey, QStringLiteral("X"), true); });
    QCOMPARE(e.Number(), ERROR_FILE_NOT_FOUND);
    QCOMPARE(e.Source(), QStringLiteral("RegAPI::OpenKey"));
    QCOMPARE(e.Description(), QStringLiteral("The system cannot find the file specified.\r\n"));
}

void tst_foundation::defaultsWriteNothing() {
    Configuration& c = Globals::Configuration();
    QCOMPARE(c.BackColor(), 16777120);
    QCOMPARE(c.ShowPrompt(), true);
    QCOMPARE(c.OptionBVersion(), QStringLiteral("0.0.0"));
    QCOMPARE(c.CountySelectorDefault(), QString());
    QCOMPARE(c.BaseAddress(), QStringLiteral("/Report.svc/"));
    QCOMPARE(c.Host(), Configuration::DefaultHost());
    QCOMPARE(c.ReportRoot(), Configuration::DefaultReportRoot());
    QCOMPARE(c.ReportYear(), qint16(0));
    QVERIFY(QDir(c.ResourcePath()).exists());
    QVERIFY(c.ResourcePath().startsWith(TestSupport::home()));
    c.SaveAllSettings();
    QVERIFY(!QFile::exists(hiveFile(HKEY_CURRENT_USER)));
    QVERIFY(!QFile::exists(hiveFile(HKEY_LOCAL_MACHINE)));
}

void tst_foundation::userHiveHidesMachineHive() {
    store(HKEY_LOCAL_MACHINE, QStringLiteral("Host"), QStringLiteral("machine.example"));
    store(HKEY_CURRENT_USER, QStringLiteral("Host"), QStringLiteral("user.example"));
    QCOMPARE(Globals::Configuration().Host(), QStringLiteral("user.example"));
    Globals::Release();
    // An empty text is a value too: it hides the machine's.
    store(HKEY_CURRENT_USER, QStringLiteral("Host"), QString());
    QCOMPARE(Globals::Configuration().Host(), QString());
}

void tst_foundation::machineWriteRemovesUserValue() {
    store(HKEY_CURRENT_USER, QStringLiteral("BackColor"), 1);
    Configuration& c = Globals::Configuration();
    QCOMPARE(c.BackColor(), 1);
    c.setBackColor(2);
    c.SaveAllSettings();
    QCOMPARE(stored(HKEY_LOCAL_MACHINE, QStringLiteral("BackColor")), QVariant(2));
    QVERIFY(!stored(HKEY_CURRENT_USER, QStringLiteral("BackColor")).isValid());
}

void tst_foundation::unchangedValueStaysClean() {
    Configuration& c = Globals::Configuration();
    c.setBackColor(c.BackColor());
    c.SaveAllSettings();
    QVERIFY(!QFile::exists(hiveFile(HKEY_LOCAL_MACHINE)));
}

void tst_foundation::showPromptIsStoredAsText() {
    Globals::Configuration().setShowPrompt(false);
    Globals::Configuration().SaveAllSettings();
    QCOMPARE(stored(HKEY_LOCAL_MACHINE, QStringLiteral("ShowPrompt")), QVariant(QStringLiteral("False")));
    Globals::Release();
    QCOMPARE(Globals::Configuration().ShowPrompt(), false);
}

void tst_foundation::resetAndClear() {
    Configuration& c = Globals::Configuration();
    const qint32 loaded = c.BackColor();
    c.setBackColor(5);
    c.Reset(wsBackColor);
    QCOMPARE(c.BackColor(), loaded);
    c.setBackColor(6);
    c.Reset(12); // not a writable setting: nothing happens
    QCOMPARE(c.BackColor(), 6);
    c.Clear();
    QCOMPARE(c.BackColor(), loaded);
    c.SaveAllSettings();
    QVERIFY(!QFile::exists(hiveFile(HKEY_LOCAL_MACHINE)));
}

void tst_foundation::otherRegistryTypesCountAsMissing() {
    HKEY key = 0;
    QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, kKey, KEY_ALL_WRITE, key), ERROR_SUCCESS);
    QCOMPARE(RegSetValueEx(key, QStringLiteral("Host"), REG_BINARY, QByteArray("\x01\x02", 2)), ERROR_SUCCESS);
    RegCloseKey(key);
    QCOMPARE(Globals::Configuration().Host(), Configuration::DefaultHost());
}

// Settings hold any text: a report root under a name that the report files'
// code page cannot hold is kept like any other.
void tst_foundation::anyTextIsStored_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("code page") << QStringLiteral("LastFolder") << QStringLiteral("/data/r\u00e9ports");
    QTest::newRow("root beyond the code page")
        << QStringLiteral("ReportRoot") << QStringLiteral("/home/\u0142ukasz/ZOV");
    QTest::newRow("beyond 16 bits") << QStringLiteral("Comment") << QStringLiteral("snow \u2603 \U0001F600");
}

void tst_foundation::anyTextIsStored() {
    QFETCH(QString, name);
    QFETCH(QString, value);
    Configuration& c = Globals::Configuration();
    c.SetDynamicSetting(name, value);
    c.SaveAllSettings();
    QCOMPARE(stored(HKEY_LOCAL_MACHINE, name), QVariant(value));
    Globals::Release();
    QCOMPARE(Globals::Configuration().GetDynamicSetting(name), value);
}

void tst_foundation::reportYearIsWrittenAtOnce() {
    Configuration& c = Globals::Configuration();
    c.setReportYear(2024);
    QCOMPARE(stored(HKEY_LOCAL_MACHINE, QStringLiteral("ReportYear")), QVariant(2024));
}

void tst_foundation::badStoredValues_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("number");
    QTest::newRow("colour as text") << QStringLiteral("BackColor") << QVariant(QStringLiteral("blue"))
                                    << int(rtTypeMismatch);
    QTest::newRow("colour beyond 32 bits")
        << QStringLiteral("BackColor") << QVariant(QStringLiteral("3e9")) << int(rtOverflow);
    QTest::newRow("colour beyond any number")
        << QStringLiteral("BackColor") << QVariant(QStringLiteral("1e999")) << int(rtOverflow);
    QTest::newRow("colour as infinity") << QStringLiteral("BackColor") << QVariant(QStringLiteral("inf"))
                                        << int(rtTypeMismatch);
    QTest::newRow("prompt not boolean") << QStringLiteral("ShowPrompt") << QVariant(QStringLiteral("maybe"))
                                        << int(rtTypeMismatch);
}
void tst_foundation::badStoredValues() {
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(int, number);
    store(HKEY_CURRENT_USER, name, value);
    const ErrorInfo e = TestSupport::raisedBy([&] {
        if (name == QLatin1String("BackColor"))
            Globals::Configuration().BackColor();
        else
            Globals::Configuration().ShowPrompt();
    });
    QCOMPARE(e.Number(), number);
}

void tst_foundation::damagedReportYearReadsAsNone_data() {
    QTest::addColumn<QVariant>("value");
    QTest::newRow("text") << QVariant(QStringLiteral("twenty"));
    QTest::newRow("beyond 16 bits") << QVariant(70000);
}
void tst_foundation::damagedReportYearReadsAsNone() {
    QFETCH(QVariant, value);
    store(HKEY_CURRENT_USER, QStringLiteral("ReportYear"), value);
    QCOMPARE(Globals::Configuration().ReportYear(), qint16(0));
}

void tst_foundation::refusedEverywhereStaysPending() {
    Configuration& c = Globals::Configuration();
    c.setBackColor(77);
    TestSupport::blockMachineSettings();
    // The per-user hive refuses too: its folder is a plain file.
    QDir(TestSupport::userConfigDir()).removeRecursively();
    QFile blocker(TestSupport::userConfigDir());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    c.SaveAllSettings();
    QFile::remove(TestSupport::userConfigDir());
    TestSupport::unblockMachineSettings();
    c.SaveAllSettings(); // the change is still pending and reaches the machine hive now
    QCOMPARE(stored(HKEY_LOCAL_MACHINE, QStringLiteral("BackColor")), QVariant(77));
}

void tst_foundation::machineRefusalFallsBackToUser() {
    TestSupport::blockMachineSettings();
    Configuration& c = Globals::Configuration();
    c.setOptionAVersion(QStringLiteral("1.2.3"));
    c.SaveAllSettings();
    QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("OptionAVersion")), QVariant(QStringLiteral("1.2.3")));
}

// A damaged hive reads as empty. The write that replaces it keeps what was
// there beside it and tells the user once where; a later damage is kept
// too, without destroying the first copy.
void tst_foundation::damagedHiveFileReadsAsEmpty() {
    QDir().mkpath(TestSupport::userConfigDir());
    const QString hive = hiveFile(HKEY_CURRENT_USER);
    TestSupport::UiScript ui;
    for (const QByteArray& damage : {QByteArray("{ not json"), QByteArray("[ \"other\", damage")}) {
        TestSupport::writeFile(hive, damage);
        Globals::Configuration().Clear();
        QCOMPARE(Globals::Configuration().BackColor(), 16777120);
        ui.expectBox();
        store(HKEY_CURRENT_USER, QStringLiteral("BackColor"), 3);
        store(HKEY_CURRENT_USER, QStringLiteral("BackColor"), 4); // a sound hive: nothing more to tell
        QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("BackColor")), QVariant(4));
        QVERIFY(hiveBytes(HKEY_CURRENT_USER).startsWith("{"));
    }
    const QString first = hive + QStringLiteral(".damaged"), second = hive + QStringLiteral(".damaged-2");
    QCOMPARE(TestSupport::readFile(first), QByteArray("{ not json"));
    QCOMPARE(TestSupport::readFile(second), QByteArray("[ \"other\", damage"));
    QCOMPARE(ui.boxes().size(), 2);
    QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("The settings file ") + hive +
                                          QStringLiteral(" was damaged and could not be read, so its settings were "
                                                         "not used. A new settings file takes its place now; the "
                                                         "damaged file is kept as ") +
                                          first + QLatin1Char('.'));
    QVERIFY2(ui.boxes().at(1).prompt.endsWith(second + QLatin1Char('.')), qPrintable(ui.boxes().at(1).prompt));
}

// Values of the wrong JSON shape, as a hand-edited hive may hold them.
void tst_foundation::malformedValuesCountAsMissing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("number as text data") << QStringLiteral("BackColor") << QByteArray(R"({"type":4,"data":"12"})");
    QTest::newRow("fraction") << QStringLiteral("BackColor") << QByteArray(R"({"type":4,"data":1.5})");
    QTest::newRow("beyond 32 bits") << QStringLiteral("BackColor") << QByteArray(R"({"type":4,"data":1e20})");
    QTest::newRow("text as number") << QStringLiteral("Host") << QByteArray(R"({"type":1,"data":5})");
    QTest::newRow("text as null") << QStringLiteral("Host") << QByteArray(R"({"type":1,"data":null})");
    QTest::newRow("no object") << QStringLiteral("Host") << QByteArray(R"("plain")");
    QTest::newRow("type as text") << QStringLiteral("Host") << QByteArray(R"({"type":"1","data":"x"})");
}
void tst_foundation::malformedValuesCountAsMissing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, value);
    store(HKEY_LOCAL_MACHINE, QStringLiteral("BackColor"), 7);
    store(HKEY_LOCAL_MACHINE, QStringLiteral("Host"), QStringLiteral("machine.example"));
    QDir().mkpath(TestSupport::userConfigDir());
    QFile f(hiveFile(HKEY_CURRENT_USER));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{\"SOFTWARE\\\\ZIDIVO\": {\"" + name.toLatin1() + "\": " + value + "}}");
    f.close();
    QVERIFY(!stored(HKEY_CURRENT_USER, name).isValid());
    Configuration& c = Globals::Configuration();
    if (name == QLatin1String("Host"))
        QCOMPARE(c.Host(), QStringLiteral("machine.example"));
    else
        QCOMPARE(c.BackColor(), 7);
}

// A settings file that is no regular file reads as unreadable at once: the
// built-in defaults hold and nothing is written over it.
void tst_foundation::hiveThatIsNoFileIsNotWaitedOn() {
    QDir().mkpath(TestSupport::userConfigDir());
    const QString hive = hiveFile(HKEY_CURRENT_USER);
    TestSupport::makeFifo(hive);
    QString host;
    QVERIFY(TestSupport::endsWithoutWaiting([&] { host = Globals::Configuration().Host(); }, hive));
    QCOMPARE(host, Configuration::DefaultHost());
    TestSupport::blockMachineSettings();
    QVERIFY(TestSupport::endsWithoutWaiting(
        [&] { TestSupport::raisedBy([] { store(HKEY_CURRENT_USER, QStringLiteral("Host"), QStringLiteral("h")); }); },
        hive));
    QVERIFY(!QFileInfo(hive).isFile());
    QFile::remove(hive);
}

// Writers on other threads (and, through the lock file, in other
// processes) each read, change and replace the hive; none may lose
// another's value.
void tst_foundation::concurrentWritersLoseNothing() {
    constexpr int kThreads = 4, kValues = 15;
    QList<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads << QThread::create([t] {
            for (int i = 0; i < kValues; ++i)
                modRegistry::SetValueEx(HKEY_CURRENT_USER, kKey, QStringLiteral("V%1_%2").arg(t).arg(i), REG_DWORD, i,
                                        true);
        });
        threads.last()->start();
    }
    for (QThread* thread : threads) {
        QVERIFY(thread->wait(60000));
        delete thread;
    }
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kValues; ++i)
            QCOMPARE(stored(HKEY_CURRENT_USER, QStringLiteral("V%1_%2").arg(t).arg(i)), QVariant(i));
}
