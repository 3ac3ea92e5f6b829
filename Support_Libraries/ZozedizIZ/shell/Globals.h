#pragma once
#include "Vezedad/foundation/ClientVersion.h"
#include "Vezedad/foundation/Factory.h"
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QIcon>
#include <QString>

namespace ZozedizIZ {

class Controller;
class EpaDataList;
class FileOperations;
class MoreApplicatorsDialog;
class Utilities;

// Ids of the library's message table (GetMessage). A grid column's tool tip
// is kvmTextTipOffset + the column's report field id.
enum enumKVMessageID : qint32 {
    kvmNoNetConnectCaption = 101,
    kvmNoNetConnection = 102,
    kvmNewVersionCaption = 103,
    kvmNewVersionAvailable = 104,
    kvmMacroReminder = 106,
    kvmFormUse = 108,
    kvmControllerInfo = 201,
    kvmControllerInfoNewOpen = 202,
    kvmControllerInfoValidate = 203,
    kvmControllerInfoNewOpenVal = 204,
    kvmTextTipOffset = 300,
};

// The user-interface library's entry object: always there, nothing to create.
// Its shared services are made on the calling thread's first request and the
// same instance is handed out afterwards, until Release.
class ZOZEDIZIZ_EXPORT Globals {
public:
    // The title front ends put on their warning boxes: "Warning".
    static QString StdErrHeader();

    // The update notice: asks the filing service for the option's current
    // version and, when it is newer than the running one and than the one
    // last announced, shows the new-version notice once and records that
    // version in the option's setting. Every failure (the service cannot be
    // reached, among others) is passed on with this location in its trail.
    static void CheckVersion(qint32 kvoOption, qint16 intMajor, qint16 intMinor, qint16 intRevision);

    // The calling thread's product list, made (and read from its file) on
    // first use.
    static ZozedizIZ::EpaDataList& EpaList();

    // The thread's one report controller, made on the first call for the
    // front end's option and version (0.0.0.0 when null); later calls return
    // it and ignore their arguments.
    static ZozedizIZ::Controller* Controller(qint32 vOptionType, const Vezedad::ClientVersionPtr& rVersion = nullptr);

    // The thread's one file-picker object.
    static ZozedizIZ::FileOperations& FileOperations();

    // The text of a message-table entry, or "" when the table has none.
    static QString GetMessage(qint32 MsgId);

    // The thread's one more-applicators reminder.
    static ZozedizIZ::MoreApplicatorsDialog& MoreApplicators();

    // The About window, modal, filled with a front end's details. Without an
    // icon the library's own is shown.
    static void ShowAbout(const QString& strTitle, const QString& strProductName, const QString& strDescription,
                          const QString& strVersion, const QString& strCompany, const QString& strContact,
                          const QString& strCopyright, const QIcon& objIcon = QIcon());

    // The thread's one identity-completeness rules object.
    static ZozedizIZ::Utilities& Utilities();

    // Ends the calling thread's services of this library and of the libraries
    // below it, in order: this library, the upload library, the non-visual
    // one. Windows among them go, so it runs before the application object
    // ends.
    static void Release();
};

namespace modGlobals {

// Per-thread service slots of this library, released from the last down.
// The controller comes last: it goes first, with its window, while the
// services it uses are still there.
enum Slot : int { slotFileOperations, slotMoreApplicators, slotEpaList, slotUtilities, slotController, slotCount };

// This library's factory flag and per-thread services.
ZOZEDIZIZ_EXPORT const Vezedad::FactoryModule& factoryModule();
ZOZEDIZIZ_EXPORT Vezedad::ServiceSlots& services();

// The factory flag of this library's factory-only classes (one per thread).
ZOZEDIZIZ_EXPORT void SetFactoryFlag();
// Returns the flag and clears it.
ZOZEDIZIZ_EXPORT bool InFactory();

// First step of the initialiser of a factory-only class of this library:
// raises 1002, "Client code did not call factory method for " + className,
// source "ZozedizIZ::" + className, when its factory did not make it.
ZOZEDIZIZ_EXPORT void requireFactory(const QString& className);

// What a factory of this library raises when its class did not take the
// flag: 1001, className + " class does not check for factory method", source
// "ZozedizIZ:" + factoryName + " Factory".
ZOZEDIZIZ_EXPORT Vezedad::FactoryFailure factoryFailure(const QString& factoryName, const QString& className);

// The same shared list as Globals::EpaList().
ZOZEDIZIZ_EXPORT ZozedizIZ::EpaDataList& EpaList();
ZOZEDIZIZ_EXPORT ZozedizIZ::FileOperations& FileOperations();
ZOZEDIZIZ_EXPORT ZozedizIZ::MoreApplicatorsDialog& MoreApplicators();
// The same rules object as Globals::Utilities().
ZOZEDIZIZ_EXPORT ZozedizIZ::Utilities& Utilities();

// The message-table text of id, or "" (never an error).
ZOZEDIZIZ_EXPORT QString GetMessage(qint32 id);

// The telephone number of the help desk the notices name, for a front end's
// About window.
ZOZEDIZIZ_EXPORT QString HelpDesk();

// The notices, each in the information window, modal.
ZOZEDIZIZ_EXPORT void ShowNewVersion(const QString& appName, const Vezedad::ClientVersion& thisVersion,
                                     const Vezedad::ClientVersion& newVersion);
ZOZEDIZIZ_EXPORT void ShowNoConnection();
ZOZEDIZIZ_EXPORT void ShowInfo(const QString& title, const QString& text);

} // namespace modGlobals

} // namespace ZozedizIZ
