#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <array>

namespace Vezedad {

enum UserDoc : qint32 {
    docHome = 0,
    docGetStartedA = 1,
    docGetStartedB = 2,
    docGetStartedC = 3,
    docGetStartedD = 4,
    docUserGuideA = 5,
    docUserGuideB = 6,
    docUserGuideC = 7,
    docSubmitInstructions = 8,
    docUploadReport = 9,
    docCountyPop = 10,
    docEpaList = 11,
    docAsciiFormat = 12,
    docMacroInstructions = 13,
    docCountyCodes = 14,
    _docMin = 0,
    _docMax = 14,
};

// Opens the online user documentation in the user's browser and local files
// with the program the desktop associates with them. One per caller thread,
// handed out by Globals::Documentation().
//
// The actual opening goes through a replaceable opener: the library's
// user-interface seam (ui/DesktopOpener.cpp) installs the desktop's when the
// library is loaded; tests install one that records the target.
class VEZEDAD_EXPORT Documentation {
public:
    // Asks the desktop to open target (an address or a local file path).
    // Returns 0 on success, otherwise a platform error code (for example 2,
    // file not found, or 1155, no application associated).
    using ShellOpener = qint32 (*)(const QString& target, bool isLocalFile);

    static void setShellOpener(ShellOpener opener);
    static ShellOpener shellOpener();

    // The documentation site's host. Read from the "DocumentationHost"
    // setting; a placeholder host when it is not set.
    static QString DefaultDocumentationHost();

    QString GetUri(qint32 docID, qint32 optionType = 1) const;
    void ShowDoc(qint32 docID, qint32 optionType = 1);
    // A file that the desktop does not open raises the platform's code with
    // a description naming the file and how to read it otherwise.
    void ShowFile(const QString& strPathAndFile);

private:
    // Only the entry object makes one, once per thread.
    friend class Globals;
    Documentation();

    void InitPages();
    // The opener's answer: 0, or the platform's code.
    static qint32 ShellStart(const QString& target, bool isLocalFile);
    void ShellOpen(const QString& target, bool isLocalFile);

    QString m_baseAddress;
    std::array<QString, _docMax - _docMin + 1> m_pages;
};

} // namespace Vezedad
