#include "support/TestSupport.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Vezedad;

class tst_report : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void defaultYear();
    void storedYearOutsideRangeIsReplaced_data();
    void storedYearOutsideRangeIsReplaced();
    void changeReportYear();
    void changeToSameYearRaisesNothing();
    void yearChangeOutlivesALostFolder_data();
    void yearChangeOutlivesALostFolder();
    void folderThatCannotTakeTheIdentityStopsTheChange();
    void yearOutOfRange();
    void withoutPersistenceNothingIsStored();
    void reportRoot();
    void prefixes();
    void fileList();
    void proposeNewName();

private:
    QTemporaryDir* m_root = nullptr;
};

void tst_report::init() {
    TestSupport::clearSettings();
    m_root = new QTemporaryDir;
    Globals::Configuration().setReportRoot(m_root->path());
    Globals::Configuration().SaveAllSettings();
}

void tst_report::cleanup() {
    Globals::Release();
    delete m_root;
    m_root = nullptr;
}

void tst_report::defaultYear() {
    QCOMPARE(ZelReport::DefaultYearFor(QDate(2014, 4, 15)), qint16(2013));
    QCOMPARE(ZelReport::DefaultYearFor(QDate(2014, 4, 30)), qint16(2013));
    QCOMPARE(ZelReport::DefaultYearFor(QDate(2014, 5, 1)), qint16(2014));
    QCOMPARE(ZelReport::DefaultYearFor(QDate(2014, 1, 1)), qint16(2013));
    ZelReport& report = Globals::ZelReport();
    QCOMPARE(int(report.ReportYearMax()), QDate::currentDate().year());
    QCOMPARE(int(report.ReportYearMin()), 2000);
    QCOMPARE(report.DefaultYear(), ZelReport::DefaultYearFor(QDate::currentDate()));
}

void tst_report::storedYearOutsideRangeIsReplaced_data() {
    QTest::addColumn<int>("stored");
    QTest::newRow("1999") << 1999;
    QTest::newRow("0") << 0;
    QTest::newRow("next year") << QDate::currentDate().year() + 1;
}

void tst_report::storedYearOutsideRangeIsReplaced() {
    QFETCH(int, stored);
    Globals::Configuration().setReportYear(qint16(stored));
    Globals::Release();
    const qint16 defaultYear = Globals::ZelReport().DefaultYear();
    QCOMPARE(Globals::ZelReport().ReportYear(), defaultYear);
    QVERIFY(QDir(m_root->filePath(QStringLiteral("ZOV%1").arg(defaultYear))).exists());
    // Stored at once, before any save.
    Globals::Release();
    QCOMPARE(Globals::Configuration().ReportYear(), defaultYear);
}

void tst_report::changeReportYear() {
    ZelReport& report = Globals::ZelReport();
    QSignalSpy spy(&report, &ZelReport::PropertyChanged);
    report.ChangeReportYear(2020);
    QCOMPARE(report.ReportYear(), qint16(2020));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0], (QVariantList{QStringLiteral("ReportYear"), QStringLiteral("2020")}));
    QCOMPARE(report.ReportPath(), m_root->filePath(QStringLiteral("ZOV2020")));
    QVERIFY(QDir(report.ReportPath()).exists());
    Globals::Release();
    QCOMPARE(Globals::ZelReport().ReportYear(), qint16(2020));
}

void tst_report::changeToSameYearRaisesNothing() {
    ZelReport& report = Globals::ZelReport();
    const qint16 year = report.ReportYear();
    QSignalSpy spy(&report, &ZelReport::PropertyChanged);
    report.ChangeReportYear(year);
    QCOMPARE(spy.size(), 0);
}

// The current year folder may be deleted, on a share gone offline or
// read-only: the identity in memory then goes with the year into the new
// folder.
void tst_report::yearChangeOutlivesALostFolder_data() {
    QTest::addColumn<bool>("fileInItsPlace");
    QTest::newRow("folder deleted") << false;
    QTest::newRow("nothing can be written there") << true;
}

void tst_report::yearChangeOutlivesALostFolder() {
    QFETCH(bool, fileInItsPlace);
    ZelReport& report = Globals::ZelReport();
    report.ChangeReportYear(2020);
    IdentityPtr identity = report.Identity();
    identity->setBusinessName(QStringLiteral("Green"));
    const QString lost = report.ReportPath();
    QVERIFY(QDir(lost).removeRecursively());
    if (fileInItsPlace) TestSupport::writeFile(lost, "x");

    report.ChangeReportYear(2021);
    QCOMPARE(report.ReportYear(), qint16(2021));
    QCOMPARE(identity->BusinessName(), QStringLiteral("Green"));
    QVERIFY(TestSupport::readFile(m_root->filePath(QStringLiteral("ZOV2021/identity.txt"))).startsWith("Green|"));

    // Staying in the year of a lost folder leaves the identity nowhere to go.
    QVERIFY(QDir(report.ReportPath()).removeRecursively());
    TestSupport::writeFile(report.ReportPath(), "x");
    QCOMPARE(TestSupport::raisedBy([&] { report.ChangeReportYear(2021); }).Number(), 70);
}

// A new year folder that can take the identity neither way (its identity
// file is a folder) stops the change: year, root, settings and events stay.
void tst_report::folderThatCannotTakeTheIdentityStopsTheChange() {
    ZelReport& report = Globals::ZelReport();
    report.ChangeReportYear(2020);
    QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("ZOV2022/identity.txt"))));
    QSignalSpy spy(&report, &ZelReport::PropertyChanged);
    const ErrorInfo e = TestSupport::raisedBy([&] { report.ChangeReportYear(2022); });
    QCOMPARE(e.Number(), 75);
    QVERIFY(e.Description().contains(QStringLiteral("ZOV2022/identity.txt is a folder")));
    QCOMPARE(report.ReportYear(), qint16(2020));
    QCOMPARE(spy.size(), 0);

    // The same for a new root whose year folder cannot take it.
    const QString root = m_root->filePath(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/ZOV2020/identity.txt")));
    QCOMPARE(TestSupport::raisedBy([&] { report.setReportRootPath(root); }).Number(), 75);
    QCOMPARE(report.ReportRootPath(), m_root->path());
    QCOMPARE(spy.size(), 0);

    Globals::Release();
    QCOMPARE(Globals::ZelReport().ReportYear(), qint16(2020));
    QCOMPARE(Globals::ZelReport().ReportRootPath(), m_root->path());
}

void tst_report::yearOutOfRange() {
    ZelReport& report = Globals::ZelReport();
    const qint16 year = report.ReportYear();
    for (int bad : {1999, int(report.ReportYearMax()) + 1}) {
        const ErrorInfo e = TestSupport::raisedBy([&] { report.ChangeReportYear(bad); });
        QCOMPARE(quint32(e.Number()), 0x8004297Cu);
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::ZelReport.ReportYear"));
        QCOMPARE(e.Description(),
                 QStringLiteral("Report Year must be between 2000 and %1, inclusive.").arg(report.ReportYearMax()));
    }
    QCOMPARE(report.ReportYear(), year);
}

void tst_report::withoutPersistenceNothingIsStored() {
    ZelReport& report = Globals::ZelReport();
    const qint16 stored = report.ReportYear();
    report.setAllowPersistence(false);
    report.ChangeReportYear(2010);
    QCOMPARE(report.ReportYear(), qint16(2010));
    QTemporaryDir other;
    const QString root = other.filePath(QStringLiteral("elsewhere"));
    report.setReportRootPath(root);
    QCOMPARE(report.ReportRootPath(), root);
    QVERIFY(QDir(root + QStringLiteral("/ZOV2010")).exists());
    Globals::Release();
    QCOMPARE(Globals::ZelReport().ReportYear(), stored);
    QCOMPARE(Globals::ZelReport().ReportRootPath(), m_root->path());
}

void tst_report::reportRoot() {
    ZelReport& report = Globals::ZelReport();
    report.ChangeReportYear(2015);
    QSignalSpy spy(&report, &ZelReport::PropertyChanged);
    report.setReportRootPath(m_root->path());
    QCOMPARE(spy.size(), 0);

    // The same folder named in other letter case is no change; a folder that
    // only differs in letter case is another root.
    const QString cased = m_root->filePath(QStringLiteral("Cased"));
    report.setReportRootPath(cased);
    QVERIFY(QFile::link(cased, m_root->filePath(QStringLiteral("cased"))));
    spy.clear();
    report.setReportRootPath(m_root->filePath(QStringLiteral("cased")));
    QCOMPARE(spy.size(), 0);
    QCOMPARE(report.ReportRootPath(), cased);
    report.setReportRootPath(m_root->filePath(QStringLiteral("CASED")));
    QCOMPARE(spy.size(), 1);
    QVERIFY(QDir(m_root->filePath(QStringLiteral("CASED/ZOV2015"))).exists());
    spy.clear();

    const QString root = m_root->filePath(QStringLiteral("a/b/reports"));
    report.setReportRootPath(root);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0], (QVariantList{QStringLiteral("ReportRootPath"), root}));
    QCOMPARE(report.ReportPath(), root + QStringLiteral("/ZOV2015"));
    QVERIFY(QDir(report.ReportPath()).exists());

    // A root that cannot be made leaves everything as it was.
    QFile blocker(m_root->filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY_THROWS_EXCEPTION(ErrorInfo, report.setReportRootPath(m_root->filePath(QStringLiteral("file/sub"))));
    QCOMPARE(report.ReportRootPath(), root);
    QCOMPARE(spy.size(), 1);

    Globals::Configuration().SaveAllSettings();
    Globals::Release();
    QCOMPARE(Globals::ZelReport().ReportRootPath(), root);
}

void tst_report::prefixes() {
    const QList<QPair<int, QString>> expected = {{1, "P"}, {2, "A"}, {4, "S"}, {8, "M"}, {16, "I"},
                                                 {0, ""},  {3, ""},  {14, ""}, {15, ""}};
    for (const auto& e : expected) QCOMPARE(ZelReport::Prefix(e.first), e.second);
}

// A report file's name starts with a form's letter and ends in the
// extension, letter case aside: what a save cut short leaves beside a report
// and an editor's backup are no report files.
void tst_report::fileList() {
    ZelReport& report = Globals::ZelReport();
    report.ChangeReportYear(2013);
    const QStringList names = {"M2013.txt.bak", "X2013.txt",      "M2013.csv",     "m2013.TXT",
                               "a1.xlsm",       "P2.txt",         "S1.xls",        "Mtxt",
                               "A0.xlsx",       "b.txt",          "A1.txt.k3J9xQ", "A1.txt~",
                               "S1.xls~",       "a0.xlsx.Qz12Ab", "P3.txt\n",      "M2014.TXT.txt"};
    for (const QString& name : names) {
        QFile f(QDir(report.ReportPath()).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QDir(report.ReportPath()).mkdir(QStringLiteral("M-folder.txt"));
    auto keys = [&](int form, int type) {
        QStringList k;
        for (const auto& entry : report.FileList(form, type)) k << entry.first;
        return k.join(u',');
    };
    QCOMPARE(keys(zfotForm25, zfitText), QStringLiteral("m2013.TXT,M2014.TXT.txt"));
    QCOMPARE(keys(zfotForm26A, zfitText), QString());
    QCOMPARE(keys(zfotApplication, zfitBoth), QStringLiteral("A0.xlsx,a1.xlsm,P2.txt"));
    QCOMPARE(keys(zfotSales, zfitExcel), QStringLiteral("A0.xlsx,a1.xlsm,S1.xls"));
    // The year folder also holds the filer's identity file, which the model keeps there.
    QCOMPARE(keys(0, zfitText), QStringLiteral("b.txt,identity.txt,m2013.TXT,M2014.TXT.txt,P2.txt,X2013.txt"));
    QCOMPARE(report.FileCount(zfotAll), 6);
    QCOMPARE(report.FileCount(zfotIdentity), 1);
    for (const QString& name : names)
        QCOMPARE(ZelReport::IsReportFileName(name, zfotAll, zfitBoth), report.FileList(zfotAll).contains(name));
}

void tst_report::proposeNewName() {
    ZelReport& report = Globals::ZelReport();
    report.ChangeReportYear(2014);
    const QString year = report.ReportPath();
    QString folder;
    QCOMPARE(report.ProposeNewName(zfotForm26, zfitText, QStringLiteral("C1234567"), folder),
             year + QStringLiteral("/PC123456700.txt"));
    QCOMPARE(folder, year);
    QCOMPARE(report.ProposeNewName(zfotForm26, zfitBoth, QStringLiteral("C1234567")),
             year + QStringLiteral("/PC123456700"));
    QCOMPARE(report.ProposeNewName(zfotForm26A, zfitExcel, QStringLiteral("C1")), year + QStringLiteral("/AC100.xlsm"));

    for (int n = 0; n < 100; ++n) {
        QFile f(year + QStringLiteral("/MR12345%1.txt").arg(n, 2, 10, QLatin1Char('0')));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(report.ProposeNewName(zfotForm25, zfitText, QStringLiteral("R12345")),
             year + QStringLiteral("/MR12345100.txt"));

    // A name that differs from a file or folder of the year only in letter
    // case is taken: the upload would refuse the two side by side.
    for (const char* taken : {"pc765432100.txt", "PC765432101.TXT"}) {
        QFile f(year + u'/' + QLatin1String(taken));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(year).mkdir(QStringLiteral("Pc765432102.txt")));
    QCOMPARE(report.ProposeNewName(zfotForm26, zfitText, QStringLiteral("C7654321")),
             year + QStringLiteral("/PC765432103.txt"));

    QTemporaryDir other;
    folder = other.path();
    QCOMPARE(report.ProposeNewName(zfotForm27, zfitText, QStringLiteral("R1"), folder),
             other.path() + QStringLiteral("/SR100.txt"));
    QCOMPARE(folder, other.path());
    folder = other.filePath(QStringLiteral("missing"));
    QCOMPARE(report.ProposeNewName(zfotIdentity, zfitText, QStringLiteral("x"), folder),
             QStringLiteral("identity.txt"));
    QCOMPARE(folder, year);
}

QTEST_GUILESS_MAIN(tst_report)
#include "tst_report.moc"
