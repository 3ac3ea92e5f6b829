#include "Vezedad/foundation/ErrorInfo.h"

#include <new>

namespace Vezedad {

ErrorInfo::ErrorInfo(qint32 number, QString description, QString source, QString helpFile, qint32 helpContext)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
      m_helpFile(std::move(helpFile)), m_helpContext(helpContext), m_what(m_description.toUtf8()) {}

void ErrorInfo::setDescription(const QString& value) {
    m_description = value;
    m_what = value.toUtf8();
}

ErrorInfo ErrorInfo::withSource(const QString& source) const {
    ErrorInfo copy(*this);
    copy.m_source = source;
    return copy;
}

ErrorInfo ErrorInfo::fromCurrentException() {
    try {
        throw;
    } catch (const ErrorInfo& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return ErrorInfo(rtOutOfMemory, runtimeErrorText(rtOutOfMemory), QString());
    } catch (const std::exception& e) {
        return ErrorInfo(rtInternalError,
                         runtimeErrorText(rtInternalError) + QStringLiteral(": ") + QString::fromUtf8(e.what()),
                         QString());
    } catch (...) {
        return ErrorInfo(rtInternalError, runtimeErrorText(rtInternalError), QString());
    }
}

QString trailSource(TrailForm form, const QString& location, const QString& previousSource) {
    switch (form) {
    case TrailForm::Arrow: return location + QStringLiteral("\r\n-->") + previousSource;
    case TrailForm::Bracket: return location + QStringLiteral("\r\n") + previousSource;
    case TrailForm::JoinedArrow: return location + QStringLiteral("-->") + previousSource;
    }
    return location;
}

void passOn(const ErrorInfo& error, TrailForm form, const QString& location) {
    throw error.withSource(trailSource(form, location, error.Source()));
}

QString runtimeErrorText(RuntimeError number) {
    switch (number) {
    case rtOverflow: return QStringLiteral("Overflow");
    case rtOutOfMemory: return QStringLiteral("Out of memory");
    case rtSubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case rtTypeMismatch: return QStringLiteral("Type mismatch");
    case rtInternalError: return QStringLiteral("Internal error");
    case rtFileNotFound: return QStringLiteral("File not found");
    case rtFileAlreadyExists: return QStringLiteral("File already exists");
    case rtDiskFull: return QStringLiteral("Disk full");
    case rtInputPastEndOfFile: return QStringLiteral("Input past end of file");
    case rtPermissionDenied: return QStringLiteral("Permission denied");
    case rtPathFileAccessError: return QStringLiteral("Path/File access error");
    case rtPathNotFound: return QStringLiteral("Path not found");
    case rtObjectNotSet: return QStringLiteral("Object variable or With block variable not set");
    case rtInvalidFileFormat: return QStringLiteral("Invalid file format");
    case rtKeyAlreadyAssociated:
        return QStringLiteral("This key is already associated with an element of this collection");
    case rtPrinterError: return QStringLiteral("Printer error");
    }
    return QStringLiteral("Application-defined or object-defined error");
}

void raiseRuntimeError(RuntimeError number, const QString& source, const QString& detail) {
    QString text = runtimeErrorText(number);
    if (!detail.isEmpty()) text += QStringLiteral(": ") + detail;
    throw ErrorInfo(number, text, source);
}

void raiseOverflow(const QString& source) { raiseRuntimeError(rtOverflow, source); }

void raiseTypeMismatch(const QString& source) { raiseRuntimeError(rtTypeMismatch, source); }

qint32 CustomErrors::AssembleErrorCode(qint32 errType, qint32 errSeverity, qint32 customCode) {
    const quint32 t = quint32(errType) & 7u;
    const quint32 s = quint32(errSeverity) & 7u;
    const quint32 c = quint32(customCode) & 0x3FFu;
    return qint32(0x80040000u | (t << 13) | (s << 10) | c);
}

} // namespace Vezedad
