#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <functional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using ZozedizIZ::EpaDataItem;
using ZozedizIZ::EpaDataItemPtr;
using ZozedizIZ::EpaDataList;

namespace {

QString listPath() {
    return Vezedad::Globals::FSO().BuildPath(Vezedad::Globals::Configuration().ResourcePath(),
                                             QStringLiteral("EpaList.txt"));
}

QByteArray fixture(const char* name) { return TestSupport::readFile(QStringLiteral(TEST_DATA_DIR "/") + name); }

QStringList numbers(const EpaDataList& list) {
    QStringList out;
    for (const EpaDataItemPtr& item : list) out << item->EpaRegNumber();
    return out;
}

QStringList names(const EpaDataList& list) {
    QStringList out;
    for (const EpaDataItemPtr& item : list) out << item->ProductName();
    return out;
}

// A file that exists but that nobody, root included, can open for reading.
bool makeSocketFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof(address.sun_path)) return false;
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (fd >= 0) ::close(fd);
    return bound;
}

const QByteArray kMixedSaved = "100-2|Name A\r\n111-1|First\r\n200-20|Caf\xe9 Cr\xe8me\r\n333-3|Later name\r\n"
                               "555-5|\r\nsln-ny-7|Local need\r\n";

} // namespace

class tst_epalist : public QObject {
    Q_OBJECT

    EpaDataList& list() { return ZozedizIZ::Globals::EpaList(); }

    // The list read from a file holding products 111-1 Alpha and 222-2 Beta.
    EpaDataList& twoProducts() {
        TestSupport::writeFile(listPath(), "222-2|Beta\r\n111-1|Alpha\r\n");
        list().Read();
        return list();
    }

private Q_SLOTS:
    void init() {
        ZozedizIZ::Globals::Release();
        const QString path = listPath();
        QFile::remove(path);
        QDir(path).removeRecursively();
        QCOMPARE(list().Count(), 0);
    }

    void cleanupTestCase() { ZozedizIZ::Globals::Release(); }

    void onePerThreadMadeOnFirstUseFromTheFile() {
        TestSupport::writeFile(listPath(), fixture("EpaList_mixed.txt"));
        ZozedizIZ::Globals::Release();
        EpaDataList& first = ZozedizIZ::Globals::EpaList();
        QCOMPARE(&first, &ZozedizIZ::Globals::EpaList());
        QCOMPARE(first.Count(), 6);
        QVERIFY(!first.IsDirty());
        QCOMPARE(first.FilePath(), listPath());
    }

    void keptInOrdinalOrderOfNumber() {
        for (const char* number : {"111-1", "333-3", "222-2", "000-1"}) list().Add(QString::fromLatin1(number), "x");
        QCOMPARE(numbers(list()), (QStringList{"000-1", "111-1", "222-2", "333-3"}));
        // Character codes, not numbers and not letter case, decide.
        for (const char* number : {"9-9", "SLN-NY-1", "1234567890", "10-1"})
            list().Add(QString::fromLatin1(number), "y");
        QCOMPARE(numbers(list()),
                 (QStringList{"000-1", "10-1", "111-1", "1234567890", "222-2", "333-3", "9-9", "SLN-NY-1"}));
        QCOMPARE(list().Item(1)->EpaRegNumber(), QStringLiteral("000-1"));
        QCOMPARE(list().Item(8)->EpaRegNumber(), QStringLiteral("SLN-NY-1"));
        QVERIFY(!list().Item(0));
        QVERIFY(!list().Item(9));
    }

    // A read file's products stand in the order adding them would give,
    // also where keys agree in their first eight characters or are long.
    void aReadFileIsInOrdinalOrder() {
        const QStringList keys{"12345-1234-12", "12345-1234-1",    "12345-1234", "12345-123", "1234567890",
                               "12345678901",   "123456789012345", "SLN-NY-12",  "SLN-NY-1",  "9-9",
                               "100-1",         "100-10",          "100-1-1",    "1-EUP-22",  "1-EUP-2"};
        QByteArray file;
        for (qsizetype i = keys.size() - 1; i >= 0; i -= 2) file += keys[i].toLatin1() + "|p\r\n";
        for (qsizetype i = keys.size() - 2; i >= 0; i -= 2) file += keys[i].toLatin1() + "|q\r\n";
        TestSupport::writeFile(listPath(), file);
        QCOMPARE(list().Read(), int(keys.size()));
        QStringList sorted = keys;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(numbers(list()), sorted);
    }

    void numbersAreNormalisedAndKeysIgnoreCase() {
        EpaDataItem item;
        item.setEpaRegNumber(QStringLiteral("12345/67"));
        QCOMPARE(item.EpaRegNumber(), QStringLiteral("12345-67"));
        item.setEpaRegNumber(QStringLiteral("12"));
        QCOMPARE(item.EpaRegNumber(), QStringLiteral("12345-67"));

        const EpaDataItemPtr stored = list().Add(QStringLiteral("sln ny 5"), QStringLiteral("Local"));
        QCOMPARE(stored->EpaRegNumber(), QStringLiteral("sln-ny-5"));
        QVERIFY(list().Exists(QStringLiteral("SLN-NY-5")));
        QCOMPARE(list().Item(QStringLiteral("SLN-NY-5")), stored);
        QVERIFY(!list().Exists(QStringLiteral("sln ny 5"))); // keys are not normalised
        QVERIFY(!list().Item(QStringLiteral("nothing")));

        // The same number in other letters is the same product.
        auto other = std::make_shared<EpaDataItem>();
        other->setEpaRegNumber(QStringLiteral("SLN-NY-5"));
        other->setProductName(QStringLiteral("Renamed"));
        QCOMPARE(list().AddItem(other), stored);
        QCOMPARE(list().Count(), 1);
        QCOMPARE(stored->EpaRegNumber(), QStringLiteral("sln-ny-5"));
        QCOMPARE(stored->ProductName(), QStringLiteral("Renamed"));

        list().Remove(QStringLiteral("SLN-NY-5"));
        QCOMPARE(list().Count(), 0);
    }

    // Several products without a number would collapse into one that the
    // next save writes without its number.
    void productsWithoutNumberAreRefused() {
        QVERIFY(!list().Add(QStringLiteral("not a number"), QStringLiteral("Junk")));
        QVERIFY(!list().AddItem(std::make_shared<EpaDataItem>()));
        QVERIFY(!list().AddItem(nullptr));
        QVERIFY(!list().Edit(QStringLiteral("12"), QStringLiteral("Junk")));
        QCOMPARE(list().Count(), 0);
        QVERIFY(!list().IsDirty());
    }

    void editOfAMissingPositionRaises() {
        twoProducts();
        QCOMPARE(TestSupport::raisedBy([&] { list().Edit(3, QStringLiteral("x")); }).Number(), 9);
        QVERIFY(list().Edit(2, QStringLiteral("Beta 2")));
        QCOMPARE(list().Item(QStringLiteral("222-2"))->ProductName(), QStringLiteral("Beta 2"));
    }

    void replaceItemMovesAndMerges() {
        twoProducts();
        list().Add(QStringLiteral("333-3"), QStringLiteral("Gamma"));
        QVERIFY(list().ReplaceItem(QStringLiteral("111-1"), QStringLiteral("444-4"), QStringLiteral("Alpha")));
        QCOMPARE(numbers(list()), (QStringList{"222-2", "333-3", "444-4"}));
        // Onto another product's number: one product stays, with the new name.
        QVERIFY(list().ReplaceItem(QStringLiteral("444-4"), QStringLiteral("222-2"), QStringLiteral("Merged")));
        QCOMPARE(numbers(list()), (QStringList{"222-2", "333-3"}));
        QCOMPARE(list().Item(QStringLiteral("222-2"))->ProductName(), QStringLiteral("Merged"));
        // A number that cannot be filed does not cost the old product.
        QVERIFY(!list().ReplaceItem(QStringLiteral("333-3"), QStringLiteral("12"), QStringLiteral("Lost?")));
        QCOMPARE(list().Item(QStringLiteral("333-3"))->ProductName(), QStringLiteral("Gamma"));
    }

    void isDirtyAndResults_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("result"); // -1 when the operation gives none
        QTest::addColumn<bool>("dirty");
        QTest::newRow("add a new product") << "add new" << -1 << true;
        QTest::newRow("add the same product") << "add same" << -1 << false;
        QTest::newRow("add a name differing in case") << "add case" << -1 << false;
        QTest::newRow("add another name") << "add other" << -1 << true;
        QTest::newRow("edit, name differing in case") << "edit case" << 1 << true;
        QTest::newRow("edit, same name") << "edit same" << 0 << false;
        QTest::newRow("edit, unknown number") << "edit unknown" << 1 << true;
        QTest::newRow("remove a missing product") << "remove missing" << -1 << false;
        QTest::newRow("remove a missing position") << "remove position" << -1 << false;
        QTest::newRow("remove a product") << "remove" << -1 << true;
        QTest::newRow("clear") << "clear" << -1 << true;
        QTest::newRow("clear an empty list") << "clear empty" << -1 << false;
        QTest::newRow("replace, same number and name") << "replace same" << 0 << false;
        QTest::newRow("replace, same number, new name") << "replace name" << 1 << true;
        QTest::newRow("replace, new number") << "replace number" << 1 << true;
        QTest::newRow("read after a change") << "read" << 2 << false;
        QTest::newRow("save after a change") << "save" << 1 << false;
    }

    void isDirtyAndResults() {
        QFETCH(QString, operation);
        QFETCH(int, result);
        QFETCH(bool, dirty);
        EpaDataList& l = twoProducts();
        QVERIFY(!l.IsDirty());
        const QString alpha = QStringLiteral("111-1");
        const QHash<QString, std::function<int()>> operations{
            {"add new", [&] { return l.Add("333-3", "Gamma"), -1; }},
            {"add same", [&] { return l.Add(alpha, "Alpha"), -1; }},
            {"add case", [&] { return l.Add(alpha, "ALPHA"), -1; }},
            {"add other", [&] { return l.Add(alpha, "Other"), -1; }},
            {"edit case", [&] { return int(l.Edit(alpha, "ALPHA")); }},
            {"edit same", [&] { return int(l.Edit(alpha, "Alpha")); }},
            {"edit unknown", [&] { return int(l.Edit("444-4", "Delta")); }},
            {"remove missing", [&] { return l.Remove("999-9"), -1; }},
            {"remove position", [&] { return l.Remove(3), -1; }},
            {"remove", [&] { return l.Remove(1), -1; }},
            {"clear", [&] { return l.Clear(), -1; }},
            {"clear empty",
             [&] {
                 l.Clear();
                 l.Save();
                 l.Clear();
                 return -1;
             }},
            {"replace same", [&] { return int(l.ReplaceItem(alpha, alpha, "Alpha")); }},
            {"replace name", [&] { return int(l.ReplaceItem(alpha, alpha, "New")); }},
            {"replace number", [&] { return int(l.ReplaceItem(alpha, "555-5", "Alpha")); }},
            {"read",
             [&] {
                 l.Add("333-3", "Gamma");
                 return int(l.Read());
             }},
            {"save",
             [&] {
                 l.Add("333-3", "Gamma");
                 return int(l.Save());
             }},
        };
        QCOMPARE(operations.value(operation)(), result);
        QCOMPARE(l.IsDirty(), dirty);
        if (operation == QLatin1String("add case")) QCOMPARE(l.Item(alpha)->ProductName(), QStringLiteral("Alpha"));
    }

    // Quotes, a third field, a missing name, blanks and slashes in numbers,
    // refused numbers, repeated numbers and every kind of line end.
    void readsTheFileSortedAndSavesItBack() {
        TestSupport::writeFile(listPath(), fixture("EpaList_mixed.txt"));
        list().Add(QStringLiteral("999-9"), QStringLiteral("Gone after the read"));
        QCOMPARE(list().Read(), 6);
        QVERIFY(!list().IsDirty());
        QCOMPARE(numbers(list()), (QStringList{"100-2", "111-1", "200-20", "333-3", "555-5", "sln-ny-7"}));
        QCOMPARE(names(list()),
                 (QStringList{"Name A", "First", QString::fromUtf8("Café Crème"), "Later name", "", "Local need"}));
        QCOMPARE(list().SkippedLines(), 3);
        const QString notice = list().TakeReadNotice();
        QVERIFY2(notice.startsWith(QStringLiteral("3 lines of the product list file")), qPrintable(notice));
        QVERIFY(list().TakeReadNotice().isEmpty()); // told once

        QVERIFY(list().Save());
        QCOMPARE(TestSupport::readFile(listPath()), kMixedSaved);
        QCOMPARE(list().Read(), 6);
        QCOMPARE(list().SkippedLines(), 0);
        QVERIFY(list().TakeReadNotice().isEmpty());
    }

    // Byte-order marks before line 1 (one for each tool that saved the list
    // "as UTF-8") are no part of the first number: no product is left out,
    // and the save writes the list without them.
    void markBeforeLineOneIsNoData_data() {
        QTest::addColumn<int>("marks");
        QTest::newRow("one mark") << 1;
        QTest::newRow("two marks") << 2;
    }
    void markBeforeLineOneIsNoData() {
        QFETCH(int, marks);
        TestSupport::writeFile(listPath(),
                               QByteArray("\xEF\xBB\xBF").repeated(marks) + "222-2|Beta\r\n111-1|Alpha\r\n");
        QCOMPARE(list().Read(), 2);
        QCOMPARE(list().SkippedLines(), 0);
        QVERIFY(list().Save());
        QCOMPARE(TestSupport::readFile(listPath()), QByteArray("111-1|Alpha\r\n222-2|Beta\r\n"));
    }

    // A list in UTF-8 is read as such, told once, and saved in
    // Windows-1252; a name that Windows-1252 cannot hold stops the save,
    // named. A list in UTF-16 is refused with what to do, and never
    // replaced by the empty list its read left.
    void utf8AndUtf16() {
        TestSupport::writeFile(listPath(), "222-2|Caf\xC3\xA9 \xE2\x82\xAC\r\n111-1|Alpha\r\nx|y\r\n");
        QCOMPARE(list().Read(), 2);
        QCOMPARE(names(list()), (QStringList{"Alpha", QStringLiteral("Caf\u00E9 \u20AC")}));
        QCOMPARE(list().TakeReadNotice(),
                 QStringLiteral("The product list file ") + listPath() +
                     QStringLiteral(" is UTF-8 (Unicode) text and was read as such. The list is saved as Windows-1252 "
                                    "(\"ANSI\") text, and a character that Windows-1252 cannot hold is named before "
                                    "anything is saved.\r\n\r\n1 line of the product list file ") +
                     listPath() +
                     QStringLiteral(" had no valid EPA Registration Number and was left out of the list.\r\nSaving "
                                    "the list will remove it from the file."));
        QVERIFY(list().TakeReadNotice().isEmpty());
        QVERIFY(list().Save());
        QCOMPARE(TestSupport::readFile(listPath()), QByteArray("111-1|Alpha\r\n222-2|Caf\xE9 \x80\r\n"));

        TestSupport::writeFile(listPath(), "111-1|\xC5\x81\xC3\xB3"
                                           "d\xC5\xBA\r\n");
        QCOMPARE(list().Read(), 1);
        const Vezedad::ErrorInfo refused = TestSupport::raisedBy([&] { list().Save(); });
        QVERIFY2(refused.Description().contains(
                     QStringLiteral("The name of product 111-1 holds the character \"\u0141\" (U+0141)")),
                 qPrintable(refused.Description()));

        const QByteArray utf16("\xFF\xFE"
                               "1\0|\0",
                               6);
        TestSupport::writeFile(listPath(), utf16);
        QCOMPARE(list().Read(), 0);
        QVERIFY(list().ReadFailed());
        const QString notice = list().TakeReadNotice();
        QVERIFY2(notice.contains(QStringLiteral("is Unicode text (UTF-16, little-endian)")), qPrintable(notice));
        list().Add(QStringLiteral("111-1"), QStringLiteral("Alpha"));
        QVERIFY(TestSupport::raisedBy([&] { list().Save(); }).Number() != 0);
        QCOMPARE(TestSupport::readFile(listPath()), utf16);
    }

    void savingAnEmptyListEmptiesTheFile() {
        TestSupport::writeFile(listPath(), "111-1|Alpha\r\n");
        list().Read();
        list().Clear();
        QVERIFY(list().Save());
        QVERIFY(QFile::exists(listPath()));
        QCOMPARE(TestSupport::readFile(listPath()), QByteArray());
    }

    void saveFailuresKeepTheOldFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("innerSource");
        QTest::newRow("the path is a folder") << "folder" << 75 << "Path/File access error: "
                                              << "FileSystemObject";
        QTest::newRow("a character outside the code page")
            << "character" << qint32(Vezedad::errInvalidPropertyValue)
            << "The name of product 100-2 holds the character \"\u03a9\" (U+03A9), which the file cannot hold"
            << "ZozedizIZ";
        QTest::newRow("a line break in a name")
            << "line break" << qint32(Vezedad::errInvalidPropertyValue) << "The name of product 100-2 holds"
            << "ZozedizIZ";
    }

    void saveFailuresKeepTheOldFile() {
        QFETCH(QString, kind);
        QFETCH(qint32, number);
        QFETCH(QString, description);
        QFETCH(QString, innerSource);
        const QByteArray old = "111-1|Alpha\r\n";
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(listPath()));
            list().Read();
        } else {
            TestSupport::writeFile(listPath(), old);
            list().Read();
        }
        list().Add(QStringLiteral("100-2"),
                   kind == QLatin1String("character") ? QStringLiteral("Ohm \u03a9") : QStringLiteral("Two\r\nlines"));
        const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { list().Save(); });
        QCOMPARE(error.Number(), number);
        // The list first, then the reason, a sentence that ends once.
        QVERIFY2(error.Description().startsWith(QStringLiteral("The EPA Product List was not saved. ") + description),
                 qPrintable(error.Description()));
        QVERIFY2(error.Description().endsWith(QLatin1Char('.')) && !error.Description().endsWith(QStringLiteral("..")),
                 qPrintable(error.Description()));
        QCOMPARE(error.Source(), QStringLiteral("ZozedizIZ::EpaDataList.Save\r\n-->") + innerSource);
        QVERIFY(list().IsDirty());
        if (kind != QLatin1String("folder")) QCOMPARE(TestSupport::readFile(listPath()), old);
    }

    // A file that is there but cannot be read is never replaced by the empty
    // list its failed read left; once it reads, saving works again.
    void anUnreadableFileIsNotOverwritten() {
        QVERIFY(makeSocketFile(listPath()));
        QCOMPARE(list().Read(), 0);
        QVERIFY(list().ReadFailed());
        QVERIFY(!list().TakeReadNotice().isEmpty());
        list().Add(QStringLiteral("111-1"), QStringLiteral("Alpha"));
        const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { list().Save(); });
        QVERIFY(error.Number() != 0); // the failed read's own number
        QVERIFY2(error.Description().startsWith(
                     QStringLiteral("The EPA Product List was not saved. The product list file could not be read, so "
                                    "it is not overwritten")),
                 qPrintable(error.Description()));
        QVERIFY(error.Description().endsWith(QStringLiteral(").")));
        QVERIFY(error.Source().startsWith(QStringLiteral("ZozedizIZ::EpaDataList.Save\r\n-->")));
        QVERIFY(QFileInfo(listPath()).exists());
        QVERIFY(!QFileInfo(listPath()).isFile());

        QVERIFY(QFile::remove(listPath()));
        TestSupport::writeFile(listPath(), "222-2|Beta\r\n");
        QCOMPARE(list().Read(), 1);
        QVERIFY(!list().ReadFailed());
        list().Add(QStringLiteral("111-1"), QStringLiteral("Alpha"));
        QVERIFY(list().Save());
        QCOMPARE(TestSupport::readFile(listPath()), QByteArray("111-1|Alpha\r\n222-2|Beta\r\n"));
    }

    void fillsListWidgetsAndTables() {
        twoProducts();
        QWidget parent;
        auto* listBox = new QListWidget(&parent);
        listBox->resize(200, 123);
        listBox->addItem(QStringLiteral("old row"));
        list().FillEpaListBox(listBox);
        QCOMPARE(listBox->count(), 2);
        QCOMPARE(listBox->item(0)->text(), QStringLiteral("111-1\tAlpha"));
        QVERIFY(!listBox->isHidden());
        QCOMPARE(listBox->height(), 123);

        auto* table = new QTableWidget(5, 2, &parent);
        list().FillEpaListBox(table);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(1, 0)->text(), QStringLiteral("222-2"));
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("Beta"));
        table->setColumnCount(1);
        list().FillEpaListBox(table);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("111-1\tAlpha"));

        auto* combo = new QComboBox(&parent);
        combo->addItem(QStringLiteral("kept"));
        list().FillEpaListBox(combo);
        QCOMPARE(combo->count(), 1);
        list().FillEpaListBox(nullptr);

        list().Clear();
        list().FillEpaListBox(listBox);
        QCOMPARE(listBox->count(), 0);
        QVERIFY(listBox->isHidden());
        QCOMPARE(listBox->height(), 123);
    }
};

QTEST_MAIN(tst_epalist)
#include "tst_epalist.moc"
