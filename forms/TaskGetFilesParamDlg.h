#pragma once
// The parameter dialog of a file collection task: the folder, the kind of files (a
// mask, typed in upper case under "Autres...") and whether the files are deleted once
// stored. OK writes back to the task; any other close leaves it unchanged.

#include <QDialog>

#include "tasks/UTaskGetFiles.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace skylog::forms {

class TTaskGetFilesParamFrm : public QDialog {
    Q_OBJECT
public:
    explicit TTaskGetFilesParamFrm(QWidget* parent = nullptr);

    void Load(const TTaskGetFiles& task);
    void Store(TTaskGetFiles& task) const;

    void FilesTypeChange(int index);

private:
    void followChoice(TMaskChoice choice);

    QLineEdit* folder_;
    QComboBox* filesType_;
    QLineEdit* mask_;
    QCheckBox* deleteAfterAdd_;
};

}  // namespace skylog::forms
