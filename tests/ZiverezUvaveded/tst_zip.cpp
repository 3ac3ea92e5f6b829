#include "TestSupport.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "ZiverezUvaveded/cZip.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using TestSupport::writeFile;

using VezirodEdovud::cZip;

namespace {

// Entry name -> contents, as a reader of the archive sees it.
QMap<QString, QByteArray> readArchive(const QString& path, QString* comment = nullptr) {
    QMap<QString, QByteArray> entries;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        QByteArray data(qsizetype(st.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, data.data(), st.size);
        zip_fclose(file);
        entries.insert(QString::fromUtf8(st.name), data);
    }
    if (comment) {
        int length = 0;
        const char* text = zip_get_archive_comment(archive, &length, 0);
        *comment = text ? QString::fromUtf8(text, length) : QString();
    }
    zip_close(archive);
    return entries;
}

} // namespace

class tst_zip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        QDir(m_dir->path()).mkpath(QStringLiteral("reports/sub"));
        writeFile(reportFile(QStringLiteral("M2023.txt")), "0|abc|\r\n");
        writeFile(reportFile(QStringLiteral("P2023.txt")), QByteArray(5000, 'x'));
        writeFile(reportFile(QStringLiteral("sub/A2023.txt")), "nested");
    }

    void propertiesAnswerWhatTheyWereGiven() {
        cZip zip;
        QVERIFY(!zip.StoreDirectories() && !zip.StoreFolderNames() && !zip.RecurseSubDirs());
        QCOMPARE(zip.MessageLevel(), 2);
        zip.setStoreFolderNames(true);
        QVERIFY(zip.StoreFolderNames());
        zip.setFreshenFiles(true);
        QVERIFY(zip.FreshenFiles() && !zip.UpdateOnlyIfNewer());
        zip.setMessageLevel(1);
        zip.setMessageLevel(7);
        QCOMPARE(zip.MessageLevel(), 1);
        zip.AddFileSpec(QStringLiteral("a"));
        zip.AddFileSpec(QStringLiteral("b"));
        QCOMPARE(zip.FileSpecCount(), 2);
        QCOMPARE(zip.FileSpec(2).toString(), QStringLiteral("b"));
        for (qint32 bad : {0, 3}) {
            const Vezedad::ErrorInfo e = TestSupport::raisedBy([&] { zip.FileSpec(bad); });
            QCOMPARE(e.Number(), 9);
        }
        zip.ClearFileSpecs();
        QCOMPARE(zip.FileSpecCount(), 0);
    }

    // The archive holds each file under its bare name with its bytes, and
    // replaces an older archive of the same name.
    void zipsChosenFilesUnderBareNames() {
        writeFile(archivePath(), "old archive, not a zip");
        cZip zip;
        zip.setZipFile(archivePath());
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.AddFileSpec(reportFile(QStringLiteral("sub/A2023.txt")));
        zip.AddFileSpec(reportFile(QStringLiteral("P2023.txt")));
        QStringList progress;
        connect(&zip, &cZip::Progress, this, [&](qint32, const QString& text) { progress << text; });
        zip.Zip();
        QVERIFY(zip.Success());
        const auto entries = readArchive(archivePath());
        QCOMPARE(entries.keys(), (QStringList{"A2023.txt", "M2023.txt", "P2023.txt"}));
        QCOMPARE(entries.value("M2023.txt"), QByteArray("0|abc|\r\n"));
        QCOMPARE(entries.value("P2023.txt"), QByteArray(5000, 'x'));
        QVERIFY(zip.FailureReason().isEmpty() && zip.FailedFile().isEmpty());
        QCOMPARE(progress.size(), 3);
        QVERIFY(progress.at(1).contains(QStringLiteral("A2023.txt")));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"ZelFiles2023.zip"});
    }

    void progressMessages_data() {
        QTest::addColumn<qint32>("level");
        QTest::addColumn<QStringList>("expected");
        const QStringList both{"  adding: reports\\M2023.txt", "  adding: reports\\sub\\A2023.txt"};
        QTest::newRow("level 0") << 0 << both;
        QTest::newRow("level 1 (quiet)") << 1 << QStringList{};
        QTest::newRow("level 2") << 2 << both;
    }

    // With folder names kept, relative names and the archive itself
    // are taken from the base folder, and the messages write paths with
    // backslashes.
    void progressMessages() {
        QFETCH(qint32, level);
        QFETCH(QStringList, expected);
        cZip zip;
        zip.setBasePath(m_dir->path());
        zip.setZipFile(QStringLiteral("ZelFiles2023.zip"));
        zip.setStoreFolderNames(true);
        zip.setMessageLevel(level);
        zip.AddFileSpec(QStringLiteral("reports/M2023.txt"));
        zip.AddFileSpec(QStringLiteral("reports/sub/A2023.txt"));
        QStringList progress;
        connect(&zip, &cZip::Progress, this, [&](qint32 count, const QString& text) {
            QCOMPARE(count, 1);
            progress << text;
        });
        zip.Zip();
        QVERIFY(zip.Success());
        QCOMPARE(progress, expected);
        QCOMPARE(readArchive(archivePath()).keys(), (QStringList{"reports/M2023.txt", "reports/sub/A2023.txt"}));
    }

    void passwordIsConfirmed_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("success");
        QTest::newRow("same") << QStringLiteral("secret") << true;
        QTest::newRow("different") << QStringLiteral("secreT") << false;
        QTest::newRow("none") << QString() << false;
    }

    // The password is asked for, then asked again to confirm it; only two
    // equal answers encrypt the archive.
    void passwordIsConfirmed() {
        QFETCH(QString, second);
        QFETCH(bool, success);
        cZip zip;
        zip.setZipFile(archivePath());
        zip.setEncrypt(true);
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        QList<bool> confirms;
        connect(&zip, &cZip::PasswordRequest, this, [&](QString& password, qint32 maxLength, bool confirm, bool&) {
            QCOMPARE(maxLength, 256);
            confirms << confirm;
            password = confirm ? second : QStringLiteral("secret");
        });
        zip.Zip();
        QCOMPARE(confirms, (QList<bool>{false, true}));
        QCOMPARE(zip.Success(), success);
        QCOMPARE(QFile::exists(archivePath()), success);
        if (!success) return;
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(archivePath()).constData(), ZIP_RDONLY, &error);
        QVERIFY(archive);
        zip_file_t* entry = zip_fopen_encrypted(archive, "M2023.txt", 0, "secret");
        QVERIFY(entry);
        char data[16] = {};
        QCOMPARE(zip_fread(entry, data, sizeof data), zip_int64_t(8));
        QCOMPARE(QByteArray(data, 8), QByteArray("0|abc|\r\n"));
        zip_fclose(entry);
        zip_close(archive);
    }

    void failedRunWritesNothing_data() {
        QTest::addColumn<QString>("fileSpec");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << QStringLiteral("gone.txt") << QStringLiteral("File not found: %1");
        QTest::newRow("folder") << QStringLiteral("sub")
                                << QStringLiteral("Path/File access error: %1 is a folder, not a file");
    }

    // An archive that lacks one of the listed files is never written: the
    // older archive stays as it was, no temporary file is left over, and the
    // run names the file and says why.
    void failedRunWritesNothing() {
        QFETCH(QString, fileSpec);
        QFETCH(QString, reason);
        writeFile(archivePath(), "older");
        cZip zip;
        zip.setZipFile(archivePath());
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.AddFileSpec(reportFile(fileSpec));
        zip.Zip();
        QVERIFY(!zip.Success());
        QCOMPARE(zip.FailedFile(), reportFile(fileSpec));
        QCOMPARE(zip.FailureReason(), reason.arg(reportFile(fileSpec)));
        QFile older(archivePath());
        QVERIFY(older.open(QIODevice::ReadOnly));
        QCOMPARE(older.readAll(), QByteArray("older"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"ZelFiles2023.zip"});
    }

    void aFileChangedWhilePackedFailsTheRun_data() {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QString changed = QStringLiteral("It changed while it was being packed");
        // Each is done as P2023.txt, the second file, begins to be packed.
        QTest::newRow("cut short at its turn") << QStringLiteral("P2023.txt") << QByteArray("cut") << changed;
        QTest::newRow("grown at its turn") << QStringLiteral("P2023.txt") << QByteArray(6000, 'y') << changed;
        QTest::newRow("rewritten after its turn, same size")
            << QStringLiteral("M2023.txt") << QByteArray("0|abd|\r\n") << changed;
        QTest::newRow("removed at its turn") << QStringLiteral("P2023.txt") << QByteArray() << "File not found: ";
    }

    // An entry holds its file whole, as it was when the run began: a file
    // that another program writes (or removes) while the archive is packed
    // fails the run, named, and the older archive stays as it was.
    void aFileChangedWhilePackedFailsTheRun() {
        QFETCH(QString, changed);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        writeFile(archivePath(), "older");
        const QString target = reportFile(changed);
        const QDateTime was = QFileInfo(target).lastModified();
        QStringList begun;
        cZip::setPackingHook([&](const QString& path) {
            begun << QFileInfo(path).fileName();
            if (QFileInfo(path).fileName() != QStringLiteral("P2023.txt")) return;
            if (bytes.isEmpty()) {
                QVERIFY(QFile::remove(target));
                return;
            }
            // Rewritten in place, as a program that does not replace the file
            // writes it; a rewrite of the same size keeps only its new time.
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(bytes), bytes.size());
            QVERIFY(file.setFileTime(was.addSecs(2), QFileDevice::FileModificationTime));
        });
        cZip zip;
        zip.setZipFile(archivePath());
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.AddFileSpec(reportFile(QStringLiteral("P2023.txt")));
        zip.Zip();
        cZip::setPackingHook({});
        QCOMPARE(begun, (QStringList{"M2023.txt", "P2023.txt"}));
        QVERIFY(!zip.Success());
        QCOMPARE(zip.FailedFile(), target);
        QVERIFY2(zip.FailureReason().startsWith(reason), qPrintable(zip.FailureReason()));
        QCOMPARE(TestSupport::readFile(archivePath()), QByteArray("older"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"ZelFiles2023.zip"});
    }

    // The archive is written only when it is closed; a close that cannot
    // write is a failure.
    void failedCloseIsAFailure() {
        cZip zip;
        zip.setZipFile(m_dir->filePath(QStringLiteral("no-such-folder/out.zip")));
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.Zip();
        QVERIFY(!zip.Success());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("no-such-folder/out.zip"))));
    }

    void cancelStopsTheRun() {
        cZip zip;
        zip.setZipFile(archivePath());
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.AddFileSpec(reportFile(QStringLiteral("P2023.txt")));
        connect(&zip, &cZip::Cancel, this, [](const QString& name, bool& cancel) { cancel = name == "P2023.txt"; });
        zip.Zip();
        QVERIFY(!zip.Success());
        QVERIFY(!QFile::exists(archivePath()));
    }

    // Nothing answers the comment request in the system, which cancels; an
    // answer longer than the field is cut to 255 bytes.
    void commentRequest() {
        cZip zip;
        zip.setZipFile(archivePath());
        zip.setAddComment(true);
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.Zip();
        QVERIFY(!zip.Success());
        connect(&zip, &cZip::CommentRequest, this, [](QString& comment, bool&) { comment = QString(300, 'c'); });
        zip.Zip();
        QVERIFY(zip.Success());
        QString comment;
        readArchive(archivePath(), &comment);
        QCOMPARE(comment, QString(255, 'c'));
        // Characters beyond ASCII are kept, and still count one each.
        const QString accented = QStringLiteral("Caf\u00e9 \u20ac") + QString(300, 'x');
        disconnect(&zip, &cZip::CommentRequest, this, nullptr);
        connect(&zip, &cZip::CommentRequest, this, [&](QString& text, bool&) { text = accented; });
        zip.Zip();
        QVERIFY(zip.Success());
        readArchive(archivePath(), &comment);
        QCOMPARE(comment, accented.left(255));
    }

    void tooManyFilesRaiseBeforeWriting() {
        cZip zip;
        zip.setZipFile(archivePath());
        for (int i = 0; i < cZip::MaxFileSpecs; ++i) zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.AddFileSpec(reportFile(QStringLiteral("P2023.txt")));
        const Vezedad::ErrorInfo e = TestSupport::raisedBy([&] { zip.Zip(); });
        QCOMPARE(e.Number(), 9);
        QVERIFY(!QFile::exists(archivePath()));
    }

    void deleteRemovesNamedEntries() {
        cZip zip;
        zip.setZipFile(archivePath());
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.AddFileSpec(reportFile(QStringLiteral("P2023.txt")));
        zip.Zip();
        QVERIFY(zip.Success());
        zip.ClearFileSpecs();
        zip.AddFileSpec(reportFile(QStringLiteral("M2023.txt")));
        zip.Delete();
        QCOMPARE(readArchive(archivePath()).keys(), QStringList{"P2023.txt"});
    }

private:
    QString reportFile(const QString& name) const { return m_dir->filePath(QStringLiteral("reports/") + name); }
    QString archivePath() const { return m_dir->filePath(QStringLiteral("ZelFiles2023.zip")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_zip)
#include "tst_zip.moc"
