#include "tst_foundation.h"
#include "TestSupport.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Factory.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Registry.h"

#include <QDomDocument>
#include <QDomElement>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <atomic>
#include <stdexcept>
#include <thread>

using TestSupport::raisedBy;

using namespace Vezedad;

namespace {

// A library of the test's own, standing where the user-interface library
// will: above the foundation.
enum { slotRecorder, slotCareful, testSlotCount };
const FactoryModule& testModule() {
    static const FactoryModule module(FactoryModule::UiLibrary, testSlotCount);
    return module;
}

// A factory-only class that forgets to take the flag.
struct Forgetful {};
// One that takes it like every real one.
struct Careful {
    Careful() {
        requireFactory(testModule(), 1002, QStringLiteral("Test::Careful"),
                       QStringLiteral("Careful class must be instantiated through its factory method."));
    }
};

// A service that uses the foundation's while it ends, as the user-interface
// library's will: it marks the thread's XML document and looks for the mark.
std::atomic<int> gMarkSeenAtEnd{-1};
struct DomUser {
    DomUser() {
        QDomDocument& doc = Globals::Dom();
        doc.appendChild(doc.createElement(QStringLiteral("Mark")));
    }
    ~DomUser() { gMarkSeenAtEnd = Globals::Dom().documentElement().tagName() == QLatin1String("Mark"); }
};

} // namespace

void tst_foundation::initTestCase() { Documentation::setShellOpener(nullptr); }

void tst_foundation::init() {
    Globals::Release();
    TestSupport::clearSettings();
}

void tst_foundation::cleanup() { Globals::Release(); }

void tst_foundation::assembleErrorCode_data() {
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

void tst_foundation::assembleErrorCode() {
    QFETCH(int, type);
    QFETCH(int, severity);
    QFETCH(int, code);
    QFETCH(quint32, expected);
    QCOMPARE(quint32(CustomErrors::AssembleErrorCode(type, severity, code)), expected);
}

void tst_foundation::trailForms_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("expected");
    QTest::newRow("arrow") << int(TrailForm::Arrow) << QStringLiteral("Vezedad::X.Y\r\n-->inner");
    QTest::newRow("bracket") << int(TrailForm::Bracket) << QStringLiteral("Vezedad::X.Y\r\ninner");
    QTest::newRow("joined") << int(TrailForm::JoinedArrow) << QStringLiteral("Vezedad::X.Y-->inner");
}

void tst_foundation::trailForms() {
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

void tst_foundation::trailStacksOnePerProcedure() {
    const ErrorInfo e = raisedBy([] {
        trapArrow(QStringLiteral("Outer.Call"), [] {
            trapArrow(QStringLiteral("Inner.Call"),
                      [] { throw ErrorInfo(5, QStringLiteral("bad"), QStringLiteral("Origin")); });
        });
    });
    QCOMPARE(e.Source(), QStringLiteral("Outer.Call\r\n-->Inner.Call\r\n-->Origin"));
}

void tst_foundation::foreignFailuresBecomeErrors() {
    const ErrorInfo e = raisedBy([] { trapArrow(QStringLiteral("A.B"), [] { throw std::runtime_error("boom"); }); });
    QCOMPARE(e.Number(), int(rtInternalError));
    QCOMPARE(e.Description(), QStringLiteral("Internal error: boom"));
    QCOMPARE(e.Source(), QStringLiteral("A.B\r\n-->"));
}

void tst_foundation::runtimeErrorsCarryTheirText() {
    const ErrorInfo plain = raisedBy([] { raiseRuntimeError(rtObjectNotSet, QStringLiteral("Here")); });
    QCOMPARE(plain.Number(), 91);
    QCOMPARE(plain.Description(), QStringLiteral("Object variable or With block variable not set"));
    QCOMPARE(plain.Source(), QStringLiteral("Here"));
    const ErrorInfo detailed =
        raisedBy([] { raiseRuntimeError(rtPermissionDenied, QStringLiteral("Here"), QStringLiteral("/a/b")); });
    QCOMPARE(detailed.Number(), 70);
    QCOMPARE(detailed.Description(), QStringLiteral("Permission denied: /a/b"));
}

void tst_foundation::directCreationOfFactoryOnlyClassFails() {
    const ErrorInfo e = raisedBy([] { Configuration direct; });
    QCOMPARE(quint32(e.Number()), 0x80044BEAu);
    QCOMPARE(e.Source(), QStringLiteral("Vezedad::Configuration"));
    QCOMPARE(e.Description(), QStringLiteral("Configuration class must be instantiated through its factory method."));
}

void tst_foundation::factoryOfClassThatIgnoresFlagFails() {
    const FactoryFailure failure{1001, QStringLiteral("Test:modGlobals.New_Careful"), QStringLiteral("Careful")};
    const ErrorInfo e = raisedBy([&] { createThroughFactory<Forgetful>(testModule(), failure); });
    QCOMPARE(e.Number(), 1001);
    QCOMPARE(e.Source(), QStringLiteral("Test:modGlobals.New_Careful"));
    QCOMPARE(e.Description(), QStringLiteral("Careful class does not check for factory method"));
    // The flag is clear again: a careful class made directly still fails.
    QCOMPARE(raisedBy([] { Careful c; }).Number(), 1002);
    QVERIFY(createThroughFactory<Careful>(testModule(), failure));
    // The flag is the module's own: the foundation's classes still refuse.
    testModule().setFactoryFlag();
    QCOMPARE(quint32(raisedBy([] { Configuration direct; }).Number()), 0x80044BEAu);
    QVERIFY(testModule().takeFactoryFlag());
}

void tst_foundation::servicesAreOnePerThread() {
    Configuration* first = &Globals::Configuration();
    QCOMPARE(&Globals::Configuration(), first);
    QCOMPARE(&Globals::Dom(), &Globals::Dom());
    Careful* mine = &perThreadService<Careful>(testModule(), slotCareful, [] {
        return createThroughFactory<Careful>(testModule(), {1001, QStringLiteral("Test"), QStringLiteral("Careful")});
    });
    Configuration* other = nullptr;
    QDomDocument* otherDom = nullptr;
    bool otherCareful = false;
    QThread* thread = QThread::create([&] {
        other = &Globals::Configuration();
        otherDom = &Globals::Dom();
        otherCareful = testModule().services().get(slotCareful) != nullptr;
    });
    thread->start();
    QVERIFY(thread->wait(10000));
    delete thread;
    QVERIFY(other != nullptr);
    QVERIFY(other != first);
    QVERIFY(otherDom != &Globals::Dom());
    QVERIFY(!otherCareful);
    testModule().release();
    QVERIFY(testModule().services().get(slotCareful) == nullptr);
    QCOMPARE(&Globals::Configuration(), first); // another library's release leaves these
    QVERIFY(mine != nullptr);
}

// A thread that ends without releasing anything ends the services of the
// libraries above the foundation first: they may still need the foundation's.
void tst_foundation::threadEndReleasesUpperLibrariesFirst() {
    // std::thread: its join returns only after the thread's own end, where the
    // services are released; QThread::wait may return before that.
    std::thread thread(
        [] { perThreadService<DomUser>(testModule(), slotRecorder, [] { return std::make_unique<DomUser>(); }); });
    thread.join();
    QCOMPARE(gMarkSeenAtEnd.load(), 1);
}

void tst_foundation::releaseSavesChangedSettings() {
    Globals::Configuration().setBackColor(0x123456);
    Globals::Release();
    QCOMPARE(modRegistry::QueryValueEx(RegAPI::HKEY_LOCAL_MACHINE, Configuration::RegistryKey,
                                       QStringLiteral("BackColor"), false),
             QVariant(0x123456));
    QCOMPARE(Globals::Configuration().BackColor(), 0x123456);
}

void tst_foundation::formNames_data() {
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

void tst_foundation::formNames() {
    QFETCH(int, formType);
    QFETCH(bool, spaced);
    QFETCH(QString, expected);
    QCOMPARE(Globals::GetFormName(formType, spaced), expected);
}

void tst_foundation::optionNames_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("spaced");
    QTest::addColumn<QString>("expected");
    QTest::newRow("B spaced") << int(kvoOptionB) << true << QStringLiteral("Option B");
    QTest::newRow("A") << int(kvoOptionA) << false << QStringLiteral("OptionA");
    QTest::newRow("unknown") << int(kvoUnknown) << false << QStringLiteral("OptionUnknown");
    QTest::newRow("seven") << 7 << true << QStringLiteral("Option Unknown");
}

void tst_foundation::optionNames() {
    QFETCH(int, option);
    QFETCH(bool, spaced);
    QFETCH(QString, expected);
    QCOMPARE(Globals::GetOptionName(option, spaced), expected);
}

void tst_foundation::appendElement() {
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

QTEST_GUILESS_MAIN(tst_foundation)
