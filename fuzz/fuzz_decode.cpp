// First-level decoding and scenario conversion of one message block whose body is
// fuzzed, followed by a second block of the same beacon into which a scenario may run
// over. Input: a byte choosing the beacon and the decoding settings, three bytes of
// minutes since 1 December 2004 (the transmission date), two bytes giving the length
// of the first body, the first body, then the second body (none when empty).

#include <memory>
#include <string>

#include "Common/DateTime.h"
#include "dcp/ScenarioMap.h"
#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "fuzz/FuzzSupport.h"
#include "k7/UEvenement.h"

namespace {

std::unique_ptr<skylog::TDCPDataBloc> MakeBlock(skylog::TDCP* beacon, skylog::TDateTime date,
                                                std::string_view body, std::string header) {
    auto block = std::make_unique<skylog::TDCPDataBloc>(beacon);
    block->Date = date;
    block->Header = std::move(header);
    block->AddBody(body);
    block->AnnouncedLength = static_cast<int32_t>(body.size());
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    Workspace& ws = TheWorkspace();
    ws.Reset();
    InputCursor input(data, size);
    const uint8_t first = input.Byte();
    TDCP* beacon = ws.Beacons().Beacons[first % ws.Beacons().Count()].get();
    TSkylogSettings& settings = ws.Settings();
    settings.DecodBadJump = (first & 0x10) != 0;
    settings.DecodBadFE = (first & 0x20) != 0;
    settings.ImprobableDateDecod = (first & 0x40) != 0;
    settings.ParamAsLatLon = (first & 0x80) != 0;

    TDateTime origin = 0;
    static_cast<void>(TryEncodeDate(2004, 12, 1, origin));
    const TDateTime date = origin + input.Bytes(3) / 1440.0;
    const std::string_view body = input.Take(input.Bytes(2));
    const std::string_view nextBody = input.Rest();

    TDCPDataBloc* block = beacon->AddBlock(MakeBlock(beacon, date, body, "first"));
    TDCPDataBloc* next = nullptr;
    if (!nextBody.empty()) next = beacon->AddBlock(MakeBlock(beacon, date + 1.0 / 24, nextBody, "second"));
    // In the order DecodeAll uses: the later block first, so its cyclic number is known.
    if (next != nullptr) next->Decode(nullptr);
    block->Decode(next);
    for (TDCPDataBloc* b : {block, next}) {
        if (b == nullptr) continue;
        Check(b->ByteStatus.size() >= static_cast<size_t>(b->BodyLength), "a body byte without a class");
        static_cast<void>(b->CountIgnoredBytes());
        for (const TDCPDataError& e : b->Errors) static_cast<void>(ErrorText(e) + ErrorLabel(e));
        for (const TEvenement* event : b->Events) {
            Check(event != nullptr, "a block refers to no event");
            static_cast<void>(event->AsciiHeader() + event->AsciiString() + event->DescString());
        }
        // The characters behind the values lie in the scenario, and the scenario in the body.
        const TScenarioMap map(*b);
        for (size_t s = 0; s < map.size(); ++s) {
            const TScenarioSpan& scenario = map[s];
            Check(scenario.Chars.From >= 0 && scenario.Chars.To <= b->BodyLength, "a scenario outside the body");
            for (const TElementSpan& element : scenario.Elements)
                for (const TCharRange& range : element.Chars)
                    Check(range.From > scenario.Chars.From && range.To <= scenario.Chars.To,
                          "an element outside its scenario");
            Check(map.At(scenario.Marker).has_value(), "a marker outside every scenario");
        }
    }
    ws.Reset();
    return 0;
}
