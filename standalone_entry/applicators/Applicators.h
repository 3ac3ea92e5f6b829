#pragma once

namespace Dazozuvi {

class ApplicatorList;

namespace modGlobals {

// The program's applicator registry: the report year's Form 26A applicators
// and the filer. Made and filled (ReadAll) on the first call; afterwards it
// follows the shared report model by itself. It ends with that model (the
// foundation's Release), and the next call makes a new one for the model
// then current. A failed first filling leaves no registry behind, so the
// next call tries again. Errors of the filling reach the caller.
ApplicatorList& Applicators();

// Reads everything again, making the registry first when there is none.
void RefreshApplicators();

} // namespace modGlobals

} // namespace Dazozuvi
