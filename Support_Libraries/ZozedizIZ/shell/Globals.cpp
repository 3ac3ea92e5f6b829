#include "ZozedizIZ/shell/Globals.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZiverezUvaveded/Proxy.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/FileOperations.h"
#include "ZozedizIZ/shell/MoreApplicatorsDialog.h"
#include "ZozedizIZ/shell/Utilities.h"
#include "ZozedizIZ/shell/frmAbout.h"
#include "ZozedizIZ/shell/frmInfo.h"

namespace ZozedizIZ {

namespace modGlobals {

const Vezedad::FactoryModule& factoryModule() {
    static const Vezedad::FactoryModule module(Vezedad::FactoryModule::UiLibrary, slotCount);
    return module;
}

Vezedad::ServiceSlots& services() { return factoryModule().services(); }

void SetFactoryFlag() { factoryModule().setFactoryFlag(); }

bool InFactory() { return factoryModule().takeFactoryFlag(); }

void requireFactory(const QString& className) {
    Vezedad::requireFactory(factoryModule(), Vezedad::errFactoryMethodNotUsed,
                            QStringLiteral("ZozedizIZ::") + className,
                            QStringLiteral("Client code did not call factory method for ") + className);
}

Vezedad::FactoryFailure factoryFailure(const QString& factoryName, const QString& className) {
    return Vezedad::FactoryFailure{Vezedad::errMissingCode,
                                   QStringLiteral("ZozedizIZ:") + factoryName + QStringLiteral(" Factory"), className};
}

ZozedizIZ::EpaDataList& EpaList() { return Globals::EpaList(); }

ZozedizIZ::FileOperations& FileOperations() {
    return Vezedad::perThreadService<ZozedizIZ::FileOperations>(
        factoryModule(), slotFileOperations, [] { return std::make_unique<ZozedizIZ::FileOperations>(); });
}

MoreApplicatorsDialog& MoreApplicators() {
    return Vezedad::perThreadService<MoreApplicatorsDialog>(factoryModule(), slotMoreApplicators, [] {
        return Vezedad::createThroughFactory<MoreApplicatorsDialog>(
            factoryModule(),
            factoryFailure(QStringLiteral("MoreApplicators"), QStringLiteral("MoreApplicatorsDialog")));
    });
}

ZozedizIZ::Utilities& Utilities() { return Globals::Utilities(); }

void ShowNewVersion(const QString& appName, const Vezedad::ClientVersion& thisVersion,
                    const Vezedad::ClientVersion& newVersion) {
    const QString caption = GetMessage(kvmNewVersionCaption);
    QString text = GetMessage(kvmNewVersionAvailable);
    text.replace(QStringLiteral("[appName]"), appName, Qt::CaseSensitive);
    text.replace(QStringLiteral("[thisVersion]"), thisVersion.Version(), Qt::CaseSensitive);
    text.replace(QStringLiteral("[newVersion]"), newVersion.Version(), Qt::CaseSensitive);
    ShowInfo(caption, text);
}

void ShowNoConnection() { ShowInfo(GetMessage(kvmNoNetConnectCaption), GetMessage(kvmNoNetConnection)); }

void ShowInfo(const QString& title, const QString& text) {
    frmInfo form;
    form.setWindowTitle(title);
    form.SetMessage(text);
    Vezedad::Ui::ExecModal(form);
}

} // namespace modGlobals

QString Globals::StdErrHeader() { return QStringLiteral("Warning"); }

void Globals::CheckVersion(qint32 kvoOption, qint16 intMajor, qint16 intMinor, qint16 intRevision) {
    using Vezedad::Utilities;
    Vezedad::trapArrow(QStringLiteral("ZozedizIZ::Globals.CheckVersion"), [&] {
        const QString shortName = Vezedad::Globals::GetOptionName(kvoOption, false);
        Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
        QString lastText;
        switch (kvoOption) {
        case Vezedad::kvoOptionA: lastText = settings.OptionAVersion(); break;
        case Vezedad::kvoOptionB: lastText = settings.OptionBVersion(); break;
        case Vezedad::kvoOptionC: lastText = settings.OptionCVersion(); break;
        default: break;
        }
        const Vezedad::ClientVersionPtr running = Utilities::MakeVersionFromValues(intMajor, intMinor, 0, intRevision);
        const Vezedad::ClientVersionPtr last = Utilities::MakeVersionFromString(lastText);
        const Vezedad::ClientVersionPtr current = VezirodEdovud::Globals::Proxy().CurrentVersion(shortName);
        if (running->CompareTo(*current) >= 0 || last->CompareTo(*current) >= 0) return;
        modGlobals::ShowNewVersion(Vezedad::Globals::GetOptionName(kvoOption, true), *running, *current);
        switch (kvoOption) {
        case Vezedad::kvoOptionA: settings.setOptionAVersion(current->ToString()); break;
        case Vezedad::kvoOptionB: settings.setOptionBVersion(current->ToString()); break;
        case Vezedad::kvoOptionC: settings.setOptionCVersion(current->ToString()); break;
        default: break;
        }
    });
}

ZozedizIZ::EpaDataList& Globals::EpaList() {
    // Only the entry object may make the shared list.
    return Vezedad::perThreadService<EpaDataList>(modGlobals::factoryModule(), modGlobals::slotEpaList,
                                                  [] { return std::unique_ptr<EpaDataList>(new EpaDataList); });
}

ZozedizIZ::Controller* Globals::Controller(qint32 vOptionType, const Vezedad::ClientVersionPtr& rVersion) {
    return &Vezedad::perThreadService<ZozedizIZ::Controller>(
        modGlobals::factoryModule(), modGlobals::slotController, [&] {
            return Vezedad::createWithFactoryFlag<std::unique_ptr<ZozedizIZ::Controller>>(
                modGlobals::factoryModule(),
                modGlobals::factoryFailure(QStringLiteral("Controller"), QStringLiteral("Controller")), [&] {
                    auto controller = std::make_unique<ZozedizIZ::Controller>();
                    controller->Init(vOptionType, rVersion);
                    return controller;
                });
        });
}

ZozedizIZ::FileOperations& Globals::FileOperations() { return modGlobals::FileOperations(); }

QString Globals::GetMessage(qint32 MsgId) { return modGlobals::GetMessage(MsgId); }

MoreApplicatorsDialog& Globals::MoreApplicators() { return modGlobals::MoreApplicators(); }

void Globals::ShowAbout(const QString& strTitle, const QString& strProductName, const QString& strDescription,
                        const QString& strVersion, const QString& strCompany, const QString& strContact,
                        const QString& strCopyright, const QIcon& objIcon) {
    frmAbout form;
    form.LoadInfo(strTitle, strProductName, strDescription, strVersion, strCompany, strContact, strCopyright, objIcon);
    Vezedad::Ui::ExecModal(form);
}

ZozedizIZ::Utilities& Globals::Utilities() {
    // Only the entry object may make the rules object.
    return Vezedad::perThreadService<ZozedizIZ::Utilities>(modGlobals::factoryModule(), modGlobals::slotUtilities, [] {
        return std::unique_ptr<ZozedizIZ::Utilities>(new ZozedizIZ::Utilities);
    });
}

void Globals::Release() {
    modGlobals::factoryModule().release();
    VezirodEdovud::Globals::Release();
    Vezedad::Globals::Release();
}

} // namespace ZozedizIZ
