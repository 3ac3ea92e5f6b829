#pragma once
#include <QWidget>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QToolButton;

namespace Dazozuvi {

class GridPrinter;

// The print preview of a report grid: the pages as the printer lays them out,
// with buttons to page through them and to zoom. The window that shows it
// adds its own Print button and prints through GridPrinter::print. The grid
// printer and the printer must outlive the preview.
class GridPreview : public QWidget {
    Q_OBJECT

public:
    GridPreview(GridPrinter& gridPrinter, QPrinter& printer, QWidget* parent = nullptr);

    QPrintPreviewWidget* previewWidget() const { return m_preview; }
    int pageCount() const;
    int currentPage() const;

public slots:
    // Lays the pages out again, after the grid or the printer changed.
    void refresh();

private:
    void updateControls();

    GridPrinter& m_gridPrinter;
    QPrintPreviewWidget* m_preview = nullptr;
    QToolButton* m_first = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_last = nullptr;
    QLabel* m_page = nullptr;
    QToolButton* m_zoomIn = nullptr;
    QToolButton* m_zoomOut = nullptr;
    QToolButton* m_fitWidth = nullptr;
    QToolButton* m_fitPage = nullptr;
};

} // namespace Dazozuvi
