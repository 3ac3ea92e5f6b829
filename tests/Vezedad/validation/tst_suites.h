#pragma once
#include <QObject>

class TestFieldRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void rules_data();
    void rules();
    void messageFollowsWrittenBackValue();
    void quickAcceptNeverPassesWhatTheRulesReject_data();
    void quickAcceptNeverPassesWhatTheRulesReject();
};

class TestResults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void factoryPairsCodeAndSeverity_data();
    void factoryPairsCodeAndSeverity();
    void directCreationIsRefused();
    void codeAndSeveritySetters();
    void recordSeverityAndTerminal();
    void recordToString();
    void fileCountsKeysAndTerminal();
    void fileReplaceAndRemoveAll();
    void packedTextsComeBackUnchanged_data();
    void packedTextsComeBackUnchanged();
    void messageKeepsItsTextWhenTheFindingChanges();
    void fileLookupOutOfOrder();
};

class TestTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldNames_data();
    void fieldNames();
    void messages_data();
    void messages();
    void columnCounts();
    void expectedColumns();
};

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void columnStructure_data();
    void columnStructure();
    void columnCount_data();
    void columnCount();
    void records_data();
    void records();
    void emptyDelimiterComesBackAsPipe();
    void layoutsAreValidatedColumnByColumn_data();
    void layoutsAreValidatedColumnByColumn();
};

class TestFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void refusedBeforeReading();
    void runs_data();
    void runs();
    void eventFigures();
    void errorLimit();
    void cancel();
    void listenerMayCallBackIn();
};
