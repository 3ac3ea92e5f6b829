#pragma once
// What the registry and dialog tests share: a report root of their own and
// the year folder's files and filer.
#include "support/TestSupport.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QDir>
#include <QTemporaryDir>

namespace YearFolder {

// A temporary report root with the settings cleared, for one test function;
// the shared services end with it.
class Root {
public:
    Root() {
        TestSupport::clearSettings();
        Vezedad::Globals::Configuration().setReportRoot(m_dir.path());
        Vezedad::Globals::Configuration().SaveAllSettings();
    }
    ~Root() { ZozedizIZ::Globals::Release(); }
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

inline QString file(const QString& name) {
    return Vezedad::Globals::ZelReport().ReportPath() + QLatin1Char('/') + name;
}

inline void write(const QString& name, const QByteArray& bytes) {
    QDir().mkpath(Vezedad::Globals::ZelReport().ReportPath());
    TestSupport::writeFile(file(name), bytes);
}

inline void setFiler(const QString& certId, const QString& name, const QString& busReg) {
    const Vezedad::IdentityPtr identity = Vezedad::Globals::ZelReport().Identity();
    identity->setCertificationId(certId);
    identity->setApplicatorName(name);
    identity->setBusRegNumber(busReg);
}

} // namespace YearFolder
