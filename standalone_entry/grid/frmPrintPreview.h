#pragma once
#include <QDialog>
#include <QPointer>
#include <QPrinter>

#include <memory>

class QPushButton;

namespace Vezedad {
class Identity;
}

namespace Dazozuvi {

class GridPreview;
class GridPrinter;
class ReportGrid;

// The print preview of a report grid: the pages with their header and footer
// mark-up, page and zoom controls, and a Print button that, after the
// printout notice, asks in the print dialog where the pages go (a printer or
// a PDF file) and prints them there; Cancel there keeps the preview open.
// The grid controller prepares it and shows it modally.
class frmPrintPreview : public QDialog {
    Q_OBJECT

public:
    explicit frmPrintPreview(QWidget* parent = nullptr);
    ~frmPrintPreview() override;

    // Sets the grid's page header and footer mark-up for the form type, the
    // filer's numbers in objIdentity and a sub-title (may be empty), fixes the
    // print settings and shows the grid's pages. The grid must outlive the
    // window. Errors reach the caller.
    void PrepareToPrint(qint32 formType, const Vezedad::Identity& objIdentity, const QString& strExtraLine,
                        ReportGrid& sheet);

    // The page header and footer mark-up of a printout. Values put into it
    // (names, numbers, the sub-title) have "/" doubled, so they print as
    // typed.
    static QString PageHeader(qint32 formType, const Vezedad::Identity& objIdentity, const QString& strExtraLine);
    static QString PageFooter();

    GridPreview* preview() const { return m_preview; }
    QPrinter& printer() { return m_printer; }

private:
    static QString FormTitle(qint32 formType);
    static QString IdentityLine(qint32 formType, const Vezedad::Identity& objIdentity);
    void SetPrintOptions(ReportGrid& sheet);
    void SetBackColor();
    void Form_Load();
    void cmdPrint_Click();

    QPrinter m_printer{QPrinter::HighResolution};
    QPointer<ReportGrid> m_sheet;
    std::unique_ptr<GridPrinter> m_gridPrinter;
    QPushButton* cmdPrint = nullptr;
    GridPreview* m_preview = nullptr;
};

} // namespace Dazozuvi
