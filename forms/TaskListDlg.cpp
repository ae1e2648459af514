#include "forms/TaskListDlg.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "Common/MessageBoxes.h"
#include "forms/EditTaskDlg.h"
#include "forms/FormsSupport.h"
#include "forms/TaskWindows.h"
#include "tasks/TaskForm.h"
#include "tasks/TaskServices.h"
#include "tasks/UTasks.h"

namespace skylog::forms {

namespace {

// OK and Cancel keep this distance from the right edge and from each other.
constexpr int kButtonGap = 10;

// The base rule brings every schedule up to date before it is shown or written.
void updateCalls(TTasksList& tasks, TDateTime now) {
    for (size_t i = 0; i < tasks.Count(); ++i) (void)tasks.At(i)->TTask::IsCallDue(now);
}

}  // namespace

TTaskListFrm::TTaskListFrm(TTasksList& tasks, TTaskServices& services,
                           std::function<void()> activateTasks, QWidget* parent)
    : QDialog(parent),
      tasks_(tasks),
      services_(services),
      activateTasks_(std::move(activateTasks)) {
    setObjectName(QStringLiteral("TTaskListFrm"));
    setWindowTitle(QStringLiteral("Planification des tâches"));

    auto* group = Named(new QGroupBox(QStringLiteral("Liste des tâches"), this), "TaskListGrpBx");
    list_ = Named(new QTreeWidget(group), "TaskListView");
    list_->setHeaderLabels({QStringLiteral("Nom de la tâche"),
                            QStringLiteral("Date du prochain lancement"),
                            QStringLiteral("Périodicité")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setIconSize(QSize(16, 16));
    list_->header()->resizeSection(0, 220);
    list_->header()->resizeSection(1, 200);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { TaskProperties(); });

    const struct {
        const char* name;
        const char* button;
        const char* menuName;
        const char* menuText;
        void (TTaskListFrm::*action)();
    } actions[] = {
        {"AddTaskBtn", "Ajouter une tâche...", "NewTaskMnu", "&Nouvelle tâche...",
         &TTaskListFrm::AddTask},
        {"DeleteTaskBtn", "Supprimer la tâche", "DeleteTaskMnu", "&Supprimer",
         &TTaskListFrm::DeleteTask},
        {"PropertiesTaskBtn", "Propriétés de la tâche...", "EditTaskMnu", "&Propriétés...",
         &TTaskListFrm::TaskProperties},
    };
    auto* menu = Named(new QMenu(this), "TaskListPopupMnu");
    auto* taskButtons = new QHBoxLayout;
    for (const auto& a : actions) {
        auto* button = Button(group, a.name, a.button);
        connect(button, &QPushButton::clicked, this, a.action);
        taskButtons->addWidget(button);
        QAction* entry = menu->addAction(Q(a.menuText));
        entry->setObjectName(QString::fromLatin1(a.menuName));
        connect(entry, &QAction::triggered, this, a.action);
    }
    taskButtons->addStretch();
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(list_->viewport()->mapToGlobal(at)); });
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list_, 1);
    groupLayout->addLayout(taskButtons);

    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "OkBtn");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TTaskListFrm::OkBtnClick);
    auto* cancel = Button(this, "CancelBtn", "Annuler");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonGap);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kButtonGap, kButtonGap, kButtonGap, kButtonGap);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
    resize(640, 320);
    FillList();
}

int TTaskListFrm::selectedTask() const {
    const QList<QTreeWidgetItem*> rows = list_->selectedItems();
    if (rows.isEmpty()) return -1;
    const int row = list_->indexOfTopLevelItem(rows.first());
    return row < static_cast<int>(tasks_.Count()) ? row : -1;
}

void TTaskListFrm::FillList() {
    const int selected = selectedTask();
    list_->clear();
    const TDateTime now = services_.Env.Clock.Now();
    updateCalls(tasks_, now);
    for (size_t i = 0; i < tasks_.Count(); ++i) {
        const TTask& task = *tasks_.At(i);
        auto* row = new QTreeWidgetItem(
            list_, {Q(task.Name()), Q(NextCallString(task)), Q(task.PeriodicityString())});
        row->setIcon(0, TaskIcon(task.ImageIndex));
    }
    if (selected >= 0 && selected < list_->topLevelItemCount())
        list_->topLevelItem(selected)->setSelected(true);
}

void TTaskListFrm::AddTask() {
    TEditTaskFrm editor(services_, this);
    if (editor.exec() != QDialog::Accepted || !editor.Task()) return;
    tasks_.Add(editor.TakeTask());
    FillList();
}

void TTaskListFrm::TaskProperties() {
    const int index = selectedTask();
    if (index < 0) return;
    TEditTaskFrm editor(services_, this);
    editor.SetTask(*tasks_.At(static_cast<size_t>(index)));
    if (editor.exec() != QDialog::Accepted || !editor.Task()) return;
    tasks_.Replace(static_cast<size_t>(index), editor.TakeTask());
    FillList();
}

void TTaskListFrm::DeleteTask() {
    const int index = selectedTask();
    if (index < 0 || !services_.Env.Reporter.Confirmation(kDeleteTaskQuestion)) return;
    tasks_.Delete(static_cast<size_t>(index));
    FillList();
}

void TTaskListFrm::OkBtnClick() {
    updateCalls(tasks_, services_.Env.Clock.Now());
    if (ShouldAskToActivate(tasks_, services_.Env.Settings.Automode) &&
        services_.Env.Reporter.Confirmation(kActivateTasksQuestion) && activateTasks_)
        activateTasks_();
    try {
        tasks_.SaveToFile("");
    } catch (const std::exception& e) {
        // The tasks stay in the run's list, which is written again when the main
        // window closes.
        services_.Env.Reporter.Warning(e.what());
    }
    accept();
}

}  // namespace skylog::forms
