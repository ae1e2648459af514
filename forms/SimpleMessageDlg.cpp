#include "forms/SimpleMessageDlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "forms/FormsSupport.h"

namespace skylog::forms {

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
