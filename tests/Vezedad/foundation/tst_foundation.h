#pragma once
#include <QObject>

// The foundation's tests, one class over several files by topic: errors and
// the entry object (tst_foundation.cpp), settings, files and folders,
// utilities and documentation links. Every test starts with the thread's
// services released and both settings hives gone.
class tst_foundation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Errors, factories and the entry object.
    void assembleErrorCode_data();
    void assembleErrorCode();
    void trailForms_data();
    void trailForms();
    void trailStacksOnePerProcedure();
    void foreignFailuresBecomeErrors();
    void runtimeErrorsCarryTheirText();
    void directCreationOfFactoryOnlyClassFails();
    void factoryOfClassThatIgnoresFlagFails();
    void servicesAreOnePerThread();
    void threadEndReleasesUpperLibrariesFirst();
    void releaseSavesChangedSettings();
    void formNames_data();
    void formNames();
    void optionNames_data();
    void optionNames();
    void appendElement();

    // Settings and the registry layer.
    void registryKeepsTypesApart();
    void registryResultCodes();
    void unchangedHiveIsNotRewritten();
    void wrappersRaiseTheResult();
    void defaultsWriteNothing();
    void userHiveHidesMachineHive();
    void machineWriteRemovesUserValue();
    void unchangedValueStaysClean();
    void showPromptIsStoredAsText();
    void resetAndClear();
    void otherRegistryTypesCountAsMissing();
    void anyTextIsStored_data();
    void anyTextIsStored();
    void reportYearIsWrittenAtOnce();
    void badStoredValues_data();
    void badStoredValues();
    void damagedReportYearReadsAsNone_data();
    void damagedReportYearReadsAsNone();
    void refusedEverywhereStaysPending();
    void machineRefusalFallsBackToUser();
    void damagedHiveFileReadsAsEmpty();
    void malformedValuesCountAsMissing_data();
    void malformedValuesCountAsMissing();
    void hiveThatIsNoFileIsNotWaitedOn();
    void concurrentWritersLoseNothing();

    // Single-byte text files, folders and file-system failures.
    void everyByteRoundTrips();
    void unwritableTextIsRefusedClearly();
    void anyLineEndIsAccepted();
    void writingEndsLinesWithCrLfAndKeepsBytes();
    void failedWriterLeavesOldFile();
    void failedSyncKeepsTheOldFile_data();
    void failedSyncKeepsTheOldFile();
    void savesOfOneFileTakeTurns_data();
    void savesOfOneFileTakeTurns();
    void checkBeforeReplacingRunsUnderTheLock();
    void leftoversOfCutOffSavesAreRemoved();
    void ownerGroupAndModeAreKept_data();
    void ownerGroupAndModeAreKept();
    void appendingKeepsWhatWasThere();
    void firstLineIsReadOnItsOwn_data();
    void firstLineIsReadOnItsOwn();
    void textStreamsReadUtf8();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void failuresSayWhatHappened_data();
    void failuresSayWhatHappened();
    void pathPieces_data();
    void pathPieces();
    void buildPath();
    void filesAreListedIgnoringCase();
    void createFolder();
    void foldersMadeAtOnceByManyThreads();

    // Utilities, conversions, versions, collections and sorting.
    void shifts_data();
    void shifts();
    void winApiError();
    void names_data();
    void names();
    void parseString_data();
    void parseString();
    void parseStringCountsPastSixteenBits();
    void numbersInText_data();
    void numbersInText();
    void wholeNumbers_data();
    void wholeNumbers();
    void blanksAreTrimmed_data();
    void blanksAreTrimmed();
    void asciiIsTold();
    void versionsFromText_data();
    void versionsFromText();
    void versionOverflow();
    void compare_data();
    void compare();
    void versionFromXml_data();
    void versionFromXml();
    void stringCollection();
    void shellSort_data();
    void shellSort();
    void shellSortOfNonArrayRaises();

    // Documentation links.
    void everyPageForEveryOption_data();
    void everyPageForEveryOption();
    void showFileOpensOnlyFiles();
    void failedStartRaisesThePlatformCode();
    void aFileNotOpenedIsNamedWithWhatToDo_data();
    void aFileNotOpenedIsNamedWithWhatToDo();
};
