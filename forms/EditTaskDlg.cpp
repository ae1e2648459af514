#include "forms/EditTaskDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "Common/MessageBoxes.h"
#include "Common/UUtils.h"
#include "forms/FormsSupport.h"
#include "forms/TaskWindows.h"
#include "tasks/TaskServices.h"
#include "tasks/UTasks.h"

namespace skylog::forms {

namespace {

constexpr int kLargeIcon = 32;
// Wide enough for the longest day count (1000).
constexpr int kNumberLength = 4;

QToolButton* arrow(QWidget* parent, const char* name, Qt::ArrowType type) {
    auto* button = Named(new QToolButton(parent), name);
    button->setArrowType(type);
    button->setAutoRepeat(true);
    button->setFixedSize(18, 12);
    return button;
}

}  // namespace

TEditTaskFrm::TEditTaskFrm(TTaskServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("TEditTaskFrm"));
    setWindowTitle(QStringLiteral("Edition d'une tâche"));

    type_ = Named(new QComboBox(this), "TypeCmbBx");
    for (int type = 0; type < TTasksList::AvailableTasks; ++type)
        type_->addItem(Q(TTasksList::TaskTypeName(type)));
    type_->setCurrentIndex(-1);
    connect(type_, &QComboBox::currentIndexChanged, this, &TEditTaskFrm::TypeChange);
    typeImage_ = Named(new QLabel(this), "TypeImg");
    typeImage_->setFixedSize(kLargeIcon, kLargeIcon);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Type :"), this));
    typeRow->addWidget(type_, 1);
    typeRow->addWidget(typeImage_);

    planning_ = Named(new QGroupBox(QStringLiteral("Planification"), this), "PlanningGrpBx");
    date_ = Named(new QDateEdit(planning_), "NextCallDatePicker");
    date_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    time_ = Named(new QTimeEdit(planning_), "NextCallTimePicker");
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    number_ = LineEdit(planning_, "PeriodEdit", 48);
    number_->setMaxLength(kNumberLength);
    number_->setText(QStringLiteral("1"));
    connect(number_, &QLineEdit::editingFinished, this, &TEditTaskFrm::NumberExit);
    upDown_ = Named(new QWidget(planning_), "PeriodUpDown");
    auto* arrows = new QVBoxLayout(upDown_);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    auto* up = arrow(upDown_, "PeriodUpBtn", Qt::UpArrow);
    auto* down = arrow(upDown_, "PeriodDownBtn", Qt::DownArrow);
    connect(up, &QToolButton::clicked, this, [this] { StepNumber(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepNumber(-1); });
    arrows->addWidget(up);
    arrows->addWidget(down);
    unit_ = Named(new QComboBox(planning_), "PeriodUnitCmbBx");
    for (const char* name : kPeriodUnitNames) unit_->addItem(Q(name));
    connect(unit_, &QComboBox::currentIndexChanged, this, &TEditTaskFrm::UnitChange);

    auto* grid = new QGridLayout(planning_);
    grid->addWidget(new QLabel(QStringLiteral("Prochaine exécution :"), planning_), 0, 0, 1, 6);
    grid->addWidget(new QLabel(QStringLiteral("Le"), planning_), 1, 0, Qt::AlignRight);
    grid->addWidget(date_, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("à"), planning_), 1, 3, Qt::AlignRight);
    grid->addWidget(time_, 1, 4, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Périodicité :"), planning_), 2, 0, 1, 6);
    auto* period = new QHBoxLayout;
    period->setSpacing(2);
    period->addWidget(number_);
    period->addWidget(upDown_);
    period->addSpacing(8);
    period->addWidget(unit_);
    period->addStretch();
    grid->addLayout(period, 3, 1, 1, 5);
    grid->setColumnStretch(5, 1);

    auto* descriptionGroup =
        Named(new QGroupBox(QStringLiteral("Description"), this), "DescriptionGrpBx");
    description_ = Named(new QLabel(Q(kNoTaskTypeDescription), descriptionGroup), "DescriptionLbl");
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setMinimumHeight(48);
    config_ = Button(descriptionGroup, "ConfigBtn", "Configuration...");
    connect(config_, &QPushButton::clicked, this, &TEditTaskFrm::ConfigBtnClick);
    auto* descriptionLayout = new QVBoxLayout(descriptionGroup);
    descriptionLayout->addWidget(description_, 1);
    descriptionLayout->addWidget(config_, 0, Qt::AlignRight);

    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "OkBtn");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TEditTaskFrm::OkBtnClick);
    auto* cancel = Button(this, "CancelBtn", "Annuler");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow);
    layout->addWidget(planning_);
    layout->addWidget(descriptionGroup, 1);
    layout->addLayout(buttons);
    setMinimumWidth(400);

    // Opening without a task: no type, the next call in five minutes, a single call.
    const TDateTime next = DefaultNextCall(services_.Env.Clock.Now());
    date_->setDate(ToQDate(next));
    time_->setTime(ToQTime(next));
    unit_->setCurrentIndex(static_cast<int>(TPeriodUnit::Unique));
    showType();
    showUnit();
}

TEditTaskFrm::~TEditTaskFrm() = default;

std::unique_ptr<TTask> TEditTaskFrm::TakeTask() { return std::move(task_); }

TPeriodUnit TEditTaskFrm::unit() const {
    return static_cast<TPeriodUnit>(std::max(0, unit_->currentIndex()));
}

void TEditTaskFrm::SetTask(const TTask& task) {
    loading_ = true;
    task_ = TTasksList::CreateTask(task.Type);
    if (task_) {
        task_->NextCall = task.NextCall;
        task_->Periodicity = task.Periodicity;
    }
    type_->setCurrentIndex(task_ ? task.Type : -1);
    const TDateTime next =
        task.NextCall != 0 ? task.NextCall : DefaultNextCall(services_.Env.Clock.Now());
    date_->setDate(ToQDate(next));
    time_->setTime(ToQTime(next));
    // The number shows as loaded; the bounds are those of its unit (the box is
    // bounded when it is left, or at OK).
    const TPeriodShown shown = PeriodShownOf(task.Periodicity);
    unit_->setCurrentIndex(static_cast<int>(shown.Unit));
    number_->setText(QString::number(shown.Number));
    if (task_) task_->Assign(task);
    showType();
    showUnit();
    loading_ = false;
}

void TEditTaskFrm::showType() {
    typeImage_->setPixmap(task_ ? TaskIcon(task_->ImageIndex).pixmap(kLargeIcon, kLargeIcon)
                                : QPixmap());
    description_->setText(task_ ? Q(task_->Description()) : Q(kNoTaskTypeDescription));
    planning_->setEnabled(task_ != nullptr);
    config_->setVisible(task_ && task_->HasConfig);
}

void TEditTaskFrm::showUnit() {
    const bool counted = unit() != TPeriodUnit::Unique;
    number_->setVisible(counted);
    upDown_->setVisible(counted);
}

// A new type starts from its defaults: the parameters of the old one are dropped.
void TEditTaskFrm::TypeChange(int index) {
    if (loading_) return;
    task_ = TTasksList::CreateTask(index);
    showType();
}

void TEditTaskFrm::UnitChange(int /*index*/) {
    if (loading_) return;
    const TPeriodUnit chosen = unit();
    if (chosen != TPeriodUnit::Unique)
        number_->setText(QString::number(PeriodDefaultNumber(chosen)));
    showUnit();
    NumberExit();
}

void TEditTaskFrm::NumberExit() {
    const QString bounded = Q(BoundPeriodText(S(number_->text()), unit()));
    if (bounded != number_->text()) number_->setText(bounded);
}

void TEditTaskFrm::StepNumber(int step) {
    const auto number = ParseInt32(Trim(S(number_->text())));
    const int next = number ? *number + step : kPeriodMinimum;
    number_->setText(QString::number(ClampPeriodNumber(next, unit())));
}

void TEditTaskFrm::ConfigBtnClick() {
    if (task_ && task_->HasConfig) task_->Configure(services_);
}

void TEditTaskFrm::OkBtnClick() {
    if (!task_) {
        reject();
        return;
    }
    NumberExit();
    TScheduleTexts texts;
    texts.Date = FromQDate(date_->date());
    texts.Time = FromQTime(time_->time());
    texts.Unit = unit();
    texts.Number = S(number_->text());
    const TScheduleReading reading = ReadSchedule(texts, services_.Env.Clock.Now());
    if (reading.Refusal) {
        services_.Env.Reporter.Warning(reading.Refusal->Message);
        if (reading.Refusal->Box == TScheduleBox::Number)
            number_->setFocus();
        else
            date_->setFocus();
        return;
    }
    task_->NextCall = reading.Schedule->NextCall;
    task_->Periodicity = reading.Schedule->Periodicity;
    accept();
}

}  // namespace skylog::forms
