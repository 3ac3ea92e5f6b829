#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/dialogs/GCommonDialog.h"
#include "Vezedad/dialogs/cCommonDialog.h"
#include "Vezedad/dialogs/cMemory.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/ui/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPageSetupDialog>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>

using namespace Vezedad;
namespace Ui = Vezedad::Ui;
using Kind = Ui::DialogKind;
using TestSupport::raisedBy;
using TestSupport::UiScript;

namespace {

// Test texts write a NUL as "~".
QString z(QString text) { return text.replace(QLatin1Char('~'), QChar(u'\0')); }

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

void touch(const QString& path) { TestSupport::writeFile(path, QByteArray()); }

QStringList listed(QListView* view) {
    QStringList names;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        names.append(model->index(row, 0, view->rootIndex()).data().toString());
    names.sort(Qt::CaseInsensitive);
    return names;
}

// Qt's file model lists a folder from a thread of its own and, on a heavily
// loaded machine, now and then never lists it at all (the dialog stays empty
// whatever is done). Such a run says nothing about our code: the caller
// closes the dialog and skips.
bool waitForListing(QListView& view, const QStringList& expected) {
    for (int waited = 0; waited < 30000 && listed(&view) != expected; waited += 50) QTest::qWait(50);
    return listed(&view) == expected;
}

QAbstractButton* okButton(QDialog& dialog) {
    const auto boxes = dialog.findChildren<QDialogButtonBox*>();
    for (QDialogButtonBox* box : boxes)
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole && button->isVisible() && button->isEnabled())
                return button;
    return nullptr;
}

// Presses the dialog's OK (Open, Save, Print, ...) button as a person would,
// once the dialog has made it available.
void pressOk(QDialog& dialog) {
    QTRY_VERIFY(okButton(dialog));
    QTest::mouseClick(okButton(dialog), Qt::LeftButton);
}

// Types into the file dialog's name box, after clicking into it.
void typeName(QDialog& dialog, const QString& text) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(edit->hasFocus(), 30000);
    edit->clear();
    QTest::keyClicks(edit, text);
}

const QString kForm26Filter =
    QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt|Form 26 Text Files (P*.txt)|P*.txt|Excel Files "
                   "(*.xls, *.xlsm, *.xlsx)|*.xls;*.xlsm;*.xlsx|Form 26 Excel Files (P*.xls, P*.xlsm, "
                   "P*.xlsx)|P*.xls;P*.xlsm;P*.xlsx");

// What the help opener was last asked to open, and what it answers.
QString gOpened;
qint32 gOpenResult = 0;
qint32 recordOpen(const QString& target, bool) {
    gOpened = target;
    return gOpenResult;
}

} // namespace

class tst_dialogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The one convention every dialog function keeps: OK, cancel, failure
    // and any other return, with what each leaves in the arguments.
    void resultConvention_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<qint32>("result");
        QTest::addColumn<qint32>("extended");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint32>("apiReturn");
        for (const bool save : {false, true}) {
            const char* kind = save ? "save" : "open";
            QTest::addRow("%s OK", kind) << save << 1 << 0 << true << 1;
            QTest::addRow("%s cancelled", kind) << save << 0 << 0 << false << 0;
            QTest::addRow("%s failed", kind)
                << save << 0 << qint32(FNERR_INVALIDFILENAME) << false << qint32(FNERR_INVALIDFILENAME);
            QTest::addRow("%s general failure", kind) << save << 0 << 65535 << false << 65535;
            QTest::addRow("%s other return", kind) << save << 2 << qint32(CDERR_INITIALIZATION) << false << 2;
        }
    }
    void resultConvention() {
        QFETCH(bool, save);
        QFETCH(qint32, result);
        QFETCH(qint32, extended);
        QFETCH(bool, ok);
        QFETCH(qint32, apiReturn);
        UiScript ui;
        ui.expectDialog(save ? Kind::SaveFile : Kind::OpenFile, [&](Ui::DialogRequest& request) {
            Ui::DialogAnswer answer = Ui::AcceptAsShown(request);
            answer.result = result;
            answer.extendedError = extended;
            answer.files = QStringList{path(QStringLiteral("x.txt"))};
            return answer;
        });
        GCommonDialog dialogs;
        SaveFileArgs saveArgs;
        OpenFileArgs openArgs;
        QString* fileName = save ? &saveArgs.FileName : &openArgs.FileName;
        QString* fileTitle = save ? &saveArgs.FileTitle : &openArgs.FileTitle;
        *fileName = QStringLiteral("start.txt");
        *fileTitle = QStringLiteral("start.txt");
        const bool returned = save ? dialogs.VBGetSaveFileName(saveArgs) : dialogs.VBGetOpenFileName(openArgs);
        const qint32 flags = save ? saveArgs.Flags : openArgs.Flags;
        const qint32 index = save ? saveArgs.FilterIndex : openArgs.FilterIndex;
        const QString filter = save ? saveArgs.Filter : openArgs.Filter;

        QCOMPARE(returned, ok);
        QCOMPARE(dialogs.APIReturn(), apiReturn);
        QCOMPARE(dialogs.ExtendedError(), ok ? 0 : extended);
        QVERIFY(dialogs.ExtendedError() != CDERR_DIALOGFAILURE);
        if (ok) {
            QCOMPARE(*fileName, native(path(QStringLiteral("x.txt"))));
            QCOMPARE(*fileTitle, QStringLiteral("x.txt"));
            QCOMPARE(flags, save ? qint32(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT) : qint32(OFN_FILEMUSTEXIST));
            QCOMPARE(index, 1);
            QCOMPARE(filter, z(QStringLiteral("All (*.*)~ *.*")));
        } else {
            QCOMPARE(*fileName, QString());
            QCOMPARE(*fileTitle, QString());
            QCOMPARE(flags, 0);
            QCOMPARE(index, save ? 0 : -1);
            QCOMPARE(filter, QString());
        }
    }

    // "|" and ":" both separate; the dialog sees pairs of description and
    // patterns and starts on the caller's index; the chosen entry comes back.
    void filters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<qint32>("index");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("returned");
        QTest::newRow("default") << QStringLiteral("All (*.*)| *.*") << 1
                                 << QStringList{QStringLiteral("All (*.*)=*.*")} << 0
                                 << z(QStringLiteral("All (*.*)~ *.*"));
        QTest::newRow("colon splits") << QStringLiteral("Text: reports|*.txt") << 1
                                      << QStringList{QStringLiteral("Text=reports")} << 0
                                      << z(QStringLiteral("Text~ reports"));
        QTest::newRow("form 26 picker")
            << kForm26Filter << 5
            << QStringList{QStringLiteral("All Files (*.*)=*.*"), QStringLiteral("Text Files (*.txt)=*.txt"),
                           QStringLiteral("Form 26 Text Files (P*.txt)=P*.txt"),
                           QStringLiteral("Excel Files (*.xls, *.xlsm, *.xlsx)=*.xls *.xlsm *.xlsx"),
                           QStringLiteral("Form 26 Excel Files (P*.xls, P*.xlsm, P*.xlsx)=P*.xls P*.xlsm P*.xlsx")}
            << 2 << z(QStringLiteral("Form 26 Text Files (P*.txt)~P*.txt"));
    }
    void filters() {
        QFETCH(QString, filter);
        QFETCH(qint32, index);
        QFETCH(QStringList, shown);
        QFETCH(int, chosen);
        QFETCH(QString, returned);
        UiScript ui;
        ui.expectFile(path(QStringLiteral("P1.txt")), chosen);
        OpenFileArgs args;
        args.Filter = filter;
        args.FilterIndex = index;
        QVERIFY(Globals::ComDlg().VBGetOpenFileName(args));
        const Ui::DialogRequest& request = ui.dialogs().at(0);
        QStringList seen;
        for (const Ui::FileFilter& f : request.file.filters)
            seen.append(f.description + QLatin1Char('=') + f.patterns.join(QLatin1Char(' ')));
        QCOMPARE(seen, shown);
        QCOMPARE(request.file.filterIndex, index - 1);
        QCOMPARE(args.FilterIndex, chosen + 1);
        QCOMPARE(args.Filter, returned);

        const QString list = GCommonDialog::FilterList(filter);
        QVERIFY(list.endsWith(z(QStringLiteral("~~"))));
        QCOMPARE(GCommonDialog::FilterLookup(list, chosen + 1), returned);
        QCOMPARE(GCommonDialog::FilterLookup(QString(), 1), QString());
        QCOMPARE(GCommonDialog::FilterLookup(list, 0), QString());
    }

    // The buffers keep their sizes: too long a name raises 5 before any
    // dialog shows; too long a choice fails the dialog; a multi-select OK
    // fills all 8192 characters.
    void buffers() {
        UiScript ui;
        GCommonDialog dialogs;
        OpenFileArgs open;
        open.FileName = QString(261, QLatin1Char('x'));
        ErrorInfo error = raisedBy([&] { dialogs.VBGetOpenFileName(open); });
        QCOMPARE(error.Number(), 5);
        QCOMPARE(error.Source(), QStringLiteral("Vezedad"));
        open.FileName.clear();
        open.FileTitle = QString(261, QLatin1Char('t'));
        QCOMPARE(raisedBy([&] { dialogs.VBGetOpenFileName(open); }).Number(), 5);
        SaveFileArgs save;
        save.FileName = QString(261, QLatin1Char('x'));
        QCOMPARE(raisedBy([&] { dialogs.VBGetSaveFileName(save); }).Number(), 5);
        open.FileTitle.clear();
        open.MultiSelect = true;
        open.FileName = QString(8193, QLatin1Char('x'));
        QCOMPARE(raisedBy([&] { dialogs.VBGetOpenFileName(open); }).Number(), 5);
        QVERIFY(ui.dialogs().isEmpty());

        const QString tooLong = QLatin1Char('/') + QString(259, QLatin1Char('a'));
        ui.expectFile(tooLong);
        ui.expectFile(tooLong.left(259));
        SaveFileArgs chosen;
        QVERIFY(!dialogs.VBGetSaveFileName(chosen));
        QCOMPARE(dialogs.ExtendedError(), qint32(FNERR_BUFFERTOOSMALL));
        QCOMPARE(dialogs.APIReturn(), qint32(FNERR_BUFFERTOOSMALL));
        QVERIFY(dialogs.VBGetSaveFileName(chosen));
        QCOMPARE(chosen.FileName.size(), 259);
    }

    void multiSelectLayout() {
        UiScript ui;
        ui.expectFiles({path(QStringLiteral("a.txt")), path(QStringLiteral("b.txt"))});
        ui.expectFiles({path(QStringLiteral("a.txt"))});
        GCommonDialog dialogs;
        OpenFileArgs args;
        args.MultiSelect = true;
        args.FileTitle = QStringLiteral("kept");
        QVERIFY(dialogs.VBGetOpenFileName(args));
        QCOMPARE(args.FileName.size(), 8192);
        QVERIFY(args.FileName.startsWith(native(m_dir.path()) + z(QStringLiteral("~a.txt~b.txt~~~"))));
        QCOMPARE(args.FileTitle, QStringLiteral("kept"));
        QCOMPARE(ui.dialogs().at(0).flags & (OFN_ALLOWMULTISELECT | OFN_EXPLORER),
                 qint32(OFN_ALLOWMULTISELECT | OFN_EXPLORER));

        cCommonDialog object;
        object.setFileName(args.FileName);
        QString folder;
        QStringList files;
        qint32 count = 0;
        object.ParseMultiFileName(folder, files, count);
        QCOMPARE(folder, native(m_dir.path()));
        QCOMPARE(files, (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
        QCOMPARE(count, 2);

        // One file chosen in a multi-select dialog: its full path.
        QVERIFY(dialogs.VBGetOpenFileName(args));
        QVERIFY(args.FileName.startsWith(native(path(QStringLiteral("a.txt"))) + z(QStringLiteral("~~"))));
    }

    void parseMultiFileName_data() {
        QTest::addColumn<QString>("dirIn");
        QTest::addColumn<QStringList>("filesIn");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("path") << QString() << QStringList() << QStringLiteral("C:\\Data\\x.txt")
                              << QStringLiteral("C:\\Data") << QStringList{QStringLiteral("x.txt")};
        QTest::newRow("drive root") << QString() << QStringList() << QStringLiteral("C:\\x.txt") << QStringLiteral("C:")
                                    << QStringList{QStringLiteral("x.txt")};
        QTest::newRow("name only") << QString() << QStringList() << QStringLiteral("x.txt") << QString()
                                   << QStringList{QStringLiteral("x.txt")};
        QTest::newRow("slashes") << QString() << QStringList() << QStringLiteral("/home/u/x.txt")
                                 << QStringLiteral("/home/u") << QStringList{QStringLiteral("x.txt")};
        QTest::newRow("one of many") << QString() << QStringList() << z(QStringLiteral("C:\\Data\\x.txt~~~~"))
                                     << QString() << QStringList{QStringLiteral("C:\\Data\\x.txt")};
        QTest::newRow("many") << QString() << QStringList() << z(QStringLiteral("C:\\Data~a.txt~b.txt~~"))
                              << QStringLiteral("C:\\Data")
                              << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")};
        QTest::newRow("counting on") << QStringLiteral("D") << QStringList{QStringLiteral("first")}
                                     << z(QStringLiteral("X~a.txt~~")) << QStringLiteral("D")
                                     << QStringList{QStringLiteral("first"), QStringLiteral("X"),
                                                    QStringLiteral("a.txt")};
    }
    void parseMultiFileName() {
        QFETCH(QString, dirIn);
        QFETCH(QStringList, filesIn);
        QFETCH(QString, fileName);
        QFETCH(QString, dir);
        QFETCH(QStringList, files);
        cCommonDialog object;
        object.setFileName(fileName);
        QString sDir = dirIn;
        QStringList sFiles = filesIn;
        qint32 count = qint32(filesIn.size());
        object.ParseMultiFileName(sDir, sFiles, count);
        QCOMPARE(sDir, dir);
        QCOMPARE(sFiles, files);
        QCOMPARE(count, qint32(files.size()));
    }

    void fileTitle_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::newRow("windows path") << QStringLiteral("C:\\Data\\x.txt") << QStringLiteral("x.txt");
        QTest::newRow("unix path") << QStringLiteral("/home/u/r.txt") << QStringLiteral("r.txt");
        QTest::newRow("drive relative") << QStringLiteral("C:x.txt") << QStringLiteral("x.txt");
        QTest::newRow("colon in a name") << QStringLiteral("reports/b:c.txt") << QStringLiteral("b:c.txt");
        QTest::newRow("colon in a folder") << QStringLiteral("/r/b:c/x.txt") << QStringLiteral("x.txt");
        QTest::newRow("colon in a bare name") << QStringLiteral("ab:c.txt") << QStringLiteral("ab:c.txt");
        QTest::newRow("folder") << QStringLiteral("C:\\Data\\") << QString();
        QTest::newRow("wildcard") << QStringLiteral("P*.txt") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void fileTitle() {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QCOMPARE(Globals::ComDlg().VBGetFileTitle(file), title);
    }

    // With the hook the dialog's doings reach the owner as events; a refused
    // OK keeps the dialog open. Without it nothing is raised.
    void hookRaisesEvents() {
        UiScript ui;
        ui.expectFile(path(QStringLiteral("a.txt")), 1);
        ui.expectFile(path(QStringLiteral("b.txt")));
        ui.expectFile(path(QStringLiteral("c.txt")));
        cCommonDialog object;
        object.setFilter(QStringLiteral("A|*.a|B|*.b"));
        QStringList events;
        int oks = 0;
        connect(&object, &cCommonDialog::InitDialog, this, [&] { events << QStringLiteral("init"); });
        connect(&object, &cCommonDialog::FolderChange, this, [&] { events << QStringLiteral("folder"); });
        connect(&object, &cCommonDialog::TypeChange, this, [&] { events << QStringLiteral("type"); });
        connect(&object, &cCommonDialog::FileChange, this, [&] { events << QStringLiteral("file"); });
        connect(&object, &cCommonDialog::DialogOK, this, [&](bool& cancel) {
            events << QStringLiteral("ok");
            cancel = oks++ == 0;
        });
        connect(&object, &cCommonDialog::DialogClose, this, [&] { events << QStringLiteral("close"); });
        object.setHookDialog(true);
        object.ShowOpen();
        QCOMPARE(events, (QStringList{QStringLiteral("init"), QStringLiteral("folder"), QStringLiteral("type"),
                                      QStringLiteral("file"), QStringLiteral("ok"), QStringLiteral("folder"),
                                      QStringLiteral("file"), QStringLiteral("ok"), QStringLiteral("close")}));
        QCOMPARE(object.FileName(), native(path(QStringLiteral("b.txt"))));
        QVERIFY(ui.dialogs().at(0).flags & OFN_ENABLEHOOK);
        QVERIFY(ui.dialogs().at(0).flags & OFN_EXPLORER);

        events.clear();
        object.setHookDialog(false);
        object.setFlags(0);
        object.ShowOpen();
        QVERIFY(events.isEmpty());
        QCOMPARE(ui.dialogs().at(1).flags & OFN_ENABLEHOOK, 0);
    }

    // The hook's message table, and no sink once the dialog has returned.
    void dialogHookRoutesMessages() {
        UiScript ui;
        GCommonDialog dialogs;
        cCommonDialog sink;
        QList<qint32> commands;
        bool refuse = false;
        connect(&sink, &cCommonDialog::WMCommand, this,
                [&](qint32 hDlg, qint32& wParam, qint32& lParam) { commands << hDlg << wParam << lParam; });
        connect(&sink, &cCommonDialog::DialogOK, this, [&](bool& cancel) { cancel = refuse; });
        const auto notify = [&](qint32 code) {
            NotifyHeader header{7, 0, code};
            return dialogs.DialogHook(7, WM_NOTIFY, 0, reinterpret_cast<qintptr>(&header));
        };
        QCOMPARE(dialogs.DialogHook(7, WM_COMMAND, 3, 4), QVariant());
        ui.expectDialog(Kind::Color, [&](Ui::DialogRequest& request) {
            [&] {
                QCOMPARE(dialogs.DialogHook(7, WM_INITDIALOG, 0, 0), QVariant(0));
                QCOMPARE(dialogs.DialogHook(7, WM_COMMAND, 3, 4), QVariant());
                QCOMPARE(notify(-600), QVariant());
                QCOMPARE(notify(CDN_FILEOK), QVariant());
                refuse = true;
                QCOMPARE(notify(CDN_FILEOK), QVariant(1));
            }();
            return Ui::AcceptAsShown(request);
        });
        ChooseColorArgs args;
        args.Hook = true;
        args.EventSink = &sink;
        QVERIFY(dialogs.VBChooseColor(args));
        QCOMPARE(ui.dialogs().at(0).flags & CC_ENABLEHOOK, qint32(CC_ENABLEHOOK));
        QCOMPARE(commands, (QList<qint32>{7, 3, 4}));
        QCOMPARE(dialogs.DialogHook(7, WM_COMMAND, 3, 4), QVariant());
        QCOMPARE(commands.size(), 3);
    }

    // Owner handles are window ids; -1, 0 and unknown ids name no window.
    void ownersAreWindowIds() {
        QWidget window;
        const qint32 handle = Ui::HandleOfWindow(&window);
        QVERIFY(handle != 0);
        QCOMPARE(Ui::WindowFromHandle(handle), &window);
        QCOMPARE(Ui::WindowFromHandle(-1), nullptr);
        QCOMPARE(Ui::WindowFromHandle(0), nullptr);
        QCOMPARE(Ui::WindowFromHandle(handle + 1000), nullptr);
        UiScript ui;
        ui.expectDialogCancel();
        ui.expectDialogCancel();
        OpenFileArgs args;
        args.Owner = handle;
        Globals::ComDlg().VBGetOpenFileName(args);
        args.Owner = -1;
        Globals::ComDlg().VBGetOpenFileName(args);
        QCOMPARE(ui.dialogs().at(0).owner, &window);
        QCOMPARE(ui.dialogs().at(1).owner, nullptr);
    }

    void customColors() {
        GCommonDialog dialogs;
        QCOMPARE(dialogs.CustomColor(5), Ui::SystemColor(5));
        QCOMPARE(dialogs.CustomColor(16), -1);
        QCOMPARE(dialogs.CustomColor(-1), -1);
        QList<qint32> before;
        for (qint16 i = 0; i < 16; ++i) before << dialogs.CustomColor(i);
        dialogs.setCustomColor(-1, 0x123456);
        dialogs.setCustomColor(16, 0x123456);
        for (qint16 i = 0; i < 16; ++i) QCOMPARE(dialogs.CustomColor(i), before.at(i));
        dialogs.setCustomColor(2, 0x0000FF);

        UiScript ui;
        const QColor buttonFace = QApplication::palette().color(QPalette::Button);
        ui.expectDialog(Kind::Color, [&](Ui::DialogRequest& request) {
            Ui::DialogAnswer answer = Ui::AcceptAsShown(request);
            [&] {
                QCOMPARE(request.color.customColors[2], QColor(255, 0, 0));
                QCOMPARE(request.color.color, buttonFace);
            }();
            answer.customColors[3] = QColor(0, 255, 0);
            answer.color = QColor(0x11, 0x22, 0x33);
            return answer;
        });
        ui.expectDialog(Kind::Color, [&](Ui::DialogRequest& request) {
            [&] { QCOMPARE(request.color.customColors[3], QColor(0, 255, 0)); }();
            return Ui::DialogAnswer::cancelled();
        });
        ChooseColorArgs args;
        args.Color = qint32(0x8000000Fu);
        QVERIFY(dialogs.VBChooseColor(args));
        QCOMPARE(args.Color, 0x332211);
        QCOMPARE(dialogs.CustomColor(3), 0x00FF00);
        QCOMPARE(ui.dialogs().at(0).flags, qint32(CC_AnyColor | CC_RGBInit));
        args.AnyColor = false;
        args.FullOpen = true;
        args.DisableFullOpen = true;
        args.Flags = CC_ENABLEHOOK | CC_ENABLETEMPLATE;
        QVERIFY(!dialogs.VBChooseColor(args));
        QCOMPARE(args.Color, -1);
        QCOMPARE(dialogs.APIReturn(), 0);
        QCOMPARE(ui.dialogs().at(1).flags, qint32(CC_SolidColor | CC_RGBInit | CC_FullOpen | CC_PreventFullOpen));
    }

    void colorValues() {
        QCOMPARE(Ui::OleFromColor(QColor(0x11, 0x22, 0x33)), 0x332211);
        QCOMPARE(Ui::ColorFromOle(0x332211), QColor(0x11, 0x22, 0x33));
        QCOMPARE(Ui::ColorFromOle(qint32(0x80000005u)), QApplication::palette().color(QPalette::Base));
        QVERIFY(!Ui::ColorFromOle(qint32(0x8000001Fu)).isValid());
        QVERIFY(!Ui::ColorFromOle(-1).isValid());
        QCOMPARE(Ui::OleFromColor(QColor()), -1);

        // A system colour starts the property-style dialog on its value.
        UiScript ui;
        ui.expectDialogCancel();
        cCommonDialog object;
        object.setColor(qint32(0x8000000Fu));
        object.ShowColor();
        QCOMPARE(ui.dialogs().at(0).color.color, QApplication::palette().color(QPalette::Button));
        QCOMPARE(object.Color(), qint32(0x8000000Fu));
    }

    void fontFlags_data() {
        QTest::addColumn<qint32>("color");
        QTest::addColumn<qint32>("minSize");
        QTest::addColumn<qint32>("flagsIn");
        QTest::addColumn<qint32>("printerDC");
        QTest::addColumn<qint32>("flagsSent");
        QTest::addColumn<bool>("effects");
        const qint32 base = CF_ScreenFonts | CF_InitToLogFontStruct;
        QTest::newRow("black") << 0 << 0 << 0 << -1 << base << false;
        QTest::newRow("coloured") << 0xFF << 0 << 0 << -1 << (base | CF_EFFECTS) << true;
        QTest::newRow("effects asked") << 0 << 0 << qint32(CF_EFFECTS) << -1 << (base | CF_EFFECTS) << true;
        QTest::newRow("size limit") << 0 << 8 << 0 << -1 << (base | CF_LimitSize) << false;
        QTest::newRow("printer") << 0 << 0 << 0 << 5 << qint32(CF_PrinterFonts | CF_InitToLogFontStruct) << false;
        QTest::newRow("apply, hook and template dropped")
            << 0 << 0 << qint32(CF_Apply | CF_EnableHook | CF_EnableTemplate) << -1 << base << false;
    }
    void fontFlags() {
        QFETCH(qint32, color);
        QFETCH(qint32, minSize);
        QFETCH(qint32, flagsIn);
        QFETCH(qint32, printerDC);
        QFETCH(qint32, flagsSent);
        QFETCH(bool, effects);
        UiScript ui;
        ui.expectDialogCancel();
        ChooseFontArgs args;
        args.CurFont = std::make_shared<StdFont>();
        args.Color = color;
        args.MinSize = minSize;
        args.Flags = flagsIn;
        args.PrinterDC = printerDC;
        QVERIFY(!Globals::ComDlg().VBChooseFont(args));
        QCOMPARE(args.Flags, flagsSent);
        QCOMPARE(ui.dialogs().at(0).flags, flagsSent);
        QCOMPARE(ui.dialogs().at(0).font.effects, effects);
        QCOMPARE(ui.dialogs().at(0).font.limitSize, minSize != 0);
    }

    // The chosen font comes back into the same object; the face name stops
    // at its first NUL; the weight decides boldness; styles the dialog did
    // not offer stay as they were.
    void fontChoice() {
        UiScript ui;
        auto font = std::make_shared<StdFont>();
        font->setName(QStringLiteral("Arial"));
        font->setSize(10.5);
        font->setBold(true);
        font->setUnderline(true);
        ui.expectDialog(Kind::Font, [&](Ui::DialogRequest& request) {
            [&] {
                QCOMPARE(request.font.font.pointSizeF(), 10.5);
                QCOMPARE(request.font.font.weight(), 700);
                QVERIFY(request.font.font.underline());
            }();
            Ui::DialogAnswer answer = Ui::AcceptAsShown(request);
            QFont chosen(QStringLiteral("Courier") + QString(24, QChar(u'\0')));
            chosen.setPointSizeF(11.5);
            chosen.setWeight(QFont::DemiBold);
            chosen.setItalic(true);
            chosen.setUnderline(false);
            answer.font = chosen;
            answer.fontColor = Qt::red;
            return answer;
        });
        ChooseFontArgs args;
        args.CurFont = font;
        QVERIFY(Globals::ComDlg().VBChooseFont(args));
        QCOMPARE(font->Name(), QStringLiteral("Courier"));
        QCOMPARE(font->Size(), 11.5);
        QVERIFY(font->Italic());
        QCOMPARE(font->Weight(), qint16(600));
        QVERIFY(font->Bold());
        QVERIFY(font->Underline());
        QCOMPARE(args.Color, 0);

        ui.expectFont(QFont(QStringLiteral("Courier"), 9), Qt::blue);
        cCommonDialog object;
        object.setFont(font);
        object.setFontColor(0x0000FF);
        object.ShowFont();
        QCOMPARE(object.Font(), font);
        QCOMPARE(object.FontSize(), 9);
        QCOMPARE(object.FontColor(), 0xFF0000);
        QVERIFY(object.Flags() & CF_EFFECTS);
    }

    // Page numbers are 16-bit both ways: outside that range nothing shows;
    // 65535 comes back as -1.
    void printPages_data() {
        QTest::addColumn<qint32>("fromPage");
        QTest::addColumn<qint32>("toPage");
        QTest::addColumn<int>("sentTo");
        QTest::addColumn<int>("answerTo");
        QTest::addColumn<qint32>("returnedTo");
        QTest::newRow("defaults") << 1 << -1 << 65535 << 65535 << -1;
        QTest::newRow("above 32767") << 1 << 10 << 10 << 40000 << -25536;
        QTest::newRow("from overflows") << 40000 << 1 << 0 << 0 << 0;
        QTest::newRow("to overflows") << 1 << -40000 << 0 << 0 << 0;
    }
    void printPages() {
        QFETCH(qint32, fromPage);
        QFETCH(qint32, toPage);
        QFETCH(int, sentTo);
        QFETCH(int, answerTo);
        QFETCH(qint32, returnedTo);
        UiScript ui;
        PrintDlgArgs args;
        args.FromPage = fromPage;
        args.ToPage = toPage;
        if (sentTo == 0) {
            const ErrorInfo error = raisedBy([&] { Globals::ComDlg().VBPrintDlg(args); });
            QCOMPARE(error.Number(), 6);
            QVERIFY(ui.dialogs().isEmpty());
            return;
        }
        Ui::PrinterChoice choice;
        choice.range = eprPageNumbers;
        choice.fromPage = 2;
        choice.toPage = quint16(answerTo);
        ui.expectPrint(choice);
        QVERIFY(Globals::ComDlg().VBPrintDlg(args));
        QCOMPARE(int(ui.dialogs().at(0).print.toPage), sentTo);
        QCOMPARE(args.FromPage, 2);
        QCOMPARE(args.ToPage, returnedTo);
        QCOMPARE(args.PrintRange, qint32(eprPageNumbers));
        QVERIFY(args.Flags & PD_PAGENUMS);
    }

    // Copies, collation and the device's settings come back into the
    // arguments, the printer object and the printer names.
    void printSettings() {
        UiScript ui;
        Ui::PrinterChoice choice;
        choice.name = QStringLiteral("Office");
        choice.driver = QStringLiteral("Laser");
        choice.port = QStringLiteral("lp0");
        choice.copies = 3;
        choice.collate = true;
        choice.orientation = eoLandscape;
        choice.paperSize = epsA4;
        choice.printQuality = 600;
        ui.expectPrint(choice);
        GCommonDialog dialogs;
        QObject printer;
        PrintDlgArgs args;
        args.Printer = &printer;
        args.Flags = PD_ENABLEPRINTHOOK | PD_NOWARNING;
        QVERIFY(dialogs.VBPrintDlg(args));
        const qint32 sent = ui.dialogs().at(0).flags;
        QCOMPARE(sent & (PD_USEDEVMODECOPIES | PD_RETURNDC | PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE | PD_NOWARNING),
                 qint32(PD_USEDEVMODECOPIES | PD_RETURNDC | PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE | PD_NOWARNING));
        QCOMPARE(sent & PD_ENABLEPRINTHOOK, 0);
        QCOMPARE(args.Copies, qint16(3));
        QVERIFY(args.Collate);
        QCOMPARE(args.PrintRange, qint32(eprAll));
        QCOMPARE(printer.property("Copies").toInt(), 3);
        QCOMPARE(printer.property("Orientation").toInt(), qint32(eoLandscape));
        QCOMPARE(printer.property("PaperSize").toInt(), qint32(epsA4));
        QCOMPARE(printer.property("PrintQuality").toInt(), 600);
        QCOMPARE(dialogs.PrinterName(), QStringLiteral("Office"));
        QCOMPARE(dialogs.PrinterDriver(), QStringLiteral("Laser"));
        QCOMPARE(dialogs.PrinterOutputPort(), QStringLiteral("lp0"));
        QPrinter* device = dialogs.PrinterForDC(args.hdc);
        QVERIFY(device);
        QCOMPARE(device->copyCount(), 3);
        QCOMPARE(device->pageLayout().orientation(), QPageLayout::Landscape);
        QCOMPARE(device->pageLayout().pageSize().id(), QPageSize::A4);
        QCOMPARE(dialogs.PrinterForDC(args.hdc + 1), nullptr);

        // The property-style dialog derives its arguments from its flags.
        ui.expectDialogCancel();
        cCommonDialog object;
        object.setFlags(PD_NOSELECTION | PD_COLLATE);
        object.setCopies(2);
        object.ShowPrinter();
        const Ui::PrintDialogRequest& asked = ui.dialogs().at(1).print;
        QVERIFY(!asked.pageNumbers);
        QVERIFY(!asked.selection);
        QVERIFY(asked.showPrintToFile);
        QVERIFY(asked.collate);
        QCOMPARE(object.Copies(), 2);
        object.setCopies(40000);
        QCOMPARE(raisedBy([&] { object.ShowPrinter(); }).Number(), 6);
    }

    void pageSetup() {
        UiScript ui;
        ui.expectDialog(Kind::PageSetup, [&](Ui::DialogRequest& request) {
            [&] {
                QVERIFY(!request.page.millimeters);
                QVERIFY(request.page.haveMargins);
                QCOMPARE(request.page.margins, QMarginsF(0.5, 1, 0.75, 1));
                QVERIFY(!request.page.haveMinMargins);
                QCOMPARE(request.flags, qint32(PSD_INTHOUSANDTHSOFINCHES | PSD_MARGINS | PSD_DISABLEPRINTER));
            }();
            Ui::DialogAnswer answer = Ui::AcceptAsShown(request);
            answer.printer.margins = QMarginsF(0.6666, 1, 1, 1.25);
            answer.printer.orientation = eoLandscape;
            answer.printer.paperSize = epsLegal;
            answer.printer.printQuality = 300;
            return answer;
        });
        GCommonDialog dialogs;
        QObject printer;
        PageSetupArgs args;
        args.LeftMargin = 0.5f;
        args.TopMargin = 1;
        args.RightMargin = 0.75f;
        args.BottomMargin = 1;
        args.DisablePrinter = true;
        args.Printer = &printer;
        QVERIFY(dialogs.VBPageSetupDlg2(args));
        QCOMPARE(args.LeftMargin, 0.667f);
        QCOMPARE(args.BottomMargin, 1.25f);
        QCOMPARE(args.Orientation, qint32(eoLandscape));
        QCOMPARE(args.PaperSize, qint32(epsLegal));
        QCOMPARE(args.PrintQuality, 300);
        QCOMPARE(printer.property("PaperSize").toInt(), qint32(epsLegal));
        QCOMPARE(dialogs.APIReturn(), 1);

        // Millimetres keep hundredths; whole numbers for the Long form.
        ui.expectDialog(Kind::PageSetup, [&](Ui::DialogRequest& request) {
            [&] {
                QVERIFY(request.page.millimeters);
                QCOMPARE(request.page.margins.left(), 20.0);
            }();
            Ui::DialogAnswer answer = Ui::AcceptAsShown(request);
            answer.printer.margins = QMarginsF(12.346, 10, 10.5, 10);
            return answer;
        });
        PageSetupLongArgs whole;
        whole.Units = epsuMillimeters;
        whole.LeftMargin = 20;
        QVERIFY(dialogs.VBPageSetupDlg(whole));
        QCOMPARE(whole.LeftMargin, 12);
        QCOMPARE(whole.RightMargin, 10);

        // A cancel changes nothing; a failure is reported like any dialog's.
        ui.expectDialogCancel();
        ui.expectDialogFailure(PDERR_NODEVICES);
        whole.LeftMargin = 20;
        QVERIFY(!dialogs.VBPageSetupDlg(whole));
        QCOMPARE(whole.LeftMargin, 20);
        QCOMPARE(dialogs.APIReturn(), 0);
        QVERIFY(!dialogs.VBPageSetupDlg(whole));
        QCOMPARE(dialogs.ExtendedError(), qint32(PDERR_NODEVICES));
        QCOMPARE(dialogs.APIReturn(), qint32(PDERR_NODEVICES));
    }

    // The property-style dialog's result check: 13450 Or the extended code
    // (not plus), 20001 for a cancel when asked, nothing otherwise.
    void resultCheck_data() {
        QTest::addColumn<int>("show");
        QTest::addColumn<qint32>("extended");
        QTest::addColumn<bool>("cancelError");
        QTest::addColumn<qint32>("number");
        const char* names[] = {"open", "save", "colour", "font", "printer"};
        for (int show = 0; show < 5; ++show) {
            QTest::addRow("%s cancelled quietly", names[show]) << show << 0 << false << 0;
            QTest::addRow("%s cancelled, error asked", names[show]) << show << 0 << true << 20001;
        }
        QTest::newRow("open failed") << 0 << qint32(FNERR_INVALIDFILENAME) << false << 13450;
        QTest::newRow("save general failure") << 1 << 65535 << true << 65535;
        QTest::newRow("colour failed") << 2 << qint32(CCERR_CHOOSECOLORCODES) << false << (13450 | 20480);
        QTest::newRow("font failed") << 3 << qint32(CFERR_MAXLESSTHANMIN) << false << 13450;
        QTest::newRow("printer failed") << 4 << qint32(PDERR_NODEVICES) << false << 13455;
    }
    void resultCheck() {
        QFETCH(int, show);
        QFETCH(qint32, extended);
        QFETCH(bool, cancelError);
        QFETCH(qint32, number);
        UiScript ui;
        ui.expectDialogFailure(extended);
        cCommonDialog object;
        object.setCancelError(cancelError);
        object.setFileName(QStringLiteral("x.txt"));
        const ErrorInfo error = raisedBy([&] {
            switch (show) {
            case 0: object.ShowOpen(); break;
            case 1: object.ShowSave(); break;
            case 2: object.ShowColor(); break;
            case 3: object.ShowFont(); break;
            default: object.ShowPrinter(); break;
            }
        });
        QCOMPARE(error.Number(), number);
        if (number != 0) QCOMPARE(error.Source(), QStringLiteral("Vezedad.cCommonDialog"));
        if (number == 20001) QCOMPARE(error.Description(), QStringLiteral("User selected cancel."));
        if (show < 2) QCOMPARE(object.FileName(), QString());
        if (show == 0) QCOMPARE(object.FilterIndex(), -1);
        if (show == 1) QCOMPARE(object.FilterIndex(), 0);
    }

    void showHelp() {
        const Documentation::ShellOpener realOpener = Documentation::shellOpener();
        Documentation::setShellOpener(&recordOpen);
        cCommonDialog object;
        for (const qint32 command : {qint32(HELP_MULTIKEY), qint32(HELP_SETWINPOS)}) {
            object.setHelpCommand(command);
            const ErrorInfo error = raisedBy([&] { object.ShowHelp(); });
            QCOMPARE(error.Number(), 13705);
            QCOMPARE(error.Description(), QStringLiteral("Invalid WinHelp Command Passed to ShowHelp function."));
            QCOMPARE(error.Source(), QStringLiteral("Vezedad.cCommonDialog"));
        }
        object.setHelpCommand(HELP_CONTENTS);
        object.setHelpFile(path(QStringLiteral("missing.chm")));
        ErrorInfo error = raisedBy([&] { object.ShowHelp(); });
        QCOMPARE(error.Number(), 2);
        QCOMPARE(error.Description(), Utilities::WinAPIError(2));
        QCOMPARE(error.Source(), QStringLiteral("Vezedad.cCommonDialog"));

        const QString helpFile = path(QStringLiteral("guide.html"));
        touch(helpFile);
        object.setHelpFile(helpFile);
        gOpenResult = 0;
        QCOMPARE(raisedBy([&] { object.ShowHelp(); }).Number(), 0);
        QCOMPARE(gOpened, helpFile);
        gOpenResult = 1155;
        QCOMPARE(raisedBy([&] { object.ShowHelp(); }).Number(), 1155);
        gOpened.clear();
        object.setHelpCommand(HELP_QUIT);
        QCOMPARE(raisedBy([&] { object.ShowHelp(); }).Number(), 0);
        QVERIFY(gOpened.isEmpty());
        Documentation::setShellOpener(realOpener);
    }

    // Freeing forgets the handle, so a second free frees nothing.
    void templateLibrary() {
        cCommonDialog object;
        object.cdLoadLibrary(QStringLiteral(TEMPLATE_PLUGIN));
        QVERIFY(object.hInstance() > 0);
        object.cdFreeLibrary();
        QCOMPARE(object.hInstance(), 0);
        object.cdFreeLibrary();
        QCOMPARE(object.hInstance(), 0);
        object.cdLoadLibrary(path(QStringLiteral("no-such-library")));
        QCOMPARE(object.hInstance(), 0);

        // A template bit without a library is dropped before the dialog.
        UiScript ui;
        ui.expectDialogCancel();
        object.setFlags(OFN_ENABLETEMPLATE);
        object.ShowOpen();
        QCOMPARE(ui.dialogs().at(0).flags & OFN_ENABLETEMPLATE, 0);
    }

    void memoryBlock() {
        cMemory memory;
        QCOMPARE(memory.Pointer(), nullptr);
        QCOMPARE(memory.Size(), 0);
        QVERIFY(memory.AllocateMemory(26));
        QCOMPARE(memory.Size(), 26);
        QVERIFY(memory.LockMemory());
        void* address = memory.Pointer();
        QVERIFY(address);
        QVERIFY(!memory.LockMemory());
        QCOMPARE(memory.Pointer(), address);
        QCOMPARE(static_cast<const char*>(address)[25], '\0');

        const quintptr other = GlobalMemory::GlobalAlloc(GPTR, 8);
        memory.setHandle(other);
        QCOMPARE(memory.Handle(), other);
        QCOMPARE(memory.Size(), 8);
        memory.ReleaseDontFreeMemory();
        QCOMPARE(memory.Handle(), quintptr(0));
        QCOMPARE(GlobalMemory::GlobalSize(other), 8);
        QCOMPARE(GlobalMemory::GlobalFree(other), quintptr(0));
        QCOMPARE(GlobalMemory::GlobalFree(other), other);
        QCOMPARE(GlobalMemory::GlobalLock(other), nullptr);
    }

    void centreAndMeasure() {
        QWidget owner;
        owner.setGeometry(100, 80, 400, 300);
        owner.show();
        QDialog dialog;
        dialog.resize(200, 100);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const qint32 hDlg = Ui::HandleOfWindow(&dialog);
        QObject centreTo;
        centreTo.setProperty("hWnd", Ui::HandleOfWindow(&owner));
        cCommonDialog object;
        object.CentreDialog(hDlg, &centreTo);
        const QRect over = owner.frameGeometry();
        QRect frame = dialog.frameGeometry();
        QCOMPARE(frame.topLeft(), QPoint(over.x() + (over.width() - frame.width()) / 2,
                                         over.y() + (over.height() - frame.height()) / 2));

        QObject noWindow;
        object.CentreDialog(hDlg, &noWindow);
        const QRect area = dialog.screen()->availableGeometry();
        frame = dialog.frameGeometry();
        QCOMPARE(frame.topLeft(), QPoint(area.x() + (area.width() - frame.width()) / 2,
                                         area.y() + (area.height() - frame.height()) / 2));
        qint32 left = -1, top = -1, width = -1, height = -1;
        object.GetDialogSize(hDlg, left, top, width, height);
        QCOMPARE(QRect(left, top, width, height), frame);
        object.GetDialogSize(0, left, top, width, height);
        QCOMPARE(width, 0);
        object.SetHelpPosition(1, 2, 3, 4, SW_SHOW);
    }

    void folderPicker() {
        UiScript ui;
        ui.expectFolder(m_dir.path());
        ui.expectDialogCancel();
        QCOMPARE(Ui::BrowseForFolder(0, QStringLiteral("Select A Folder"), QDir::homePath(), false),
                 native(m_dir.path()));
        const Ui::DialogRequest& request = ui.dialogs().at(0);
        QCOMPARE(request.kind, Kind::Folder);
        QCOMPARE(request.title, QStringLiteral("Select A Folder"));
        QCOMPARE(request.file.directory, QDir::homePath());
        QVERIFY(!request.file.allowNewFolder);
        QCOMPARE(Ui::BrowseForFolder(-1, QString()), QString());
    }

    // One instance per thread, made on first use.
    void oneInstancePerThread() {
        GCommonDialog* here = &Globals::ComDlg();
        QCOMPARE(&Globals::ComDlg(), here);
        GCommonDialog* there = nullptr;
        Ui::DialogAnswer offThread;
        QThread* thread = QThread::create([&] {
            there = &Globals::ComDlg();
            // Windows cannot show off the user-interface thread.
            Ui::DialogRequest request;
            offThread = Ui::RunQtDialog(request);
            Globals::Release();
        });
        thread->start();
        QVERIFY(thread->wait(10000));
        delete thread;
        QVERIFY(there && there != here);
        QCOMPARE(offThread.result, 0);
        QCOMPARE(offThread.extendedError, Ui::kGeneralDialogFailure);
    }

    // Qt's own open dialog: the type list matches names whatever their case,
    // and a refused OK keeps it open.
    void realOpenDialog() {
        QTemporaryDir folder;
        for (const char* name : {"p1.TXT", "q.txt", "P2.txt", "notes.doc"})
            touch(folder.filePath(QString::fromLatin1(name)));
        UiScript ui;
        bool missed = false;
        ui.expectRealDialog([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
            QVERIFY(view);
            if (!waitForListing(*view, QStringList{QStringLiteral("p1.TXT"), QStringLiteral("P2.txt")})) {
                missed = true;
                dialog.reject();
                return;
            }
            typeName(dialog, QStringLiteral("p1.TXT"));
            pressOk(dialog);
            QVERIFY(files->isVisible());
            pressOk(dialog);
        });
        cCommonDialog object;
        object.setFilter(QStringLiteral("Form 26 Text Files (P*.txt)|P*.txt|All Files (*.*)|*.*"));
        object.setInitDir(folder.path());
        object.setFlags(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
        object.setHookDialog(true);
        int oks = 0;
        int inits = 0;
        int closes = 0;
        connect(&object, &cCommonDialog::DialogOK, this, [&](bool& cancel) { cancel = oks++ == 0; });
        connect(&object, &cCommonDialog::InitDialog, this, [&] { ++inits; });
        connect(&object, &cCommonDialog::DialogClose, this, [&] { ++closes; });
        object.ShowOpen();
        if (missed) QSKIP("Qt's file model never listed the folder on this loaded machine");
        QCOMPARE(object.FileName(), native(folder.filePath(QStringLiteral("p1.TXT"))));
        QCOMPARE(object.FileTitle(), QStringLiteral("p1.TXT"));
        QCOMPARE(object.FilterIndex(), 1);
        QCOMPARE(object.Filter(), z(QStringLiteral("Form 26 Text Files (P*.txt)~P*.txt")));
        QCOMPARE(oks, 2);
        QCOMPARE(inits, 1);
        QCOMPARE(closes, 1);
    }

    // Replacing a file is asked through the box seam; a typed name gets the
    // default extension; several files come back in the multi-select layout,
    // with the read-only box's choice.
    void realSaveAndMultiSelect() {
        QTemporaryDir folder;
        const QString existing = folder.filePath(QStringLiteral("report.txt"));
        touch(existing);
        touch(folder.filePath(QStringLiteral("a.txt")));
        UiScript ui;
        ui.expectBox(Ui::vbNo);
        ui.expectRealDialog([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            typeName(dialog, QStringLiteral("report.txt"));
            pressOk(dialog);
            QVERIFY(files->isVisible());
            typeName(dialog, QStringLiteral("fresh"));
            pressOk(dialog);
        });
        SaveFileArgs save;
        save.FileName = existing;
        save.DefaultExt = QStringLiteral("txt");
        save.InitDir = folder.path();
        QVERIFY(Globals::ComDlg().VBGetSaveFileName(save));
        QCOMPARE(save.FileName, native(folder.filePath(QStringLiteral("fresh.txt"))));
        QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("report.txt already exists.\nDo you want to replace it?"));

        // A folder of its own: the save dialog above watched the first one.
        QTemporaryDir several;
        touch(several.filePath(QStringLiteral("report.txt")));
        touch(several.filePath(QStringLiteral("a.txt")));
        bool missed = false;
        ui.expectRealDialog([&](QDialog& dialog) {
            // Click the first file, Ctrl+click the second.
            auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
            QVERIFY(view);
            if (!waitForListing(*view, QStringList{QStringLiteral("a.txt"), QStringLiteral("report.txt")})) {
                missed = true;
                dialog.reject();
                return;
            }
            const auto rowOf = [&](const QString& name) {
                const QAbstractItemModel* model = view->model();
                for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
                    if (model->index(row, 0, view->rootIndex()).data().toString() == name)
                        return model->index(row, 0, view->rootIndex());
                return QModelIndex();
            };
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(rowOf(QStringLiteral("a.txt"))).center());
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              view->visualRect(rowOf(QStringLiteral("report.txt"))).center());
            auto* readOnly = dialog.findChild<QCheckBox*>(QStringLiteral("chkReadOnly"));
            QVERIFY(readOnly);
            QCOMPARE(readOnly->text(), QStringLiteral("Open as &read-only"));
            QTest::mouseClick(readOnly, Qt::LeftButton);
            pressOk(dialog);
        });
        OpenFileArgs open;
        open.MultiSelect = true;
        open.InitDir = several.path();
        const bool chosen = Globals::ComDlg().VBGetOpenFileName(open);
        if (missed) QSKIP("Qt's file model never listed the folder on this loaded machine");
        QVERIFY(chosen);
        QVERIFY(open.FileName.startsWith(native(several.path()) + z(QStringLiteral("~a.txt~report.txt~~"))));
        QVERIFY(open.ReadOnly);
        QVERIFY(open.Flags & OFN_READONLY);
    }

    void realFolderDialog() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("reports")));
        UiScript ui;
        ui.expectRealDialog([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            QCOMPARE(files->windowTitle(), QStringLiteral("Select A Folder"));
            QVERIFY(!files->findChild<QToolButton*>(QStringLiteral("newFolderButton"))->isVisible());
            typeName(dialog, QStringLiteral("reports"));
            pressOk(dialog);
        });
        QCOMPARE(Ui::BrowseForFolder(0, QStringLiteral("Select A Folder"), folder.path(), false),
                 native(folder.filePath(QStringLiteral("reports"))));
    }

    void realColorAndFontDialogs() {
        UiScript ui;
        ui.expectRealDialog([&](QDialog& dialog) {
            auto* colors = qobject_cast<QColorDialog*>(&dialog);
            QVERIFY(colors);
            QCOMPARE(colors->currentColor(), QColor(0x10, 0x20, 0x30));
            QCOMPARE(QColorDialog::customColor(4), QColor(0x01, 0x02, 0x03));
            colors->setCurrentColor(QColor(0xAB, 0xCD, 0xEF));
            QColorDialog::setCustomColor(5, QColor(0x04, 0x05, 0x06));
            pressOk(dialog);
        });
        cCommonDialog object;
        object.setColor(0x302010);
        object.setCustomColor(4, 0x030201);
        object.ShowColor();
        QCOMPARE(object.Color(), 0xEFCDAB);
        QCOMPARE(object.CustomColor(5), 0x060504);

        const QString family = QFontDatabase::families().value(0);
        QVERIFY(!family.isEmpty());
        ui.expectRealDialog([&](QDialog& dialog) {
            auto* fonts = qobject_cast<QFontDialog*>(&dialog);
            QVERIFY(fonts);
            // Black asks for no effects: underline and strike-out are hidden.
            for (QGroupBox* group : fonts->findChildren<QGroupBox*>())
                if (!group->findChildren<QCheckBox*>().isEmpty()) QVERIFY(!group->isVisible());
            QFont chosen(family);
            chosen.setPointSize(14);
            chosen.setItalic(true);
            fonts->setCurrentFont(chosen);
            pressOk(dialog);
        });
        object.ShowFont();
        QCOMPARE(object.FontName(), family.left(31));
        QCOMPARE(object.FontSize(), 14);
    }

    void realPrintAndPageSetupDialogs() {
        UiScript ui;
        ui.expectRealDialog([&](QDialog& dialog) {
            QVERIFY(qobject_cast<QPrintDialog*>(&dialog));
            // Printing to a new file: no printer is touched and nothing asks
            // to replace anything.
            if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
                file->setText(path(QStringLiteral("printed.pdf")));
            pressOk(dialog);
        });
        PrintDlgArgs print;
        print.ShowPrintToFile = true;
        print.DisablePrintToFile = false;
        GCommonDialog dialogs;
        QVERIFY(dialogs.VBPrintDlg(print));
        QVERIFY(!dialogs.PrinterName().isEmpty());
        QVERIFY(dialogs.PrinterForDC(print.hdc));
        QVERIFY(print.Copies >= 1);

        ui.expectRealDialog([&](QDialog& dialog) {
            QVERIFY(qobject_cast<QPageSetupDialog*>(&dialog));
            auto* top = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("topMargin"));
            QVERIFY(top);
            QCOMPARE(top->value(), 0.75);
            top->setValue(1.5);
            pressOk(dialog);
        });
        PageSetupArgs page;
        page.TopMargin = 0.75f;
        page.LeftMargin = 0.5f;
        QVERIFY(dialogs.VBPageSetupDlg2(page));
        QCOMPARE(page.TopMargin, 1.5f);
        QCOMPARE(page.LeftMargin, 0.5f);
    }
};

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
