#include "forms/SimpleMessageDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "forms/FormsSupport.h"

namespace skylog::forms {

namespace {
constexpr int kMapWaitMs = 500;
constexpr int kMapWaitStepMs = 20;
}  // namespace

TSimpleMessageFrm::TSimpleMessageFrm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TSimpleMessageFrm"));
    setWindowTitle(QStringLiteral("Skylog"));
    resize(380, 110);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("MessageLbl"));
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_, 1);
    layout->addWidget(bar_);
}

void TSimpleMessageFrm::SetIsProgressBar(bool on) {
    isProgressBar_ = on;
    bar_->setVisible(on);
}

void TSimpleMessageFrm::SetMessage(const QString& text) {
    message_->setText(text);
    message_->repaint();
}

// The work holds the event loop, and a window is painted only once the windowing system
// has mapped it: until then (a short while at most) the loop runs without user input.
void TSimpleMessageFrm::Begin(std::string_view caption) {
    setWindowTitle(Q(caption));
    SetIsProgressBar(true);
    show();
    raise();
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < kMapWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, kMapWaitStepMs);
    repaint();
}

void TSimpleMessageFrm::End() { hide(); }

void TSimpleMessageFrm::SetLabel(std::string_view text) { SetMessage(Q(text)); }

void TSimpleMessageFrm::SetMaximum(int maximum) { bar_->setMaximum(maximum > 0 ? maximum : 100); }

void TSimpleMessageFrm::SetPosition(int position) {
    bar_->setValue(position);
    bar_->repaint();
}

// The window goes with its task; the window manager's close request is refused.
void TSimpleMessageFrm::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

}  // namespace skylog::forms
