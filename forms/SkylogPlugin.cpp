// The plug-in's four entry points. No exception leaves them: each answers as its
// contract says whatever happens inside.

#include "plugin/SkylogPlugin.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <exception>

#include "Common/Encoding.h"
#include "Common/MessageBoxes.h"
#include "Common/Settings.h"
#include "forms/DCP_MainDlg.h"
#include "forms/FormsSupport.h"
#include "forms/PluginHost.h"
#include "forms/QtMessageBoxes.h"
#include "k7/HostData.h"
#include "plugin/USkylog.h"

namespace {

using namespace skylog;
using namespace skylog::forms;

constexpr const char kMenuCaption[] = "D\xE9" "codage des donn\xE9" "es des balises...";  // Windows-1252
constexpr const char kHostFormName[] = "ORMAFrm";
constexpr const char kHostMenuButton[] = "TraitementsMnuBtn";
constexpr int32_t kPlugInIdentifier = 0x00990001;

// The host's data as Initialize handed it over.
THostData hostDataOf(const THostInitRecord* record) {
    THostData host;
    if (!record) return host;
    host.Dictionary = static_cast<const EventDictionary*>(record->EventDictionary);
    host.InstrumentTypes = static_cast<const InstrumentTypeList*>(record->InstrumentTypes);
    if (host.Dictionary) {
        const std::string& separator = host.Dictionary->Options.DecimalSeparator;
        if (!separator.empty()) host.DecimalSeparator = separator[0];
    }
    return host;
}

// One run: the lists are read before the window opens and written once it has closed.
void runMainWindow() {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application) {
        std::fputs("libskylog: Execute needs the host's QApplication\n", stderr);
        return;
    }
    TQtMessageBoxes boxes;
    TSkylogOptions options;
    options.hostFileName = PluginHost().HostFileName();
    options.host = hostDataOf(PluginHost().Record());
    options.reporter = &boxes;
    TSkylog run(options);
    run.Load();
    {
        TMainFrmContext context = MainFrmContextOf(run);
        context.HostVersion = PluginHost().Version();
        context.Debug = PluginHost().Debug();
        TDCP_MainFrm window(std::move(context), PluginHost().OwnerWindow());
        PluginHost().SetHostIcon(window.windowIcon());
        PluginHost().SetHostTitle(window.windowTitle());
        window.ShowModal();
    }
    (void)run.Save();
}

}  // namespace

extern "C" {

unsigned char* GetORMAPlugMenuCaption(unsigned char* buffer) {
    if (!buffer) return buffer;
    const size_t length = std::strlen(kMenuCaption);
    buffer[0] = static_cast<unsigned char>(length);
    std::memcpy(buffer + 1, kMenuCaption, length);
    return buffer;
}

uint8_t Initialize(const THostInitRecord* record) {
    PluginHost().SetRecord(record);
    return 1;
}

// A run that cannot start (a list that cannot be read) is told to the user, who
// would otherwise see nothing happen.
int32_t Execute(void) {
    std::string failure;
    try {
        runMainWindow();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "erreur inconnue";
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "libskylog: %s\n", failure.c_str());
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            try {
                TQtMessageBoxes().Warning(failure);
            } catch (...) {
            }
        }
    }
    return 0;
}

int32_t ExtendedPlugInsFunc(int32_t query, void* data) {
    if (query == SKYLOG_QUERY_PLUG_INFO) {
        if (!data) return 0;
        auto* info = static_cast<TPlugInfoRecord*>(data);
        info->PlacementCount = 1;
        info->Identifier = kPlugInIdentifier;
        info->Flag1 = 1;
        info->Flag2 = 1;
        info->Flag3 = 0;
        info->Value = 1;
        return 0;
    }
    if (query == SKYLOG_QUERY_MENU_PLACEMENT) {
        auto* placement = static_cast<TMenuPlacementRecord*>(data);
        if (!placement || placement->Index != 0) return SKYLOG_PLACEMENT_OUT_OF_RANGE;
        placement->Options[0] = placement->Options[1] = placement->Options[2] = 0;
        placement->FormName = kHostFormName;
        placement->MenuButtonName = kHostMenuButton;
        placement->Caption = kMenuCaption;
        return 0;
    }
    return SKYLOG_UNKNOWN_QUERY;
}

}  // extern "C"
