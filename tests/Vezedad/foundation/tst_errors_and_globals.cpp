#include "TestSupport.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Registry.h"
#include "Vezedad/foundation/StringCollection.h"
#include "Vezedad/foundation/Utilities.h"

#include <QThread>
#include <QtTest>
#include <stdexcept>

using TestSupport::raisedBy;

using namespace Vezedad;

namespace {
// A factory-only class that forgets to take the flag.
struct Forgetful {};
// One that takes it like every real one.
struct Careful {
    Careful() { modGlobals::requireFactory(QStringLiteral("Careful")); }
};
} // namespace

class TestErrorsAndGlobals : public QObject {
    Q_OBJECT
private slots:
    void init() { TestSupport::clearSettings(); }
    void cleanup() { Globals::Release(); }

    void assembleErrorCode_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("severity");
        QTest::addColumn<int>("code");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("factory not used") << int(kvetArchitecture) << int(kvesSerious) << 1002 << 0x80044BEAu;
        QTest::newRow("missing code") << int(kvetArchitecture) << int(kvesSerious) << 1001 << 0x80044BE9u;
        QTest::newRow("zero") << 0 << 0 << 0 << 0x80040000u;
        QTest::newRow("year out of range") << int(kvetValidation) << int(kvesSerious) << 380 << 0x8004297Cu;
        QTest::newRow("file not found") << int(kvetUsage) << int(kvesSerious) << 53 << 0x80046835u;
        QTest::newRow("type masked") << 9 << 0 << 0 << (0x80040000u | (1u << 13));
        QTest::newRow("severity masked") << 0 << 12 << 0 << (0x80040000u | (4u << 10));
        QTest::newRow("code masked") << 0 << 0 << 1025 << 0x80040001u;
        QTest::newRow("negative code") << 0 << 0 << -1 << 0x800403FFu;
    }
    void assembleErrorCode() {
        QFETCH(int, type);
        QFETCH(int, severity);
        QFETCH(int, code);
        QFETCH(quint32, expected);
        QCOMPARE(quint32(CustomErrors::AssembleErrorCode(type, severity, code)), expected);
    }

    void trailForms_data() {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("expected");
        QTest::newRow("arrow") << int(TrailForm::Arrow) << QStringLiteral("Vezedad::X.Y\r\n-->inner");
        QTest::newRow("bracket") << int(TrailForm::Bracket) << QStringLiteral("Vezedad::X.Y\r\ninner");
        QTest::newRow("joined") << int(TrailForm::JoinedArrow) << QStringLiteral("Vezedad::X.Y-->inner");
    }
    void trailForms() {
        QFETCH(int, form);
        QFETCH(QString, expected);
        const ErrorInfo e = raisedBy([&] {
            trap(TrailForm(form), QStringLiteral("Vezedad::X.Y"), [] {
                throw ErrorInfo(1234, QStringLiteral("desc"), QStringLiteral("inner"), QStringLiteral("help.chm"), 7);
            });
        });
        QCOMPARE(e.Number(), 1234);
        QCOMPARE(e.Description(), QStringLiteral("desc"));
        QCOMPARE(e.Source(), expected);
        QCOMPARE(e.HelpFile(), QStringLiteral("help.chm"));
        QCOMPARE(e.HelpContext(), 7);
    }

    void trailStacksOnePerProcedure() {
        const ErrorInfo e = raisedBy([] {
            trapArrow(QStringLiteral("Outer.Call"), [] {
                trapArrow(QStringLiteral("Inner.Call"),
                          [] { throw ErrorInfo(5, QStringLiteral("bad"), QStringLiteral("Origin")); });
            });
        });
        QCOMPARE(e.Source(), QStringLiteral("Outer.Call\r\n-->Inner.Call\r\n-->Origin"));
    }

    void foreignFailuresBecomeErrors() {
        const ErrorInfo e =
            raisedBy([] { trapArrow(QStringLiteral("A.B"), [] { throw std::runtime_error("boom"); }); });
        QCOMPARE(e.Number(), int(rtInternalError));
        QVERIFY(e.Description().contains(QStringLiteral("boom")));
        QCOMPARE(e.Source(), QStringLiteral("A.B\r\n-->"));
    }

    void errorInfoWithoutErrorIsEmpty() {
        const ErrorInfo none;
        QCOMPARE(none.Number(), 0);
        QVERIFY(none.Description().isEmpty() && none.Source().isEmpty() && none.HelpFile().isEmpty());
        QCOMPARE(none.HelpContext(), 0);
    }

    void directCreationOfFactoryOnlyClassFails() {
        const ErrorInfo e = raisedBy([] { Configuration direct; });
        QCOMPARE(quint32(e.Number()), 0x80044BEAu);
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::Configuration"));
        QCOMPARE(e.Description(),
                 QStringLiteral("Configuration class must be instantiated through its factory method."));
    }

    void factoryOfClassThatIgnoresFlagFails() {
        const ErrorInfo e = raisedBy([] {
            createThroughFactory<Forgetful>(
                modGlobals::factoryModule(),
                modGlobals::factoryFailure(QStringLiteral("Configuration"), QStringLiteral("Configuration")));
        });
        QCOMPARE(quint32(e.Number()), 0x80044BE9u);
        QCOMPARE(e.Source(), QStringLiteral("Vezedad:modGlobals.Configuration"));
        QCOMPARE(e.Description(), QStringLiteral("Configuration class does not check for factory method"));
        // The flag is clear again: a careful class made directly still fails.
        QCOMPARE(quint32(raisedBy([] { Careful c; }).Number()), 0x80044BEAu);
        auto made = createThroughFactory<Careful>(
            modGlobals::factoryModule(),
            modGlobals::factoryFailure(QStringLiteral("New_Careful"), QStringLiteral("Careful")));
        QVERIFY(made);
    }

    void servicesAreOnePerThread() {
        Configuration* first = &Globals::Configuration();
        QCOMPARE(&Globals::Configuration(), first);
        QCOMPARE(&Globals::FSO(), &Globals::FSO());
        QCOMPARE(&Globals::Dom(), &Globals::Dom());
        Configuration* other = nullptr;
        QDomDocument* otherDom = nullptr;
        QThread* thread = QThread::create([&] {
            other = &Globals::Configuration();
            otherDom = &Globals::Dom();
            QCOMPARE(&Globals::Configuration(), other);
        });
        thread->start();
        QVERIFY(thread->wait(10000));
        delete thread;
        QVERIFY(other != nullptr);
        QVERIFY(other != first);
        QVERIFY(otherDom != &Globals::Dom());
    }

    void releaseSavesChangedSettings() {
        Globals::Configuration().setBackColor(0x123456);
        Globals::Release();
        QCOMPARE(modRegistry::QueryValueEx(RegAPI::HKEY_LOCAL_MACHINE, Configuration::RegistryKey,
                                           QStringLiteral("BackColor"), false),
                 QVariant(0x123456));
        QCOMPARE(Globals::Configuration().BackColor(), 0x123456);
    }

    void formNames_data() {
        QTest::addColumn<int>("formType");
        QTest::addColumn<bool>("spaced");
        QTest::addColumn<QString>("expected");
        QTest::newRow("26A") << int(zfotForm26A) << false << QStringLiteral("Form26A");
        QTest::newRow("26A spaced") << int(zfotForm26A) << true << QStringLiteral("Form 26A");
        QTest::newRow("25") << int(zfotForm25) << false << QStringLiteral("Form25");
        QTest::newRow("identity") << int(zfotIdentity) << true << QStringLiteral("Identity");
        QTest::newRow("sales") << int(zfotSales) << false << QStringLiteral("Sales");
        QTest::newRow("none") << 0 << false << QStringLiteral("None");
        QTest::newRow("unknown") << 5 << true << QString();
    }
    void formNames() {
        QFETCH(int, formType);
        QFETCH(bool, spaced);
        QFETCH(QString, expected);
        QCOMPARE(Globals::GetFormName(formType, spaced), expected);
    }

    void optionNames_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("spaced");
        QTest::addColumn<QString>("expected");
        QTest::newRow("B spaced") << int(kvoOptionB) << true << QStringLiteral("Option B");
        QTest::newRow("A") << int(kvoOptionA) << false << QStringLiteral("OptionA");
        QTest::newRow("unknown") << int(kvoUnknown) << false << QStringLiteral("OptionUnknown");
        QTest::newRow("seven") << 7 << true << QStringLiteral("Option Unknown");
    }
    void optionNames() {
        QFETCH(int, option);
        QFETCH(bool, spaced);
        QFETCH(QString, expected);
        QCOMPARE(Globals::GetOptionName(option, spaced), expected);
    }

    void appendElement() {
        QDomDocument& doc = Globals::Dom();
        QDomElement root = doc.createElement(QStringLiteral("Root"));
        QDomElement empty = modGlobals::AppendElement(root, QStringLiteral("Empty"), QString());
        QDomElement filled = modGlobals::AppendElement(root, QStringLiteral("Name"), QStringLiteral("A & B <c>"));
        QVERIFY(!empty.hasChildNodes());
        QCOMPARE(filled.text(), QStringLiteral("A & B <c>"));
        QString xml;
        QTextStream out(&xml);
        root.save(out, -1);
        QCOMPARE(xml, QStringLiteral("<Root><Empty/><Name>A &amp; B &lt;c></Name></Root>"));
    }
};

QTEST_GUILESS_MAIN(TestErrorsAndGlobals)
#include "tst_errors_and_globals.moc"
