// The K7 file parser on any bytes, then BuildBuffer and a second parse of the rebuilt
// bytes: whatever the parser took must be written back and read again identically,
// and removing duplicates must leave no two decoded events with the same text.

#include <set>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "k7/K7Format.h"
#include "k7/UK7File.h"

namespace skylog::fuzz {
namespace {

void SameEvents(const TK7File& a, const TK7File& b) {
    Check(a.Events().size() == b.Events().size(), "the rebuilt file holds another number of events");
    for (size_t i = 0; i < a.Events().size(); ++i) {
        const TEvenement& x = *a.Events()[i];
        const TEvenement& y = *b.Events()[i];
        Check(x.Evt() == y.Evt(), "an event's text changed through BuildBuffer");
        Check(x.Decoded == y.Decoded && x.ErrorCode == y.ErrorCode && x.Empty == y.Empty,
              "an event's checks changed through BuildBuffer");
        Check(x.Date == y.Date && x.Descriptor == y.Descriptor, "an event's date or descriptor changed");
        Check(x.Elements.size() == y.Elements.size(), "an event's elements changed");
    }
}

// A first date without seconds is written back with the seconds byte 0xFF, whatever
// value above 59 it was read with; every other byte stays.
bool SameParamBloc(const TK7File& read, const TK7File& rebuilt) {
    std::string a = read.ParamBloc(), b = rebuilt.ParamBloc();
    if (!read.SecondsValid && read.HeaderDate1 != 0) {
        const size_t seconds = 2 * (k7format::kHeaderDate1Offset + 5);
        if (b.substr(seconds, 2) != "FF") return false;
        a.replace(seconds, 2, "FF");
    }
    return a == b;
}

void Render(const TK7File& file) {
    size_t rendered = 0;
    for (const auto& event : file.Events()) {
        if (++rendered > 16) break;
        static_cast<void>(event->SymbolString() + event->DescString() + event->AsciiString() +
                          event->AsciiHeader());
        if (event->Decoded) Check(file.FindDecodedEvent(event->Evt()) != nullptr, "a decoded event is not indexed");
    }
}

}  // namespace
}  // namespace skylog::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skylog;
    using namespace skylog::fuzz;
    const THostData& host = TheWorkspace().HostView();  // instrument types and dictionary
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    TK7File first(&host);
    const bool parsed = first.Parse(bytes);
    Check(parsed == (size >= k7format::kHeaderSize), "Parse answered against the size");
    if (!parsed) {
        Check(first.Events().empty(), "events from a file shorter than its header");
        Check(!first.BuildBuffer(), "BuildBuffer without a parameter block");
        return 0;
    }
    Render(first);
    Check(first.BuildBuffer(), "BuildBuffer refused a parsed file");
    Check(first.Buffer().size() == k7format::kHeaderSize + static_cast<size_t>(first.DataSize()) / 2,
          "rebuilt size");

    TK7File second(&host);
    Check(second.Parse(first.Buffer()), "the rebuilt bytes do not parse");
    SameEvents(first, second);
    Check(second.HeaderDate1 == first.HeaderDate1 && second.HeaderDate2 == first.HeaderDate2 &&
              second.SecondsValid == first.SecondsValid,
          "header dates changed through BuildBuffer");
    Check(SameParamBloc(first, second), "the parameter block changed through BuildBuffer");
    Check(second.BuildBuffer() && second.Buffer() == first.Buffer(), "BuildBuffer is not stable");

    // Each call removes one event of a duplicate pair, whatever it answers.
    while (true) {
        const size_t before = second.Events().size();
        const bool removed = second.RemoveDuplicate();
        if (second.Events().size() == before) {
            Check(!removed, "RemoveDuplicate reported a removal that did not happen");
            break;
        }
    }
    std::set<std::string> texts;
    for (const auto& event : second.Events())
        if (event->Decoded) Check(texts.insert(event->Evt()).second, "a duplicate survived RemoveDuplicate");
    Check(second.NbEvt() >= 0 && second.BuildBuffer(), "BuildBuffer after removals");
    return 0;
}
