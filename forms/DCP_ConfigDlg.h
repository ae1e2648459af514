#pragma once
// The general configuration dialog: the working directory, how the parameter block is
// shown, the default transmission interval and the decoding switches. OK takes the
// values into the run's settings and writes them at once; Cancel changes nothing.
// The rules are the engine's (Common/SettingsForm.h).

#include <QDialog>
#include <functional>

#include "Common/SettingsForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace skylog {
class IMessageBoxes;
}

namespace skylog::forms {

class TDCP_ConfigFrm : public QDialog {
    Q_OBJECT
public:
    // The settings and the boxes must outlive the dialog; saveSettings writes the
    // settings (it reports its own failures).
    TDCP_ConfigFrm(TSkylogSettings& settings, IMessageBoxes& boxes, std::function<void()> saveSettings,
                   QWidget* parent = nullptr);

    void ImprobableDateChkBxClick();
    void OkBtnClick();

private:
    [[nodiscard]] TSettingsTexts texts() const;

    TSkylogSettings& settings_;
    IMessageBoxes& boxes_;
    std::function<void()> saveSettings_;

    QLineEdit* dirEdit_;
    QComboBox* interpreteParam_;
    QLineEdit* defaultInterval_;
    QCheckBox* decodIncomplete_;
    QCheckBox* decodBadFE_;
    QCheckBox* decodBadTime_;
    QCheckBox* improbableDate_;
    QLineEdit* passeLimit_;
    QLineEdit* futurLimit_;
    QList<QLabel*> limitLabels_;
    QComboBox* dateType_;
};

}  // namespace skylog::forms
