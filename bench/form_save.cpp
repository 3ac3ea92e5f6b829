// form_save FILE [FORMTYPE]
//
// A report opened in its form and saved, as a user does: a real report form
// (Form 25 unless FORMTYPE says 1, 4 or 8) opens FILE offscreen under the
// progress window and checks it for the verdict; the user changes one cell
// and chooses Save, answering "validate first?" with No. One run a process
// (run it under bench/pairs for several). Prints, and marks for pairs:
//   load   the load, from the form's Edit to its progress window closed;
//   save   the Save command, from the menu to the file in place;
//   open_peak_mb   the process's peak memory once the report is open;
//   save_peak_mb   its peak while saving (the peak is reset after the open).
// Goals: the save at most 2x the load, and its peak at most 32 MB above the
// open's.
#include "Isolation.h"
#include "Marks.h"

#include "forms/Form25.h"
#include "forms/Form26.h"
#include "forms/Form27.h"
#include "grid/CZelFarpoint.h"
#include "grid/ReportGrid.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

// The process's peak resident memory in MB (VmHWM), and its reset: the
// kernel starts the peak again from the memory in use now.
double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

bool resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

std::unique_ptr<Dazozuvi::ReportForm> newForm(int type) {
    if (type == 1) return std::make_unique<Dazozuvi::Form26>();
    if (type == 4) return std::make_unique<Dazozuvi::Form27>();
    return std::make_unique<Dazozuvi::Form25>();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: form_save FILE [FORMTYPE]\n");
        return 1;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const int type = argc > 2 ? std::atoi(argv[2]) : 8;
    QTemporaryDir root;
    Isolation::isolate(root.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The report in the year folder of a report root of its own.
    Vezedad::Globals::Configuration().setReportRoot(root.path() + QStringLiteral("/reports"));
    QDir().mkpath(root.path() + QStringLiteral("/reports"));
    Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
    report.ConfirmReportFolder();
    const QString path = report.ReportPath() + QStringLiteral("/") + QFileInfo(source).fileName();
    if (!QFile::copy(source, path)) {
        std::fprintf(stderr, "form_save: cannot copy %s\n", argv[1]);
        return 1;
    }

    QElapsedTimer clock;
    double load = -1, save = -1, openPeak = -1, savePeak = -1;
    bool loading = true, saved = false;
    std::unique_ptr<Dazozuvi::ReportForm> form = newForm(type);
    Vezedad::Ui::setMessageBoxHandler([](const Vezedad::Ui::MessageBoxCall& call) {
        // "Validate first?" No; any other box OK.
        return (call.buttons & 0xF) == Vezedad::Ui::vbYesNoCancel ? Vezedad::Ui::vbNo : Vezedad::Ui::vbOK;
    });
    Vezedad::Ui::setModalHandler([&](QDialog& dialog) {
        if (&dialog != form.get()) {
            const int result = dialog.exec();
            if (loading) {
                load = double(clock.nsecsElapsed()) / 1e9;
                loading = false;
            }
            return result;
        }
        // The report is open: one cell changed, then Save.
        openPeak = peakMegabytes();
        const bool reset = resetPeak();
        Dazozuvi::ReportGrid& grid = form->Grid();
        grid.setText(1, 1, grid.text(1, 1));
        form->GridController()->setIsDirty(true);
        QAction* item = form->findChild<QAction*>(QStringLiteral("mnuFileSave"));
        clock.restart();
        item->trigger();
        save = double(clock.nsecsElapsed()) / 1e9;
        savePeak = reset ? peakMegabytes() : -1;
        saved = !form->IsDirty();
        form->GridController()->setIsDirty(false);
        form->close();
        return int(QDialog::Rejected);
    });
    bool cancel = false;
    clock.start();
    form->Edit(cancel, Vezedad::IdentityPtr(), path);
    form.reset();
    ZozedizIZ::Globals::Release();
    if (cancel || !saved) {
        std::fprintf(stderr, "form_save: the report was not %s\n", cancel ? "opened" : "saved");
        return 1;
    }
    Bench::markTook("load", load);
    Bench::markTook("save", save);
    std::printf("load_s=%.3f save_s=%.3f ratio=%.2f open_peak_mb=%.1f save_peak_mb=%.1f above_mb=%.1f\n", load, save,
                save / load, openPeak, savePeak, savePeak - openPeak);
    return 0;
}
