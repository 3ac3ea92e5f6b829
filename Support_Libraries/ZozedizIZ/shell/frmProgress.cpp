#include "ZozedizIZ/shell/frmProgress.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

namespace ZozedizIZ {

// The window on screen. Its only way out is Finished; Esc and the window
// manager's close are refused while the job runs.
class ProgressWindow : public QDialog {
public:
    ProgressWindow(frmProgress& owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}

    void reject() override {
        if (m_owner.mayClose()) m_owner.Finished();
    }

private:
    frmProgress& m_owner;
};

namespace {

// The text cut in the middle with "..." to fit width: a path keeps its start
// and its file name, the parts that tell it apart.
QString elideMiddle(const QString& text, const QFont& font, int width) {
    // Whole pixels, rounded up: the last glyph is never clipped. The width
    // is the one the label lays the line out in, which can pass the sum of
    // the characters' advances by a fraction of a pixel.
    const QFontMetricsF metrics(font);
    const auto fits = [&](const QString& shown) {
        const qreal laidOut = metrics.size(Qt::TextSingleLine | Qt::TextExpandTabs, shown).width();
        return std::ceil(std::max(laidOut, metrics.horizontalAdvance(shown))) <= width;
    };
    if (fits(text)) return text;
    const QString dots = QStringLiteral("...");
    for (qsizetype kept = text.size() - 1; kept > 0; --kept) {
        const qsizetype right = kept / 2;
        const QString shown = text.left(kept - right) + dots + text.right(right);
        if (fits(shown)) return shown;
    }
    return dots;
}

// The operation's description on one line of the window's design width: a
// description that is longer is cut in the middle and shown whole in the tool
// tip. The label never asks the window to grow.
class DescriptionLabel : public QLabel {
public:
    explicit DescriptionLabel(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    void setDescription(const QString& text) {
        m_description = text;
        setToolTip(text);
        // A screen reader reads it whole.
        setAccessibleName(text);
        fit();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        fit();
    }
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange) fit();
    }

private:
    void fit() {
        const QString shown = elideMiddle(m_description, font(), contentsRect().width() - 2 * margin());
        if (shown != text()) setText(shown);
    }

    QString m_description;
};

// Whole-number rounding of the estimate: to the nearest, ties to even.
qint64 roundEven(double value) { return qint64(std::nearbyint(value)); }

QString twoDigits(qint64 value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// The shortest time between two paints of the window's figures.
constexpr qint64 kPaintInterval = 40;

qint64 steadyMilliseconds() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

} // namespace

frmProgress::frmProgress(QObject* parent)
    : QObject(parent), m_clock([] { return QDateTime::currentSecsSinceEpoch(); }) {}

frmProgress::~frmProgress() { delete m_window.data(); }

QDialog* frmProgress::window() const { return m_loaded ? m_window.data() : nullptr; }

void frmProgress::HideWindow() {
    if (m_window && m_window->isVisible()) m_window->hide();
}

void frmProgress::setDescription(const QString& value) {
    if (value == m_description) return;
    m_description = value;
    if (m_loaded && m_window) {
        ShowDescription();
        m_window->repaint();
    }
}

void frmProgress::ShowDescription() {
    static_cast<DescriptionLabel*>(lblOperation)->setDescription(m_description);
    // The bar has no caption of its own: a screen reader hears it by the
    // operation it measures, with the window's title when there is none.
    pbProgress->setAccessibleName(m_description.isEmpty() ? m_window->windowTitle() : m_description);
}

void frmProgress::setMaximumValue(float value) {
    m_showBar = value != 0;
    m_maximum = value > 0 ? value : 100;
    // Each new maximum starts a new stretch of work (the next file of a
    // folder), so the estimate measures it from now.
    m_start = m_clock();
    if (m_loaded && m_window) {
        setBar(0);
        ControlVisibility();
        m_window->repaint();
    }
}

void frmProgress::StartTracking(const QString& OperationDescription, float MaximumValue, bool ShowModal) {
    m_activated = false;
    m_stop = false;
    m_lastPaint = -1;
    setDescription(OperationDescription);
    setMaximumValue(MaximumValue);
    Form_Load();
    m_start = m_clock();
    if (!ShowModal) {
        m_window->show();
        return;
    }
    QPointer<ProgressWindow> window = m_window;
    Vezedad::Ui::ExecModal(*window);
    // The modal loop is over: whatever ended it, the window goes.
    m_loaded = false;
    if (window) {
        window->hide();
        delete window.data();
    }
}

void frmProgress::Form_Load() {
    // A window from an earlier run may still be on its way out.
    if (m_window) m_window->deleteLater();
    QWidget* owner = QApplication::activeWindow();
    auto* window = new ProgressWindow(*this, owner);
    m_window = window;
    window->setObjectName(QStringLiteral("frmProgress"));
    window->setWindowTitle(QStringLiteral("Progress"));
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    window->setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    lblOperation = new DescriptionLabel(window);
    lblOperation->setObjectName(QStringLiteral("lblOperation"));
    lblOperation->setAlignment(Qt::AlignCenter);
    lblStatus = new QLabel(window);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblStatus->setFixedSize(Twips::toPixels(QSize(4815, 975)));
    pbProgress = new QProgressBar(window);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setTextVisible(false);
    lblTimeLeft = new QLabel(QStringLiteral("Estimated Time Left:"), window);
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    txtTimeLeft = new QLineEdit(window);
    txtTimeLeft->setObjectName(QStringLiteral("txtTimeLeft"));
    txtTimeLeft->setReadOnly(true);
    txtTimeLeft->setFocusPolicy(Qt::NoFocus);
    txtTimeLeft->setFixedWidth(Twips::toPixelsX(1335));
    lblTimeLeft->setBuddy(txtTimeLeft);
    cmdStop = new QPushButton(QStringLiteral("&Stop"), window);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdStop->setFixedWidth(Twips::toPixelsX(1695));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblTimeLeft);
    bottom->addWidget(txtTimeLeft);
    bottom->addStretch();
    bottom->addWidget(cmdStop);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(lblOperation);
    layout->addWidget(lblStatus);
    layout->addWidget(pbProgress);
    layout->addLayout(bottom);
    window->setFixedWidth(Twips::toPixelsX(5100));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectGuarded(cmdStop, &QPushButton::clicked, window, QStringLiteral("ZozedizIZ::frmProgress.cmdStop_Click"),
                   [this] { cmdStop_Click(); });
    Vezedad::Ui::OnFirstActivation(*window, [this] { Form_Activate(); });

    // Each step runs even when one before it fails.
    const auto step = [](const std::function<void()>& body) {
        Vezedad::Ui::Guard(body, [](const Vezedad::ErrorInfo&) {});
    };
    step([this] { m_loaded = true; });
    step([this] { ShowDescription(); });
    step([this] { lblStatus->setText(QString()); });
    step([this] { setBar(0); });
    step([this] { ControlVisibility(); });
    step([this] { SetBackColor(); });
    cmdStop->setFocus();
}

void frmProgress::Form_Activate() {
    QCoreApplication::processEvents();
    if (m_activated || !m_loaded) return;
    m_activated = true;
    m_running = true;
    // A caller's handler that lets an error out (ProgressForm never does)
    // still leaves no window behind.
    Vezedad::Ui::Guard([this] { emit Execute(); },
                       [this](const Vezedad::ErrorInfo& error) {
                           QWidget* owner = m_window ? m_window->parentWidget() : nullptr;
                           m_running = false;
                           Finished();
                           Vezedad::Ui::ShowError(error, QStringLiteral("ZozedizIZ::frmProgress.Form_Activate"), owner);
                       });
    m_running = false;
}

bool frmProgress::mayClose() const { return m_activated && !m_running; }

void frmProgress::ControlVisibility() {
    pbProgress->setVisible(m_showBar);
    lblTimeLeft->setVisible(m_showBar);
    txtTimeLeft->setVisible(m_showBar);
    txtTimeLeft->setText(QString());
}

void frmProgress::SetBackColor() { Vezedad::Ui::SetBackColor(*m_window); }

void frmProgress::setBar(float value) {
    // The bar counts in whole steps; a maximum beyond its range is scaled.
    const double top = std::ceil(double(m_maximum));
    const double scale = top > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() / top : 1.0;
    pbProgress->setRange(0, int(top * scale));
    // An amount below nothing shows an empty bar.
    pbProgress->setValue(int(std::lround(qBound(0.0, double(value), top) * scale)));
}

bool frmProgress::Update(const QString& StatusMessage, float AmountDone) {
    if (m_loaded && m_window) {
        // A job may report thousands of times a second; the window shows
        // the latest figures at most every kPaintInterval, so painting never
        // slows the job. The figures themselves are always current.
        const qint64 now = steadyMilliseconds();
        const bool paint = m_lastPaint < 0 || now - m_lastPaint >= kPaintInterval;
        if (paint) {
            m_lastPaint = now;
            m_window->setUpdatesEnabled(true);
        } else if (m_window->updatesEnabled()) {
            m_window->setUpdatesEnabled(false);
            // Painting comes back on its own, should no Update follow (a box
            // shown over the window, the end of the job).
            QTimer::singleShot(kPaintInterval, m_window, [window = m_window] {
                if (window) window->setUpdatesEnabled(true);
            });
        }
        lblStatus->setText(StatusMessage);
        setBar(AmountDone > m_maximum ? m_maximum : AmountDone);
        // The estimate changes about once a second; setting a line edit's
        // text lays it out again even when it is the same.
        const QString timeLeft = TimeLeft(AmountDone);
        if (txtTimeLeft->text() != timeLeft) txtTimeLeft->setText(timeLeft);
    }
    // Every call lets the user's clicks through, however rarely it comes.
    QCoreApplication::processEvents();
    return !m_stop;
}

bool frmProgress::PaintDue() const {
    return !m_loaded || !m_window || m_lastPaint < 0 || steadyMilliseconds() - m_lastPaint >= kPaintInterval;
}

void frmProgress::cmdStop_Click() {
    m_stop = true;
    emit StopExecution();
}

void frmProgress::Finished() {
    if (!m_loaded) return;
    if (m_window && m_window->isVisible()) m_window->done(QDialog::Accepted);
    m_loaded = false;
}

QString frmProgress::TimeLeft(float AmountDone) const {
    return TimeLeftText(m_maximum, AmountDone, m_clock() - m_start);
}

QString frmProgress::TimeLeftText(float maximum, float AmountDone, qint64 elapsedSeconds) {
    if (!(AmountDone > 0)) return QString();
    const float elapsed = float(elapsedSeconds);
    float remaining = (maximum - AmountDone) * elapsed / AmountDone;
    if (!(remaining >= 0) || std::isinf(remaining)) remaining = 0;
    return TimeString(remaining);
}

QString frmProgress::TimeString(float R) {
    const qint64 whole = roundEven(R);
    if (R > 3600) {
        const qint64 hours = whole / 3600;
        const qint64 minutes = roundEven(double(R) - double(hours) * 3600) / 60;
        return QString::number(hours) + u':' + twoDigits(minutes) + u':' + twoDigits(whole % 60) +
               QStringLiteral(" hr");
    }
    if (R > 60) return QString::number(whole / 60) + u':' + twoDigits(whole % 60) + QStringLiteral(" min");
    return QString::number(qint16(whole)) + QStringLiteral(" sec");
}

} // namespace ZozedizIZ
