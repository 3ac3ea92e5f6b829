#pragma once
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QString>
#include <memory>

class QDomDocument;
class QDomElement;

namespace Vezedad {
class FactoryModule;
class Identity;
} // namespace Vezedad

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

// Inside the library only (not exported).
namespace modGlobals {

// Per-thread service slots of this library, released from the last down.
enum Slot : int { slotProxy, slotCount };

// This library's factory flag and per-thread services.
const Vezedad::FactoryModule& factoryModule();

// The thread's Proxy, made by its factory on first use. A failure of the
// factory is shown in a message box, as the factory has always done, and
// then leaves the caller without a client (error 91).
VezirodEdovud::Proxy& Proxy();

// The non-visual library's shared XML document.
QDomDocument& GetDom();

// Creates an element in the shared document, sets its text when not empty,
// appends it to parent and returns it.
QDomElement AppendTextElement(QDomElement& parent, const QString& elementName, const QString& text);

// The report model's current year and its filer identity.
qint16 CurrentReportYear();
std::shared_ptr<Vezedad::Identity> ReportIdentity();

} // namespace modGlobals

} // namespace VezirodEdovud
