#pragma once
#include <QtCore/qglobal.h>

#if defined(ZOZEDIZIZ_BUILD)
#define ZOZEDIZIZ_EXPORT Q_DECL_EXPORT
#else
#define ZOZEDIZIZ_EXPORT Q_DECL_IMPORT
#endif
