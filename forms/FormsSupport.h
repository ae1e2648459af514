#pragma once
// Small helpers shared by the windows: text between the engine (UTF-8) and Qt, the
// icons of forms.qrc, and the placement of a window on its screen.

#include <QDate>
#include <QString>
#include <QTime>
#include <string>
#include <string_view>

#include "Common/DateTime.h"

class QIcon;
class QLineEdit;
class QPushButton;
class QWidget;

namespace skylog::forms {

[[nodiscard]] inline QString Q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
[[nodiscard]] inline std::string S(const QString& text) { return text.toStdString(); }

// Registers the icons of forms.qrc (a static library's resources are not registered
// by themselves); safe to call more than once.
void InitFormsResources();
// One of our icons by name (":/icons/<name>.svg").
[[nodiscard]] QIcon FormsIcon(const char* name);

// The widget, named: the name of the control in the tests and the screenshots.
template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
// A push button that Enter in another control does not press (it presses the focused
// button only).
[[nodiscard]] QPushButton* Button(QWidget* parent, const char* name, const char* caption);
// A text box, of a fixed width when one is given.
[[nodiscard]] QLineEdit* LineEdit(QWidget* parent, const char* name, int width = 0);

// A date-time's day and time of day in the date and time boxes, and back.
[[nodiscard]] QDate ToQDate(TDateTime value);
[[nodiscard]] QTime ToQTime(TDateTime value);
[[nodiscard]] TDateTime FromQDate(const QDate& date);
[[nodiscard]] TDateTime FromQTime(const QTime& time);

// Moves a top-level window to the middle of its screen.
void CentreOnScreen(QWidget& window);

}  // namespace skylog::forms
