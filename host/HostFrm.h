#pragma once
// The stand-in host's main form "ORMAFrm": a menu button "TraitementsMnuBtn" that
// carries the plug-ins' entries, and a log of what was loaded or refused. It owns the
// host record it hands to the plug-ins, and the host data the record points to.

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "host/PluginLoader.h"
#include "k7/HostData.h"

class QMenu;
class QPlainTextEdit;
class QToolButton;

namespace skylog::host {

struct THostOptions {
    std::unique_ptr<HostDataSet> HostData;  // the record points into it
    std::string HostFileName;               // a file in the host's installation folder
    std::string Version;                    // "major.minor.release.build"
    bool Debug = false;
};

class THostFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit THostFrm(THostOptions options, QWidget* parent = nullptr);
    ~THostFrm() override;

    // Loads every plug-in of the folder, asks where its entries go, initializes it
    // and puts its entries under the menu button; refusals go to the log and to
    // standard error.
    void LoadPlugIns(const std::string& folder);
    // Executes the plug-in loaded from a file of that name (no folder); false when
    // none was loaded.
    bool ExecutePlugIn(const std::string& fileName);

    [[nodiscard]] const THostInitRecord& Record() const { return record_; }
    [[nodiscard]] const std::vector<std::unique_ptr<TPlugInLibrary>>& PlugIns() const { return plugIns_; }
    [[nodiscard]] QStringList LogLines() const;

private:
    void log(const QString& line);
    static void setTitle(void* context, THostString title);
    static void setIcon(void* context, const void* icon);

    THostOptions options_;
    THostApplication application_{};
    THostInitRecord record_{};
    std::vector<std::unique_ptr<TPlugInLibrary>> plugIns_;
    QToolButton* traitements_;
    QMenu* traitementsMenu_;
    QPlainTextEdit* log_;
};

}  // namespace skylog::host
