#pragma once
// Loading the plug-ins of a folder: every shared library must export the four entry
// points of plugin/SkylogPlugin.h; one that lacks any is refused, named with the
// missing symbol, and the others load all the same.

#include <memory>
#include <string>
#include <vector>

#include "plugin/SkylogPlugin.h"

namespace skylog::host {

// One loaded plug-in; unloads it when destroyed.
class TPlugInLibrary {
public:
    ~TPlugInLibrary();
    TPlugInLibrary(const TPlugInLibrary&) = delete;
    TPlugInLibrary& operator=(const TPlugInLibrary&) = delete;

    // The library, or null with error set to a message naming the file (and the
    // missing symbol).
    static std::unique_ptr<TPlugInLibrary> Load(const std::string& path, std::string& error);

    [[nodiscard]] const std::string& Path() const { return path_; }
    TGetORMAPlugMenuCaptionFunc GetORMAPlugMenuCaption = nullptr;
    TInitializeFunc Initialize = nullptr;
    TExecuteFunc Execute = nullptr;
    TExtendedPlugInsFunc ExtendedPlugInsFunc = nullptr;

    // The caption of GetORMAPlugMenuCaption (Windows-1252).
    [[nodiscard]] std::string MenuCaption() const;

private:
    TPlugInLibrary(std::string path, void* handle) : path_(std::move(path)), handle_(handle) {}
    std::string path_;
    void* handle_;
};

// The shared libraries (*.so) of a folder, sorted by name; none for a missing folder.
[[nodiscard]] std::vector<std::string> PlugInFiles(const std::string& folder);

// Where a menu entry of a plug-in goes (query 2), texts in UTF-8.
struct TMenuEntry {
    std::string FormName;
    std::string MenuButtonName;
    std::string Caption;
};
// Asks query 1 for the number of placements, then query 2 for each.
[[nodiscard]] std::vector<TMenuEntry> MenuEntries(const TPlugInLibrary& plugIn);

}  // namespace skylog::host
