#pragma once
// The scenario information window: one K7 event element by element, each line with its
// element type's icon, or why the event cannot be shown that way. A tool window kept by
// the main window, not modal. The rules without widgets are in ScnInfoModel.

#include <QIcon>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "forms/ScnInfoModel.h"
#include "forms/ViewBodyModel.h"

class QLabel;
class QPlainTextEdit;
class QTreeView;

namespace skylog {
class TEvenement;
}

namespace skylog::forms {

class TScnInfoLinesModel;

// The icon of an element type by its ImageIndex (none for an index without one).
[[nodiscard]] QIcon ElementTypeIcon(int imageIndex);

class TScnInfoFrm : public QWidget {
    Q_OBJECT
public:
    // debug: the host's debug flag, which shows the debug panel and the "Scn: " line.
    TScnInfoFrm(bool debug, QWidget* owner = nullptr);

    // Shows the event (not owned; null shows nothing). The window reads the event here
    // only: the lines are copies, for a refresh of the day may destroy the event while
    // the window stays open.
    // elementChars: the characters each element was read from in the body of the block
    // whose header is given (none: not known); kept as copies too.
    void SetEvt(const TEvenement* event, std::string blockHeader = {}, std::vector<TBodyChars> elementChars = {});
    // What choosing an element line does besides the status: the main window highlights
    // the characters in an open body viewer of the same block.
    using ElementChosenHook = std::function<void(const std::string& blockHeader, const TBodyChars& chars)>;
    void SetOnElementChosen(ElementChosenHook hook) { onElementChosen_ = std::move(hook); }
    // The event last set; a refresh of the day may have destroyed it since: compare it,
    // never read it.
    [[nodiscard]] const TEvenement* Evt() const { return evt_; }
    // The single column as wide as the list.
    void MesListViewResize();

protected:
    void elementLineChosen();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const TEvenement* evt_ = nullptr;
    bool debug_;
    std::string blockHeader_;
    std::vector<TBodyChars> elementChars_;
    ElementChosenHook onElementChosen_;
    QLabel* status_;
    TScnInfoLinesModel* lines_;
    QTreeView* mesListView_;
    QWidget* errorPanel_;
    QLabel* problemInfo_;
    QWidget* debugPanel_;
    QPlainTextEdit* hexaMemo_;
};

}  // namespace skylog::forms
