// The event setter on any text, with every text option of the dictionary, under an
// owner of each instrument type (or of none), then the four texts of the event. An event
// that decoded reads the same when framed again from its bytes.

#include <memory>
#include <string>
#include <vector>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "fuzz/FuzzSupport.h"
#include "k7/HostDataLoader.h"
#include "k7/K7Format.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"

namespace skylog::fuzz {
namespace {

constexpr int kOptionSets = 16;

// The sample dictionary once per combination of the four boolean text options, and the
// two decimal separators.
std::vector<std::unique_ptr<HostDataSet>> MakeHostSets() {
    const std::string folder = SampleDir() + "host/";
    const std::string instruments = ReadFileBytes(folder + kInstrumentsFileName);
    const std::string events = ReadFileBytes(folder + kEventsFileName);
    std::vector<std::unique_ptr<HostDataSet>> sets;
    for (int k = 0; k < kOptionSets; ++k) {
        auto set = ParseHostData(instruments, events);
        TextFormatOptions& o = set->Dictionary.Options;
        o.FourDigitYear = (k & 1) != 0;
        o.Quoted = (k & 2) != 0;
        o.ZeroPadded = (k & 4) != 0;
        o.RawValues = (k & 8) != 0;
        if (k % 3 == 0) o.DecimalSeparator = ".";
        sets.push_back(std::move(set));
    }
    return sets;
}

// A parameter block naming the instrument type by its first identification string.
std::string ParamBlocFor(const InstrumentType& type) {
    std::string bytes(k7format::kHeaderSize, '\0');
    if (!type.Idents.empty()) bytes.replace(k7format::kIdentOffset, k7format::kIdentLength,
                                            type.Idents.front().substr(0, k7format::kIdentLength));
    return BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool IsUpperHex(std::string_view text) {
    if (text.size() % 2 != 0) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace
}  // namespace skylog::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    static_cast<void>(TheWorkspace());
    static const std::vector<std::unique_ptr<HostDataSet>> sets = MakeHostSets();

    InputCursor input(data, size);
    const uint8_t first = input.Byte();
    const HostDataSet& host = *sets[first % kOptionSets];
    const THostData view = HostDataOf(host);
    const auto& types = host.InstrumentTypes.Types;
    const size_t ownerChoice = (first / kOptionSets) % (types.size() + 1);
    // Always an owner: it gives the event the host data; choice 0 has no instrument type.
    auto owner = std::make_unique<TK7File>(&view);
    if (ownerChoice > 0) {
        owner->SetParamBloc(ParamBlocFor(types[ownerChoice - 1]));
        owner->SetInstrumentType(&types[ownerChoice - 1]);
    }
    const std::string_view text = input.Rest();

    TEvenement event(owner.get());
    event.SetEvt(text);
    const std::string rendered =
        event.SymbolString() + event.DescString() + event.AsciiString() + event.AsciiHeader();
    if (event.Decoded && !event.Empty) {
        Check(static_cast<size_t>(event.EvtLength) * 2 == event.Evt().size() ||
                  static_cast<size_t>(event.EvtLength) * 2 + 1 == event.Evt().size(),
              "a decoded event whose length byte disagrees with its text");
    }
    if (event.Decoded && IsUpperHex(event.Evt())) {
        std::vector<uint8_t> bytes;
        for (size_t k = 0; k < event.Evt().size(); k += 2)
            bytes.push_back(HexToByte(std::string_view(event.Evt()).substr(k, 2)));
        TEvenement again(owner.get());
        again.SetEvt(FramedEventText(bytes.data(), bytes.size()));
        Check(again.Evt() == event.Evt() && again.Decoded && again.Date == event.Date &&
                  again.Descriptor == event.Descriptor && again.Elements.size() == event.Elements.size(),
              "an event framed again from its bytes reads otherwise");
        Check(again.AsciiString() == event.AsciiString(), "an event framed again renders otherwise");
    }
    // Set again: every earlier result is replaced.
    event.SetEvt(text.substr(0, text.size() / 2));
    static_cast<void>(event.AsciiString() + event.DescString());
    return 0;
}
