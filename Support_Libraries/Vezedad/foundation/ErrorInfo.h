#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

namespace Vezedad {

// The one error type of the system: every failure travels as an ErrorInfo with
// the five fields callers rely on. A default-constructed one means "no error".
class VEZEDAD_EXPORT ErrorInfo : public std::exception {
public:
    ErrorInfo() = default;
    ErrorInfo(qint32 number, QString description, QString source, QString helpFile = {}, qint32 helpContext = 0);

    qint32 Number() const { return m_number; }
    void setNumber(qint32 value) { m_number = value; }
    const QString& Description() const { return m_description; }
    void setDescription(const QString& value);
    const QString& Source() const { return m_source; }
    void setSource(const QString& value) { m_source = value; }
    const QString& HelpFile() const { return m_helpFile; }
    void setHelpFile(const QString& value) { m_helpFile = value; }
    qint32 HelpContext() const { return m_helpContext; }
    void setHelpContext(qint32 value) { m_helpContext = value; }

    // A copy with another source and the other four fields kept.
    ErrorInfo withSource(const QString& source) const;

    const char* what() const noexcept override { return m_what.constData(); }

    // Turns whatever was thrown into an ErrorInfo, so that a trap can pass on
    // failures of the standard library and of Qt alike.
    static ErrorInfo fromCurrentException();

private:
    qint32 m_number = 0;
    QString m_description;
    QString m_source;
    QString m_helpFile;
    qint32 m_helpContext = 0;
    QByteArray m_what;
};

// How a trapping procedure adds its location to the source. No statement
// numbers are known in C++, so the line mark is never written.
enum class TrailForm {
    Arrow,       // location, CR LF, "-->", previous source
    Bracket,     // location, CR LF, previous source
    JoinedArrow, // location, "-->", previous source
};

VEZEDAD_EXPORT QString trailSource(TrailForm form, const QString& location, const QString& previousSource);

// Raises the error again with the location added to its source.
[[noreturn]] VEZEDAD_EXPORT void passOn(const ErrorInfo& error, TrailForm form, const QString& location);

// Runs body; any failure leaves it with the location added, as a trapping
// procedure passes an error on.
template <class F> decltype(auto) trap(TrailForm form, const QString& location, F&& body) {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        passOn(ErrorInfo::fromCurrentException(), form, location);
    }
}

template <class F> decltype(auto) trapArrow(const QString& location, F&& body) {
    return trap(TrailForm::Arrow, location, std::forward<F>(body));
}

// The standard text of a runtime error ("Permission denied" for 70).
VEZEDAD_EXPORT QString runtimeErrorText(RuntimeError number);

// Raises a runtime error with its standard text, followed by ": " and the
// detail when one is given ("Permission denied: /a/b").
[[noreturn]] VEZEDAD_EXPORT void raiseRuntimeError(RuntimeError number, const QString& source,
                                                   const QString& detail = QString());

// The conversion errors: "Overflow" (6) and "Type mismatch" (13).
[[noreturn]] VEZEDAD_EXPORT void raiseOverflow(const QString& source);
[[noreturn]] VEZEDAD_EXPORT void raiseTypeMismatch(const QString& source);

// Assembles the non-visual library's error numbers.
class VEZEDAD_EXPORT CustomErrors {
public:
    static qint32 AssembleErrorCode(qint32 errType, qint32 errSeverity, qint32 customCode);
};

} // namespace Vezedad
