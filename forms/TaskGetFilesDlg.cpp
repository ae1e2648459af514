#include "forms/TaskGetFilesDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

#include "forms/FormsSupport.h"
#include "tasks/TaskGetFilesRun.h"

namespace skylog::forms {

namespace {

constexpr int kTickMs = 1000;
constexpr int kFrameMs = 60;
constexpr int kFramesPerTrip = 24;

void drawFolder(QPainter& painter, const QRectF& box, const QPalette& palette) {
    QPainterPath path;
    path.moveTo(box.left(), box.top() + 6);
    path.lineTo(box.left() + box.width() * 0.4, box.top() + 6);
    path.lineTo(box.left() + box.width() * 0.4 + 5, box.top());
    path.lineTo(box.right(), box.top());
    path.lineTo(box.right(), box.bottom());
    path.lineTo(box.left(), box.bottom());
    path.closeSubpath();
    painter.setPen(QPen(palette.color(QPalette::Dark), 1.2));
    painter.setBrush(QColor(0xe8, 0xb8, 0x4a));  // a folder's own colour, as in our icons
    painter.drawPath(path);
}

}  // namespace

TFileCopyAnimation::TFileCopyAnimation(QWidget* parent)
    : QWidget(parent), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("CopyAnimation"));
    timer_->setInterval(kFrameMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFramesPerTrip;
        update();
    });
}

QSize TFileCopyAnimation::sizeHint() const { return {272, 76}; }

void TFileCopyAnimation::showEvent(QShowEvent* event) {
    timer_->start();
    QWidget::showEvent(event);
}

void TFileCopyAnimation::hideEvent(QHideEvent* event) {
    timer_->stop();
    QWidget::hideEvent(event);
}

void TFileCopyAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(8, 8, -8, -8);
    const QSizeF folder(44, 32);
    const QRectF from(QPointF(area.left(), area.bottom() - folder.height()), folder);
    const QRectF to(QPointF(area.right() - folder.width(), area.bottom() - folder.height()),
                    folder);
    drawFolder(painter, from, palette());
    drawFolder(painter, to, palette());
    // The sheet flies on an arc from the middle of one folder to the other.
    const double t = static_cast<double>(frame_) / (kFramesPerTrip - 1);
    const double x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const double rest = from.top(), peak = area.top() + 10;
    const double y = rest - std::sin(t * std::numbers::pi) * (rest - peak);
    const QRectF sheet(x - 8, y - 10, 16, 20);
    painter.setPen(QPen(palette().color(QPalette::Text), 1));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRect(sheet);
    for (int line = 0; line < 3; ++line)
        painter.drawLine(QPointF(sheet.left() + 3, sheet.top() + 5 + line * 4),
                         QPointF(sheet.right() - 3, sheet.top() + 5 + line * 4));
}

TTaskGetFilesFrm::TTaskGetFilesFrm(const TaskWork& work, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      work_(work) {
    setObjectName(QStringLiteral("TTaskGetFilesFrm"));
    setWindowTitle(Q(kGetFilesCaption));
    auto* animation = new TFileCopyAnimation(this);
    step_ = Named(new QLabel(this), "StepLbl");
    step_->setMinimumWidth(360);
    bar_ = Named(new QProgressBar(this), "ProgressBar");
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    cancel_ = Button(this, "CancelBtn", "Annuler");
    connect(cancel_, &QPushButton::clicked, this, &TTaskGetFilesFrm::CancelBtnClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(animation, 0, Qt::AlignHCenter);
    layout->addWidget(step_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // not resizable

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("CollectTimer"));
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &TTaskGetFilesFrm::OnTimer);
}

void TTaskGetFilesFrm::Execute() {
    timer_->start();
    exec();
    timer_->stop();
    if (failure_) std::rethrow_exception(failure_);
}

void TTaskGetFilesFrm::showEvent(QShowEvent* event) {
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

// The tick that runs the collection does not count: the window stays the number of
// ticks the run asked for after it.
void TTaskGetFilesFrm::OnTimer() {
    if (isVisible() && countdown_ == -1) {
        runOnce();
        return;
    }
    if (countdown_ > 0 && --countdown_ == 0) done(QDialog::Accepted);
}

// The timer ticks on while the run lets the event loop run: a tick that comes back
// here finds the run started and returns.
void TTaskGetFilesFrm::runOnce() {
    if (started_) return;
    started_ = true;
    running_ = true;
    try {
        work_(*this);
    } catch (...) {
        failure_ = std::current_exception();
    }
    running_ = false;
    if (failure_ || cancelled_) {
        QDialog::reject();
        return;
    }
    if (countdown_ == -1) countdown_ = kCloseAfterImport;
}

void TTaskGetFilesFrm::CancelBtnClick() { reject(); }

void TTaskGetFilesFrm::reject() {
    cancelled_ = true;
    if (!running_) QDialog::reject();
}

void TTaskGetFilesFrm::Begin(std::string_view caption) { setWindowTitle(Q(caption)); }

void TTaskGetFilesFrm::SetLabel(std::string_view text) {
    step_->setText(Q(text));
    step_->repaint();
}

void TTaskGetFilesFrm::SetMaximum(int maximum) { bar_->setMaximum(maximum); }

void TTaskGetFilesFrm::SetPosition(int position) {
    bar_->setValue(position);
    bar_->repaint();
}

bool TTaskGetFilesFrm::CancelRequested() {
    QCoreApplication::processEvents();
    return cancelled_;
}

void TTaskGetFilesFrm::SetCancelEnabled(bool enabled) { cancel_->setEnabled(enabled); }

void TTaskGetFilesFrm::SetCloseCountdown(int ticks) { countdown_ = ticks; }

}  // namespace skylog::forms
