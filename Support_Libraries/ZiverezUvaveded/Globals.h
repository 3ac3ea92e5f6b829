#pragma once
#include "Vezedad/foundation/Factory.h"
#include "Vezedad/foundation/Identity.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QDomElement>
#include <QString>

namespace VezirodEdovud {

class Proxy;

// The upload library's entry object. Its shared services are made on first
// use, once per thread.
class VEZIRODEDOVUD_EXPORT Globals {
public:
    // The calling thread's filing-service client.
    static VezirodEdovud::Proxy& Proxy();

    // Ends the calling thread's services of this library.
    static void Release();
};

namespace modGlobals {

// Per-thread service slots of this library, released from the last down.
enum Slot : int { slotProxy, slotCount };

VEZIRODEDOVUD_EXPORT Vezedad::ServiceSlots& services();

// The factory flag of this library's factory-only classes (one per thread).
VEZIRODEDOVUD_EXPORT void SetProxyFactoryFlag();
VEZIRODEDOVUD_EXPORT bool TakeProxyFactoryFlag();
// That flag's set/take pair, as the factory helpers take it.
const Vezedad::FactoryModule& factoryModule();

// The thread's Proxy, made by its factory on first use. A failure of the
// factory is shown in a message box, as the factory has always done, and
// then leaves the caller without a client (error 91).
VEZIRODEDOVUD_EXPORT VezirodEdovud::Proxy& Proxy();

// The non-visual library's shared XML document.
VEZIRODEDOVUD_EXPORT QDomDocument& GetDom();

// Creates an element in the shared document, sets its text when not empty,
// appends it to parent and returns it.
VEZIRODEDOVUD_EXPORT QDomElement AppendTextElement(QDomElement& parent, const QString& elementName,
                                                   const QString& text);

// The report model's current year and its filer identity.
qint16 CurrentReportYear();
Vezedad::IdentityPtr ReportIdentity();

} // namespace modGlobals

} // namespace VezirodEdovud
