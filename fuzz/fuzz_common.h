#pragma once
// Every fuzz run keeps its settings and report folders in a private
// temporary folder and works on a fixed report year.
#include "Isolation.h"

#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"

#include <QTemporaryDir>

inline void fuzzSetUp() {
    static QTemporaryDir sandbox;
    Isolation::isolate(sandbox.path());
    Vezedad::Globals::ZelReport().setAllowPersistence(false);
    Vezedad::Globals::ZelReport().ChangeReportYear(2024);
}
