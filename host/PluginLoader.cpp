#include "host/PluginLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "Common/Encoding.h"

namespace skylog::host {

TPlugInLibrary::~TPlugInLibrary() {
    if (handle_) dlclose(handle_);
}

std::unique_ptr<TPlugInLibrary> TPlugInLibrary::Load(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = "Le module " + path + " ne peut pas être chargé : " + (why ? why : "?");
        return nullptr;
    }
    std::unique_ptr<TPlugInLibrary> library(new TPlugInLibrary(path, handle));
    auto find = [&](const char* name, auto& into) {
        into = reinterpret_cast<std::remove_reference_t<decltype(into)>>(dlsym(handle, name));
        if (!into && error.empty())
            error = "Le module " + path + " est refusé : il n'exporte pas la fonction " + name + ".";
    };
    error.clear();
    find("GetORMAPlugMenuCaption", library->GetORMAPlugMenuCaption);
    find("Initialize", library->Initialize);
    find("Execute", library->Execute);
    find("ExtendedPlugInsFunc", library->ExtendedPlugInsFunc);
    if (!error.empty()) return nullptr;
    return library;
}

std::string TPlugInLibrary::MenuCaption() const {
    unsigned char buffer[256] = {};
    GetORMAPlugMenuCaption(buffer);
    return Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(buffer + 1), buffer[0]));
}

std::vector<std::string> PlugInFiles(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().extension() == ".so" && entry.is_regular_file(ec)) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<TMenuEntry> MenuEntries(const TPlugInLibrary& plugIn) {
    TPlugInfoRecord info{};
    if (plugIn.ExtendedPlugInsFunc(SKYLOG_QUERY_PLUG_INFO, &info) != 0) return {};
    std::vector<TMenuEntry> entries;
    for (int32_t index = 0; index < info.PlacementCount; ++index) {
        TMenuPlacementRecord placement{};
        placement.Index = index;
        if (plugIn.ExtendedPlugInsFunc(SKYLOG_QUERY_MENU_PLACEMENT, &placement) != 0) break;
        auto text = [](THostString s) { return s ? Cp1252ToUtf8(s) : std::string(); };
        entries.push_back({text(placement.FormName), text(placement.MenuButtonName), text(placement.Caption)});
    }
    return entries;
}

}  // namespace skylog::host
