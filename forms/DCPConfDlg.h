#pragma once
// The beacon configuration dialog, on the run's live beacon list: creating or deleting
// a beacon or an association takes effect at once; a beacon's general fields reach it
// when another beacon is chosen or on OK, which also writes DcpList.inf. Closed without
// OK, the typed fields of the current beacon are dropped and nothing else. The checks
// are the engine's (dcp/BeaconForm.h).

#include <QDialog>
#include <string>

#include "Common/DateTime.h"
#include "dcp/BeaconForm.h"
#include "managers/UManagers.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace skylog {
class IMessageBoxes;
class TDCP;
class TDCPList;
}  // namespace skylog

namespace skylog::forms {

inline constexpr const char* kBeaconsCaption = "Configuration des DCP";

class TDCPConfFrm : public QDialog {
    Q_OBJECT
public:
    // The lists and the boxes must outlive the dialog. workDir holds the beacons'
    // stored messages; today fills the dates of a new association.
    TDCPConfFrm(TDCPList& beacons, TManagerList& managers, IMessageBoxes& boxes, std::string workDir,
                TDateTime today, QWidget* parent = nullptr);

    // Opens the dialog on one beacon (its position in the list).
    void SelectBeacon(int index);
    [[nodiscard]] int CurrentBeacon() const { return current_; }
    [[nodiscard]] int SelectedAssociation() const { return selectedAsso_; }

    void ShowBeacon();
    void ShowAssociations();
    void ShowAssociation();
    // Stores the general fields into the current beacon; false (with the message shown)
    // when a name or number is refused, and then nothing is stored.
    bool StoreBeacon();

    void DCPChoiceCmbBxChange(int index);
    void DCPNameEditChange(const QString& text);
    void NewDCPBtnClick();
    void SupprDCPBtnClick();
    void AssoLstViewChange();
    void AddAssBtnClick();
    void ModifAssBtnClick();
    void SupprAssBtnClick();
    void AddManagerBtnClick();
    void EraseManagersBtnClick();
    void OkBtnClick();

private:
    void buildLayout();
    void fillChoice();
    [[nodiscard]] TDCP* currentBeacon() const;
    [[nodiscard]] TBeaconTexts beaconTexts() const;
    [[nodiscard]] TAssoTexts assoTexts() const;
    void showAssoTexts(const TAssoTexts& texts);
    void storeAssociation(bool modify);

    TDCPList& beacons_;
    TManagerList& managers_;
    IMessageBoxes& boxes_;
    std::string workDir_;
    TDateTime today_;

    int current_ = -1;
    int selectedAsso_ = -1;
    TListManagers working_{&managers_};  // the managers of the association being edited
    bool updating_ = false;  // set while the dialog fills its own boxes

    QComboBox* choice_ = nullptr;
    QPushButton* newDCP_ = nullptr;
    QPushButton* supprDCP_ = nullptr;
    QWidget* details_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* baseTime_ = nullptr;
    QLineEdit* interval_ = nullptr;
    QTreeWidget* assoList_ = nullptr;
    QLineEdit* startDate_ = nullptr;
    QLineEdit* startTime_ = nullptr;
    QLineEdit* endDate_ = nullptr;
    QLineEdit* endTime_ = nullptr;
    QLineEdit* instrument_ = nullptr;
    QLineEdit* posName_ = nullptr;
    QLineEdit* managersEdit_ = nullptr;
    QToolButton* addManager_ = nullptr;
    QToolButton* eraseManagers_ = nullptr;
    QPushButton* addAsso_ = nullptr;
    QPushButton* modifAsso_ = nullptr;
    QPushButton* supprAsso_ = nullptr;
};

}  // namespace skylog::forms
