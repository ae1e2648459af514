#include "forms/SimpleMemoDlg.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "forms/FormsSupport.h"

namespace skylog::forms {

TSimpleMemoFrm::TSimpleMemoFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TSimpleMemoFrm"));
    resize(560, 360);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    layout->addLayout(buttons);
    closeTimer_ = new QTimer(this);
    closeTimer_->setObjectName(QStringLiteral("CloseTimer"));
    closeTimer_->setInterval(kTickMs);
    connect(closeTimer_, &QTimer::timeout, this, &TSimpleMemoFrm::OnCloseTimer);
}

void TSimpleMemoFrm::SetLines(const std::vector<std::string>& lines) {
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) text.append(Q(line));
    memo_->setPlainText(text.join(QLatin1Char('\n')));
}

void TSimpleMemoFrm::SetCloseTimer(bool on) {
    ticks_ = 0;
    if (on)
        closeTimer_->start();
    else
        closeTimer_->stop();
}

bool TSimpleMemoFrm::CloseTimerOn() const { return closeTimer_->isActive(); }

void TSimpleMemoFrm::OnCloseTimer() {
    if (++ticks_ < kCloseTicks) return;
    closeTimer_->stop();
    accept();
}

void TSimpleMemoFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        CentreOnScreen(*this);
    }
}

}  // namespace skylog::forms
