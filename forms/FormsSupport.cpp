#include "forms/FormsSupport.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
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

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* button = Named(new QPushButton(Q(caption), parent), name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* LineEdit(QWidget* parent, const char* name, int width) {
    auto* edit = Named(new QLineEdit(parent), name);
    if (width > 0) edit->setFixedWidth(width);
    return edit;
}

namespace {
const QDate kDayZero(1899, 12, 30);
}

QDate ToQDate(TDateTime value) { return kDayZero.addDays(static_cast<qint64>(DateOf(value))); }

QTime ToQTime(TDateTime value) {
    const TimeParts t = DecodeTime(value);
    return QTime(t.hour, t.minute, t.second, t.msec);
}

TDateTime FromQDate(const QDate& date) { return static_cast<TDateTime>(kDayZero.daysTo(date)); }

TDateTime FromQTime(const QTime& time) { return time.msecsSinceStartOfDay() / kMSecsPerDay; }

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace skylog::forms
