// Host-data files: any text either parses or throws HostDataError (never anything
// else, never a crash). Text that parses is installed and a few events of the sample
// are decoded and rendered with it. Input: a byte choosing the file(s); for both, the
// two texts are separated by the first NUL byte.

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

// The first events of the sample's expected events, framed.
std::vector<std::string> SampleEvents() {
    std::vector<std::string> events;
    const std::string text = ReadFileBytes(SampleDir() + "expected-events.txt");
    for (const std::string& line : Split(text, '\n', kSplitMerge)) {
        const size_t space = line.rfind(' ');
        if (space == std::string::npos) continue;
        std::vector<uint8_t> bytes;
        const std::string_view hex = std::string_view(line).substr(space + 1);
        for (size_t k = 0; k + 1 < hex.size(); k += 2) bytes.push_back(HexToByte(hex.substr(k, 2)));
        events.push_back(FramedEventText(bytes.data(), bytes.size()));
        if (events.size() == 12) break;
    }
    return events;
}

void Exercise(const HostDataSet& set) {
    static const std::vector<std::string> events = SampleEvents();
    const THostData view = HostDataOf(set);
    std::vector<std::unique_ptr<TK7File>> owners;
    owners.push_back(nullptr);
    owners.push_back(std::make_unique<TK7File>(&view));  // the dictionary, no instrument type
    for (const InstrumentType& type : set.InstrumentTypes.Types) {
        if (owners.size() == 4) break;
        auto owner = std::make_unique<TK7File>(&view);
        std::string param(k7format::kHeaderSize, '\0');
        if (!type.Idents.empty())
            param.replace(k7format::kIdentOffset, k7format::kIdentLength,
                          type.Idents.front().substr(0, k7format::kIdentLength));
        owner->SetParamBloc(BytesToHex(reinterpret_cast<const uint8_t*>(param.data()), param.size()));
        owner->SetInstrumentType(&type);
        owners.push_back(std::move(owner));
    }
    for (const auto& owner : owners) {
        for (const std::string& framed : events) {
            TEvenement event(owner.get());
            event.SetEvt(framed);
            static_cast<void>(event.SymbolString() + event.DescString() + event.AsciiString() + event.AsciiHeader());
        }
    }
}

}  // namespace
}  // namespace skylog::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    static_cast<void>(TheWorkspace());
    InputCursor input(data, size);
    const uint8_t which = input.Byte() % 3;
    const std::string_view text = input.Rest();
    try {
        std::unique_ptr<HostDataSet> set;
        if (which == 0) {
            set = std::make_unique<HostDataSet>();
            ParseInstrumentTypes(text, "instruments.txt", *set);
        } else if (which == 1) {
            set = std::make_unique<HostDataSet>();
            ParseEventDictionary(text, "events.txt", *set);
        } else {
            const size_t nul = text.find('\0');
            const std::string_view instruments = text.substr(0, nul);
            const std::string_view events = nul == std::string_view::npos ? std::string_view() : text.substr(nul + 1);
            set = ParseHostData(instruments, events);
        }
        Check(set != nullptr, "a parse gave no data");
        Exercise(*set);
    } catch (const HostDataError& e) {
        static_cast<void>(std::string(e.what()) + e.FileName());
    }
    return 0;
}
