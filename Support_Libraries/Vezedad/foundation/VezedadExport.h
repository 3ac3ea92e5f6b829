#pragma once
#include <QtCore/qglobal.h>

#if defined(VEZEDAD_BUILD)
#define VEZEDAD_EXPORT Q_DECL_EXPORT
#else
#define VEZEDAD_EXPORT Q_DECL_IMPORT
#endif
