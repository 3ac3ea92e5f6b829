#include "Vezedad/foundation/Globals.h"
#include "Vezedad/dialogs/GCommonDialog.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/StringCollection.h"
#include "Vezedad/foundation/Utilities.h"

#include <QDomDocument>
#include <QDomElement>

namespace Vezedad {

namespace modGlobals {

const FactoryModule& factoryModule() {
    static const FactoryModule module(FactoryModule::Foundation, slotCount);
    return module;
}

ServiceSlots& services() { return factoryModule().services(); }

void requireFactory(const QString& className) {
    // Results are made for every finding of a file run: the error texts are
    // built only when the guard fails.
    if (factoryModule().takeFactoryFlag()) return;
    throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetArchitecture, kvesSerious, errFactoryMethodNotUsed),
                    className + QStringLiteral(" class must be instantiated through its factory method."),
                    QStringLiteral("Vezedad::") + className);
}

FactoryFailure factoryFailure(const QString& factoryName, const QString& className) {
    return FactoryFailure{CustomErrors::AssembleErrorCode(kvetArchitecture, kvesSerious, errMissingCode),
                          QStringLiteral("Vezedad:modGlobals.") + factoryName, className};
}

QDomElement AppendElement(QDomNode& parent, const QString& elementName, const QString& text) {
    QDomDocument& doc = Globals::Dom();
    QDomElement element = doc.createElement(elementName);
    if (!text.isEmpty()) element.appendChild(doc.createTextNode(text));
    parent.appendChild(element);
    return element;
}

} // namespace modGlobals

using namespace modGlobals;

QDomDocument& Globals::Dom() {
    try {
        return perThreadService<QDomDocument>(services(), slotDom, [] { return std::make_unique<QDomDocument>(); });
    } catch (...) {
        const ErrorInfo failure = ErrorInfo::fromCurrentException();
        const QString location = QStringLiteral("Vezedad:modGlobals.Dom");
        if (failure.Number() == errCannotCreateObject)
            throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetArchitecture, kvesSerious, errWrongXmlVersion),
                            QStringLiteral("MSXML version 6 or greater is not installed."),
                            trailSource(TrailForm::Bracket, location, failure.Source()));
        passOn(failure, TrailForm::Bracket, location);
    }
}

QString Globals::GetFormName(qint32 formType, bool blnSpaced) {
    QString name;
    switch (formType) {
    case zfotNone: name = QStringLiteral("None"); break;
    case zfotForm26: name = QStringLiteral("Form 26"); break;
    case zfotForm26A: name = QStringLiteral("Form 26A"); break;
    case zfotApplication: name = QStringLiteral("Application"); break;
    case zfotForm27: name = QStringLiteral("Form 27"); break;
    case zfotForm25: name = QStringLiteral("Form 25"); break;
    case zfotSales: name = QStringLiteral("Sales"); break;
    case zfotAll: name = QStringLiteral("All"); break;
    case zfotIdentity: name = QStringLiteral("Identity"); break;
    default: break;
    }
    if (!blnSpaced) name.remove(QLatin1Char(' '));
    return name;
}

QString Globals::GetOptionName(qint32 optionType, bool blnSpaced) {
    return trapArrow(QStringLiteral("Vezedad::modGlobals.GetOptionName"), [&] {
        QString letter;
        switch (optionType) {
        case kvoOptionA: letter = QStringLiteral("A"); break;
        case kvoOptionB: letter = QStringLiteral("B"); break;
        case kvoOptionC: letter = QStringLiteral("C"); break;
        default: letter = QStringLiteral("Unknown"); break;
        }
        return QStringLiteral("Option") + (blnSpaced ? QStringLiteral(" ") : QString()) + letter;
    });
}

Configuration& Globals::Configuration() {
    return perThreadService<Vezedad::Configuration>(services(), slotConfiguration, [] {
        return createThroughFactory<Vezedad::Configuration>(
            factoryModule(), factoryFailure(QStringLiteral("Configuration"), QStringLiteral("Configuration")));
    });
}

FileSystemObject& Globals::FSO() {
    return perThreadService<FileSystemObject>(services(), slotFSO, [] { return std::make_unique<FileSystemObject>(); });
}

Sorter& Globals::Sort() {
    return perThreadService<Sorter>(services(), slotSort, [] { return std::make_unique<Sorter>(); });
}

Utilities& Globals::Utilities() {
    return perThreadService<Vezedad::Utilities>(services(), slotUtilities,
                                                [] { return std::make_unique<Vezedad::Utilities>(); });
}

Documentation& Globals::Documentation() {
    return perThreadService<Vezedad::Documentation>(services(), slotDocumentation, [] {
        return std::unique_ptr<Vezedad::Documentation>(new Vezedad::Documentation);
    });
}

GCommonDialog& Globals::ComDlg() {
    return perThreadService<GCommonDialog>(services(), slotComDlg, [] { return std::make_unique<GCommonDialog>(); });
}

void Globals::Release() { factoryModule().release(); }

} // namespace Vezedad
