// Every file the system saves, saved onto a disk that is full: the save
// fails with an error that says so, and the old file keeps its bytes.
#include "standalone_entry/forms/FormTest.h"
#include "support/SmallDisk.h"

#include "forms/Form25.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Registry.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/ExceptionReport.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QDir>
#include <cerrno>

using namespace FormTest;
namespace SmallDisk = TestSupport::SmallDisk;

namespace {

enum class Subject { ReportForm, Identity, ProductList, Settings, ExceptionReport };

// A Form 25 sales record; a file of n of them is n * 39 bytes.
QByteArray salesRecords(int n) {
    QByteArray bytes;
    for (int i = 0; i < n; ++i)
        bytes += "0|R12345|100-200|ROUNDUP|1.5|OZ|" + QByteArray::number(i % 90 + 10) + "|X||\r\n";
    return bytes;
}

// What the sync of a save says, for the rows where it fails although every
// write found room (a network share or a quota may tell only then).
int gSyncError = 0;
int failingSync(int) {
    errno = gSyncError;
    return -1;
}

// The files of a folder, by name.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class tst_full_disk : public QObject {
    Q_OBJECT

    QString disk() const { return SmallDisk::folder(); }

    // The year folder of a report root on the small disk, with the filer.
    void reportRootOnTheDisk() {
        TestSupport::clearSettings();
        Vezedad::Globals::Configuration().setReportRoot(disk() + QStringLiteral("/reports"));
        QDir().mkpath(disk() + QStringLiteral("/reports"));
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.ConfirmReportFolder();
        report.Identity()->setSalesPermitNumber(kPermit);
        report.Identity()->setBusinessName(kBusiness);
    }

    // Opens the Form 25 at path, changes a cell and saves it, which fails:
    // what the failure's box said. The form stays changed.
    QString failedFormSave(const QString& path) {
        QString seen;
        UiScript ui;
        ui.expectBox(); // the verdict on the loaded file
        showForm<Dazozuvi::Form25>(ui, path, [&](Dazozuvi::Form25& form) {
            form.Grid().setText(2, 1, QStringLiteral("77"));
            form.GridController()->setIsDirty(true);
            ui.expectBox(Vezedad::Ui::vbNo); // validate first?
            ui.expectBox();                  // the failure
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY(form.IsDirty());
            seen = ui.boxes().last().prompt;
        });
        return seen;
    }

private Q_SLOTS:
    void init() {
        if (!SmallDisk::unavailable().isEmpty()) QSKIP(qPrintable(SmallDisk::unavailable()));
        SmallDisk::clear();
    }
    void cleanup() {
        Vezedad::FileWriter::setSyncCall(nullptr);
        SmallDisk::unfill();
        ZozedizIZ::Globals::Release();
        TestSupport::clearSettings();
        SmallDisk::clear();
    }

    void savesOnAFullDisk_data() {
        QTest::addColumn<Subject>("subject");
        QTest::addColumn<qint64>("room");   // -1: the disk is not filled
        QTest::addColumn<int>("syncError"); // what the sync says; 0 for success
        // "full": not a byte free; "part": room for the first pieces of the
        // file, so that the disk fills while it is being written.
        QTest::newRow("report form, full") << Subject::ReportForm << qint64(0) << 0;
        QTest::newRow("report form, part") << Subject::ReportForm << qint64(8192) << 0;
        QTest::newRow("report form, quota at the sync") << Subject::ReportForm << qint64(-1) << EDQUOT;
        QTest::newRow("identity, full") << Subject::Identity << qint64(0) << 0;
        QTest::newRow("identity, no room at the sync") << Subject::Identity << qint64(-1) << ENOSPC;
        QTest::newRow("product list, full") << Subject::ProductList << qint64(0) << 0;
        QTest::newRow("product list, part") << Subject::ProductList << qint64(8192) << 0;
        QTest::newRow("settings, full") << Subject::Settings << qint64(0) << 0;
        QTest::newRow("settings, part") << Subject::Settings << qint64(8192) << 0;
        QTest::newRow("exception report, full") << Subject::ExceptionReport << qint64(0) << 0;
        QTest::newRow("exception report, part") << Subject::ExceptionReport << qint64(8192) << 0;
    }
    void savesOnAFullDisk() {
        QFETCH(Subject, subject);
        QFETCH(qint64, room);
        QFETCH(int, syncError);
        QString path;      // the file the save would replace
        QString seen;      // what the user or the caller was told
        QStringList files; // the files beside it before the save
        auto fill = [&] {
            files = filesIn(QFileInfo(path).absolutePath());
            if (room >= 0) SmallDisk::fill(room);
            gSyncError = syncError;
            if (syncError != 0) Vezedad::FileWriter::setSyncCall(failingSync);
        };
        switch (subject) {
        case Subject::ReportForm: {
            reportRootOnTheDisk();
            path = YearFolder::file(QStringLiteral("MR1234500.txt"));
            TestSupport::writeFile(path, salesRecords(400));
            const QByteArray old = TestSupport::readFile(path);
            UiScript ui;
            ui.expectBox(); // the verdict on the loaded file
            showForm<Dazozuvi::Form25>(ui, path, [&](Dazozuvi::Form25& form) {
                form.Grid().setText(5, 1, QStringLiteral("77"));
                form.GridController()->setIsDirty(true);
                fill();
                ui.expectBox(Vezedad::Ui::vbNo); // validate first?
                ui.expectBox();                  // the failure
                trigger(form, QStringLiteral("mnuFileSave"));
                QVERIFY(form.IsDirty());
                QCOMPARE(form.FilePath(), path);
                seen = ui.boxes().last().prompt;
            });
            QCOMPARE(TestSupport::readFile(path), old);
            QVERIFY2(seen.contains(QStringLiteral("\nIn Dazozuvi::Form25.WriteToFile\n")), qPrintable(seen));
            break;
        }
        case Subject::Identity: {
            reportRootOnTheDisk();
            path = YearFolder::file(QStringLiteral("identity.txt"));
            const Vezedad::IdentityPtr filer = Vezedad::Globals::ZelReport().Identity();
            filer->Save();
            fill();
            filer->setBusinessName(QStringLiteral("ANOTHER NAME"));
            const QByteArray old = TestSupport::readFile(path);
            const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { filer->Save(); });
            QCOMPARE(error.Number(), qint32(Vezedad::rtDiskFull));
            seen = error.Description();
            QCOMPARE(TestSupport::readFile(path), old);
            break;
        }
        case Subject::ProductList: {
            Vezedad::Globals::Configuration().setResourcePath(disk() + QStringLiteral("/resources"));
            ZozedizIZ::EpaDataList& list = ZozedizIZ::Globals::EpaList();
            path = list.FilePath();
            QByteArray bytes;
            for (int i = 1; i <= 800; ++i)
                bytes += QByteArray::number(i) + "-1|PRODUCT NUMBER " + QByteArray::number(i) + "\r\n";
            TestSupport::writeFile(path, bytes);
            list.Read();
            QCOMPARE(list.Count(), 800);
            list.Add(QStringLiteral("999-9"), QStringLiteral("ONE MORE"));
            fill();
            const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { list.Save(); });
            QCOMPARE(error.Number(), qint32(Vezedad::rtDiskFull));
            QVERIFY(list.IsDirty());
            seen = error.Description();
            // The list first, then the disk's reason: one sentence each.
            QVERIFY2(seen.startsWith(QStringLiteral("The EPA Product List was not saved. Disk full: there is no room "
                                                    "left on the disk for ") +
                                     path +
                                     QStringLiteral(" (No space left on device); nothing was saved, and the "
                                                    "file on disk is as it was before.")),
                     qPrintable(seen));
            QCOMPARE(TestSupport::readFile(path), bytes);
            break;
        }
        case Subject::Settings: {
            // The user's settings on the small disk; the machine's cannot be
            // written at all.
            const QByteArray before = qgetenv("XDG_CONFIG_HOME");
            struct Restore {
                QByteArray value;
                ~Restore() { qputenv("XDG_CONFIG_HOME", value); }
            } restore{before};
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(disk() + QStringLiteral("/config")));
            TestSupport::blockMachineSettings();
            Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
            settings.SetDynamicSetting(QStringLiteral("Notes"), QString(20000, QLatin1Char('n')));
            settings.SaveAllSettings();
            path = Vezedad::RegAPI::hiveFile(Vezedad::RegAPI::HKEY_CURRENT_USER);
            const QByteArray old = TestSupport::readFile(path);
            QVERIFY(old.contains("Notes"));
            fill();
            settings.setBackColor(0x123456);
            settings.SaveAllSettings();
            // Not lost: still changed, so a later save tries again.
            QCOMPARE(settings.BackColor(), qint32(0x123456));
            QCOMPARE(TestSupport::readFile(path), old);
            const Vezedad::ErrorInfo error = TestSupport::raisedBy([] {
                Vezedad::modRegistry::SetValueEx(Vezedad::RegAPI::HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\ZIDIVO"),
                                                 QStringLiteral("BackColor"), Vezedad::RegAPI::REG_DWORD,
                                                 qint32(0x123456), true);
            });
            QCOMPARE(error.Number(), qint32(Vezedad::sysDiskFull));
            seen = error.Description();
            QCOMPARE(TestSupport::readFile(path), old);
            SmallDisk::unfill();
            settings.SaveAllSettings();
            QVERIFY(TestSupport::readFile(path).contains(QByteArray::number(0x123456)));
            break;
        }
        case Subject::ExceptionReport: {
            const QString folder = disk() + QStringLiteral("/reports");
            QDir().mkpath(folder);
            const QString validated = folder + QStringLiteral("/MR1234500.txt");
            QByteArray bad;
            for (int i = 0; i < 300; ++i) bad += "0|R12345|BAD NUMBER|ROUNDUP|1.5|OZ|3|X||\r\n";
            TestSupport::writeFile(validated, bad);
            const Vezedad::FileValidationResultPtr result =
                Vezedad::Globals::Validator().ValidateFile(validated, Vezedad::zfotForm25, 0);
            path = folder + QStringLiteral("/exception_MR1234500.txt");
            ZozedizIZ::ExceptionReport::Write(path, validated, *result);
            const QByteArray old = TestSupport::readFile(path);
            QVERIFY(old.size() > 16384);
            fill();
            const Vezedad::ErrorInfo error =
                TestSupport::raisedBy([&] { ZozedizIZ::ExceptionReport::Write(path, validated, *result); });
            QCOMPARE(error.Number(), qint32(Vezedad::rtDiskFull));
            seen = error.Description();
            QCOMPARE(TestSupport::readFile(path), old);
            break;
        }
        }
        QVERIFY2(seen.contains(QStringLiteral("Disk full")) || seen.contains(QStringLiteral("not enough space")),
                 qPrintable(seen));
        // Nothing half written is left beside the file.
        QCOMPARE(filesIn(QFileInfo(path).absolutePath()), files);
    }

    // A write-protected disk (a locked stick, a share mounted read-only):
    // every save says so with the system's own reason, names what refuses,
    // and says that nothing was saved.
    void writeProtectedDiskNamesTheReason_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message"); // %1 the file, %2 its folder
        const QString existing = QStringLiteral("Permission denied: %1 cannot be written to (Read-only file system); "
                                                "nothing was saved, and the file on disk is as it was before.");
        QTest::newRow("a report") << QStringLiteral("report") << QStringLiteral("Error 70: ") + existing;
        QTest::newRow("a new report") << QStringLiteral("new")
                                      << QStringLiteral("Permission denied: %1 cannot be saved, because its folder %2 "
                                                        "cannot be written to (Read-only file system); nothing was "
                                                        "saved.");
        QTest::newRow("the product list")
            << QStringLiteral("list") << QStringLiteral("The EPA Product List was not saved. ") + existing;
    }
    void writeProtectedDiskNamesTheReason() {
        QFETCH(QString, what);
        QFETCH(QString, message);
        reportRootOnTheDisk();
        QString path = YearFolder::file(what == QLatin1String("new") ? QStringLiteral("MR1234501.txt")
                                                                     : QStringLiteral("MR1234500.txt"));
        TestSupport::writeFile(YearFolder::file(QStringLiteral("MR1234500.txt")), salesRecords(3));
        ZozedizIZ::EpaDataList* list = nullptr;
        if (what == QLatin1String("list")) {
            Vezedad::Globals::Configuration().setResourcePath(disk() + QStringLiteral("/resources"));
            list = &ZozedizIZ::Globals::EpaList();
            path = list->FilePath();
            TestSupport::writeFile(path, "100-1|ONE\r\n");
            list->Read();
            list->Add(QStringLiteral("999-9"), QStringLiteral("ONE MORE"));
        }
        const QString folder = QFileInfo(path).absolutePath();
        const QStringList files = filesIn(folder);
        const QByteArray old = TestSupport::readFile(path);
        QString why;
        if (!SmallDisk::freeze(folder, QString(), &why)) QSKIP(qPrintable(why));
        struct Thaw {
            QString folder;
            ~Thaw() { SmallDisk::thaw(folder, QString()); }
        } thaw{folder};
        QString seen;
        if (what == QLatin1String("report")) {
            seen = failedFormSave(path).section(QLatin1Char('\n'), 0, 0);
        } else if (list) {
            seen = TestSupport::raisedBy([&] { list->Save(); }).Description();
            QVERIFY(list->IsDirty());
        } else {
            seen = TestSupport::raisedBy([&] {
                       Vezedad::FileWriter file(path);
                       file.writeLine(QStringLiteral("0|R12345||||||X||"));
                       file.commit();
                   }).Description();
        }
        QCOMPARE(seen, message.arg(path, folder));
        QCOMPARE(TestSupport::readFile(path), old);
        QCOMPARE(filesIn(folder), files);
    }

    // A folder that takes no new file while the report in it may be
    // changed (as on some shares): the save cannot write its new copy
    // beside the file, and the user hears that it is the folder, and why.
    void saveIntoAFolderThatCannotBeWritten() {
        reportRootOnTheDisk();
        const QString path = YearFolder::file(QStringLiteral("MR1234500.txt"));
        const QString folder = QFileInfo(path).absolutePath();
        TestSupport::writeFile(path, salesRecords(3));
        const QByteArray old = TestSupport::readFile(path);
        QString why;
        if (!SmallDisk::freeze(folder, path, &why)) QSKIP(qPrintable(why));
        struct Thaw {
            QString folder, path;
            ~Thaw() { SmallDisk::thaw(folder, path); }
        } thaw{folder, path};
        QVERIFY(QFileInfo(path).isWritable());
        const QString seen = failedFormSave(path);
        QCOMPARE(TestSupport::readFile(path), old);
        QVERIFY2(seen.startsWith(QStringLiteral("Error 70: Permission denied: ") + path +
                                 QStringLiteral(" cannot be saved, because its folder ") + folder +
                                 QStringLiteral(" cannot be written to (")),
                 qPrintable(seen));
        QVERIFY2(seen.contains(QStringLiteral("A save writes the new copy beside the file, in that folder, and then "
                                              "puts it in the file's place; nothing was saved")),
                 qPrintable(seen));
    }
};

int main(int argc, char** argv) {
    const int rerun = SmallDisk::rerunOnIt(argc, argv);
    if (rerun >= 0) return rerun;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_full_disk test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_full_disk.moc"
