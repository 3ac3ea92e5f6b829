#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Factory.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>

class QDomDocument;
class QDomElement;
class QDomNode;

namespace Vezedad {

class Configuration;
class FileSystemObject;
class Sorter;
class Utilities;
class ZelReport;
class Validator;
class Documentation;
class GCommonDialog;

// The library's entry object: callers reach the shared services through it
// without creating anything. Each service is made on the calling thread's
// first request and the same instance is handed out afterwards.
class VEZEDAD_EXPORT Globals {
public:
    static QString DefaultDelimiter() { return QStringLiteral("|"); }
    static QString IdentityFileName() { return QStringLiteral("identity.txt"); }
    static QString vbEmptyString() { return QString(); }

    static QDomDocument& Dom();
    static QString GetFormName(qint32 formType, bool blnSpaced = false);
    static QString GetOptionName(qint32 optionType, bool blnSpaced = false);

    static Vezedad::Configuration& Configuration();
    static Vezedad::FileSystemObject& FSO();
    static Vezedad::Sorter& Sort();
    static Vezedad::Utilities& Utilities();
    static Vezedad::ZelReport& ZelReport();
    static Vezedad::Validator& Validator();
    static Vezedad::Documentation& Documentation();
    static Vezedad::GCommonDialog& ComDlg();

    // Ends the calling thread's services in a fixed order, the settings last
    // (they save their changes then). The program calls it before its
    // application object goes away; other threads end theirs at thread exit.
    static void Release();
};

namespace modGlobals {

// Creates an element in the shared document, sets its text when not empty,
// appends it to parent and returns it.
VEZEDAD_EXPORT QDomElement AppendElement(QDomNode& parent, const QString& elementName, const QString& text);

// Inside the library only (not exported).

// Per-thread service slots, released from the last down to the first.
enum Slot : int {
    slotConfiguration,
    slotFSO,
    slotDom,
    slotUtilities,
    slotSort,
    slotDocumentation,
    slotComDlg,
    slotValidator,
    slotZelReport,
    slotCount
};

// The library's factory flag and the calling thread's services.
const FactoryModule& factoryModule();
ServiceSlots& services();

// First step of every factory-only class's initialiser: raises the 1002
// error with "Vezedad::" + className when the factory was not used.
void requireFactory(const QString& className);

// What a factory of this library raises when its class did not take the
// flag: source "Vezedad:modGlobals." + factoryName.
FactoryFailure factoryFailure(const QString& factoryName, const QString& className);

} // namespace modGlobals

} // namespace Vezedad
