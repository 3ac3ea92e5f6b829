#pragma once
#include <QtCore/qglobal.h>

#if defined(VEZIRODEDOVUD_BUILD)
#define VEZIRODEDOVUD_EXPORT Q_DECL_EXPORT
#else
#define VEZIRODEDOVUD_EXPORT Q_DECL_IMPORT
#endif
