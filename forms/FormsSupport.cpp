#include "forms/FormsSupport.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

static void initFormsQrc() { Q_INIT_RESOURCE(forms); }

namespace skylog::forms {

void InitFormsResources() {
    static const bool done = (initFormsQrc(), true);
    (void)done;
}

QIcon FormsIcon(const char* name) {
    InitFormsResources();
    return QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(name) + QStringLiteral(".svg"));
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace skylog::forms
