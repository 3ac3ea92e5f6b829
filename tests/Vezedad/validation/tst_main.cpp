#include "tst_suites.h"

#include <QCoreApplication>
#include <QtTest>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int status = 0;
    auto run = [&](QObject&& suite) { status |= QTest::qExec(&suite, argc, argv); };
    run(TestFieldRules());
    run(TestResults());
    run(TestTables());
    run(TestRecords());
    run(TestFiles());
    return status;
}
