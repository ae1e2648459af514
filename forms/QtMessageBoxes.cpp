#include "forms/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include "forms/FormsSupport.h"
#include "forms/PluginHost.h"

namespace skylog::forms {
namespace {

QWidget* boxParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return PluginHost().OwnerWindow();
}

}  // namespace

// The captions are the usual ones of each kind of box in a French desktop.
void TQtMessageBoxes::Warning(std::string_view text) {
    QMessageBox::warning(boxParent(), QStringLiteral("Avertissement"), Q(text));
}

void TQtMessageBoxes::Information(std::string_view text) {
    QMessageBox::information(boxParent(), QStringLiteral("Information"), Q(text));
}

bool TQtMessageBoxes::Confirmation(std::string_view text) {
    return QMessageBox::question(boxParent(), QStringLiteral("Confirmation"), Q(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace skylog::forms
