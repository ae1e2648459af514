// Managers.inf images: any bytes load; the image written back loads to the same
// managers, and writing it again gives the same bytes. Identifiers handed out later
// stay above every identifier read.

#include <cstdint>
#include <memory>
#include <string>

#include "Common/Encoding.h"
#include "fuzz/FuzzSupport.h"
#include "managers/UManagers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    Workspace& ws = TheWorkspace();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TManagerList list("");
    list.LoadFromBytes(bytes, ws.Reporter());
    for (const auto& m : list.Managers) {
        Check(m->Id < list.NextId || list.NextId == INT32_MAX, "an identifier read is not below NextId");
        static_cast<void>(m->FullName());
    }
    const std::string image = list.ToBytes();
    // Without the lines that could not be read, Windows-1252 bytes may happen to be
    // valid UTF-8, and are then read as such: the round trip holds within one encoding.
    if (DecodeTextFile(image).Encoding != DecodeTextFile(bytes).Encoding) return 0;
    TManagerList again("");
    again.LoadFromBytes(image, ws.Reporter());
    Check(again.Count() == list.Count(), "the written image holds another number of managers");
    for (size_t i = 0; i < list.Count(); ++i) {
        const TManager& a = *list.Managers[i];
        const TManager& b = *again.Managers[i];
        Check(a.Id == b.Id && a.Name == b.Name && a.ForName == b.ForName && a.Mail == b.Mail,
              "a manager changed through ToBytes");
    }
    Check(again.ToBytes() == image, "ToBytes is not stable");
    Check(again.NextId == list.NextId || list.Count() == 0, "NextId changed through ToBytes");

    for (int k = 0; k < 3; ++k) {
        TManager* added = again.Add(std::make_unique<TManager>());
        for (const auto& m : again.Managers)
            Check(m.get() == added || m->Id != added->Id, "a new manager took an identifier in use");
    }
    return 0;
}
