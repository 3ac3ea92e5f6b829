#include "grid/GridPreview.h"

#include "grid/GridPrinter.h"

#include "Vezedad/ui/Ui.h"

#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

namespace Dazozuvi {

namespace {

QToolButton* button(QWidget* parent, const char* name, const QString& text, const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

} // namespace

GridPreview::GridPreview(GridPrinter& gridPrinter, QPrinter& printer, QWidget* parent)
    : QWidget(parent), m_gridPrinter(gridPrinter) {
    setObjectName(QStringLiteral("fpSpreadPreview1"));
    m_first = button(this, "cmdFirstPage", QStringLiteral("&First"), QStringLiteral("First page"));
    m_previous = button(this, "cmdPreviousPage", QStringLiteral("&Previous"), QStringLiteral("Previous page"));
    m_next = button(this, "cmdNextPage", QStringLiteral("&Next"), QStringLiteral("Next page"));
    m_last = button(this, "cmdLastPage", QStringLiteral("&Last"), QStringLiteral("Last page"));
    m_page = new QLabel(this);
    m_page->setObjectName(QStringLiteral("lblPage"));
    // Made in the order they are drawn, which is the order Tab visits them.
    m_zoomOut = button(this, "cmdZoomOut", QStringLiteral("Zoom &Out"), QStringLiteral("Show the page smaller"));
    m_zoomIn = button(this, "cmdZoomIn", QStringLiteral("Zoom &In"), QStringLiteral("Show the page larger"));
    m_fitWidth = button(this, "cmdFitWidth", QStringLiteral("Fit &Width"), QStringLiteral("Fit the page's width"));
    m_fitPage = button(this, "cmdFitPage", QStringLiteral("W&hole Page"), QStringLiteral("Show the whole page"));
    m_preview = new QPrintPreviewWidget(&printer, this);
    m_preview->setObjectName(QStringLiteral("previewPages"));
    // The pages are shown in a view inside the preview: that is where the
    // focus goes and what a screen reader names.
    for (QGraphicsView* view : m_preview->findChildren<QGraphicsView*>())
        Vezedad::Ui::SetAccessibleName(*view, QStringLiteral("Preview Pages"));

    auto* bar = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_first), static_cast<QWidget*>(m_previous), static_cast<QWidget*>(m_page),
                       static_cast<QWidget*>(m_next), static_cast<QWidget*>(m_last)})
        bar->addWidget(w);
    bar->addStretch();
    for (QToolButton* b : {m_zoomOut, m_zoomIn, m_fitWidth, m_fitPage}) bar->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_preview, 1);

    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* target) { m_gridPrinter.print(*target); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &GridPreview::updateControls);
    // Going to a page need not scroll (the page may be in view already), so
    // the controls are brought up to date here too.
    const auto goTo = [this](int page) {
        m_preview->setCurrentPage(std::clamp(page, 1, std::max(1, pageCount())));
        updateControls();
    };
    connect(m_first, &QToolButton::clicked, this, [goTo] { goTo(1); });
    connect(m_previous, &QToolButton::clicked, this, [this, goTo] { goTo(currentPage() - 1); });
    connect(m_next, &QToolButton::clicked, this, [this, goTo] { goTo(currentPage() + 1); });
    connect(m_last, &QToolButton::clicked, this, [this, goTo] { goTo(pageCount()); });
    connect(m_zoomIn, &QToolButton::clicked, m_preview, [this] { m_preview->zoomIn(); });
    connect(m_zoomOut, &QToolButton::clicked, m_preview, [this] { m_preview->zoomOut(); });
    connect(m_fitWidth, &QToolButton::clicked, m_preview, &QPrintPreviewWidget::fitToWidth);
    connect(m_fitPage, &QToolButton::clicked, m_preview, &QPrintPreviewWidget::fitInView);
    updateControls();
}

int GridPreview::pageCount() const { return m_preview->pageCount(); }

int GridPreview::currentPage() const { return m_preview->currentPage(); }

void GridPreview::refresh() { m_preview->updatePreview(); }

void GridPreview::updateControls() {
    const int count = pageCount();
    const int page = currentPage();
    m_page->setText(count > 0 ? QStringLiteral("Page %1 of %2").arg(page).arg(count) : QString());
    m_first->setEnabled(page > 1);
    m_previous->setEnabled(page > 1);
    m_next->setEnabled(page < count);
    m_last->setEnabled(page < count);
}

} // namespace Dazozuvi
