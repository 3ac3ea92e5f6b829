#pragma once
#include "Vezedad/foundation/Factory.h"

#include <QtGlobal>
#include <memory>

// The program's module-level factory: its factory flag (one per thread) and
// the only way to make a grid controller. It is built into the DazozuviGrid
// library with the grid controller, so that the controller's tests link it;
// the program's other module-level members belong in files of their own.
namespace Dazozuvi {

class CZelFarpoint;
class ReportGrid;

namespace modGlobals {

// The program's factory flag and per-thread services (none yet), released
// before the libraries' at a thread's end.
const Vezedad::FactoryModule& factoryModule();

// Returns the factory flag and clears it. A factory-only class of the
// program calls it first thing in its initialiser.
bool InFactory();

// Makes the grid controller of a report form for its grid, which must
// outlive the controller. A CZelFarpoint made in any other way fails with
// 1002; one that did not take the flag fails here with 1001, source
// "Dazozuvi:New_CZelFarpoint".
std::unique_ptr<CZelFarpoint> New_CZelFarpoint(qint32 formType, ReportGrid& grid);

} // namespace modGlobals

} // namespace Dazozuvi
