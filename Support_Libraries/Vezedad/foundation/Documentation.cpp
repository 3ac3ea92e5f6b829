#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"

#include <QFileInfo>
#include <atomic>

namespace Vezedad {

namespace {

const QString kReplaceSpace = QStringLiteral("{replaceSpace}");

std::atomic<Documentation::ShellOpener> gOpener{nullptr};

QString spaceKey(qint32 optionType) {
    switch (optionType) {
    case kvoOptionA: return QStringLiteral("OA61");
    case kvoOptionB: return QStringLiteral("OB61");
    case kvoOptionC: return QStringLiteral("OC61");
    default: return QStringLiteral("REZO");
    }
}

// What the user reads when the file at path was not opened with the
// platform's code. The file is there: they are told where, and how to read
// it all the same.
QString unopenedFileText(const QString& path, qint32 code) {
    // The files opened here are text (exception reports and report files).
    const bool text = QFileInfo(path).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0;
    const QString reason = code == sysNoAssociation
                               ? (text ? QStringLiteral("no program is set to open text files.")
                                       : QStringLiteral("no program is set to open files of its kind."))
                               : Utilities::WinAPIError(code).trimmed();
    return QStringLiteral("The file '") + path + QStringLiteral("' was not opened: ") + reason +
           QStringLiteral("\r\n") +
           (text ? QStringLiteral("Open it with a text editor.")
                 : QStringLiteral("Open it with a program that reads it."));
}

} // namespace

void Documentation::setShellOpener(ShellOpener opener) { gOpener.store(opener); }

Documentation::ShellOpener Documentation::shellOpener() { return gOpener.load(); }

QString Documentation::DefaultDocumentationHost() { return QStringLiteral("docs.zidivo.invalid"); }

Documentation::Documentation() {
    QString host = Globals::Configuration().GetDynamicSetting(QStringLiteral("DocumentationHost"));
    if (host.isEmpty()) host = DefaultDocumentationHost();
    m_baseAddress = QStringLiteral("http://") + host + QStringLiteral("/display/");
    InitPages();
}

void Documentation::InitPages() {
    const QString rezo = QStringLiteral("REZO");
    m_pages[docHome] = rezo + QStringLiteral("/Welcome");
    m_pages[docGetStartedA] = QStringLiteral("OA61/Getting+Started+Guide+-+Option+A");
    m_pages[docGetStartedB] = QStringLiteral("OB61/Getting+Started+Guide+-+Option+B");
    m_pages[docGetStartedC] = QString();
    m_pages[docGetStartedD] = QString();
    m_pages[docUserGuideA] = QStringLiteral("OA61/Option+A+User+Guide");
    m_pages[docUserGuideB] = QStringLiteral("OB61/Option+B+User+Guide");
    m_pages[docUserGuideC] = QStringLiteral("OC61/Option+C+User+Guide");
    m_pages[docSubmitInstructions] = rezo + QStringLiteral("/Submitting+Your+Electronic+Report");
    m_pages[docUploadReport] = kReplaceSpace + QStringLiteral("/Upload+Your+Report");
    m_pages[docCountyPop] = kReplaceSpace + QStringLiteral("/County+Code+Popup");
    m_pages[docEpaList] = kReplaceSpace + QStringLiteral("/EPA+Registration+Number+List");
    m_pages[docAsciiFormat] = rezo + QStringLiteral("/Text+File+Specifications");
    m_pages[docMacroInstructions] = QStringLiteral("OB61/Enabling+Macros+in+Excel");
    m_pages[docCountyCodes] = rezo + QStringLiteral("/County+Codes");
}

QString Documentation::GetUri(qint32 docID, qint32 optionType) const {
    QString page;
    if (docID >= _docMin && docID <= _docMax) {
        page = m_pages[size_t(docID)];
        page.replace(kReplaceSpace, spaceKey(optionType), Qt::CaseSensitive);
    }
    return m_baseAddress + page;
}

void Documentation::ShowDoc(qint32 docID, qint32 optionType) {
    trapArrow(QStringLiteral("Vezedad::Documentation.ShowDoc"), [&] { ShellOpen(GetUri(docID, optionType), false); });
}

void Documentation::ShowFile(const QString& strPathAndFile) {
    trapArrow(QStringLiteral("Vezedad::Documentation.ShowFile"), [&] {
        if (!Globals::FSO().FileExists(strPathAndFile))
            throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errFileNotFound),
                            QStringLiteral("File '") + strPathAndFile + QStringLiteral("' not found."),
                            QStringLiteral("Vezedad::Documentation"));
        const qint32 result = ShellStart(strPathAndFile, true);
        if (result != 0)
            throw ErrorInfo(result, unopenedFileText(strPathAndFile, result), QStringLiteral("Vezedad::Documentation"));
    });
}

qint32 Documentation::ShellStart(const QString& target, bool isLocalFile) {
    const ShellOpener opener = shellOpener();
    // Without a desktop opener nothing is able to open the target.
    return opener ? opener(target, isLocalFile) : qint32(sysNoAssociation);
}

void Documentation::ShellOpen(const QString& target, bool isLocalFile) {
    const qint32 result = ShellStart(target, isLocalFile);
    if (result != 0) throw ErrorInfo(result, Utilities::WinAPIError(result), QStringLiteral("ShellExecuteEx"));
}

} // namespace Vezedad
