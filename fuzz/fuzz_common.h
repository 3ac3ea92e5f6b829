#pragma once
// Every fuzz run keeps its settings and report folders in a private
// temporary folder and works on a fixed report year.
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

inline void fuzzSetUp() {
    static QTemporaryDir sandbox;
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString path = sandbox.path() + QLatin1Char('/') + QLatin1String(v);
        QDir().mkpath(path);
        ::setenv(v, path.toLocal8Bit().constData(), 1);
    }
    Vezedad::Globals::ZelReport().setAllowPersistence(false);
    Vezedad::Globals::ZelReport().ChangeReportYear(2024);
}
