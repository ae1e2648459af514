#include "k7/UK7File.h"

#include <algorithm>
#include <cmath>

#include "Common/FileUtil.h"
#include "Common/UUtils.h"
#include "k7/K7Format.h"
#include "k7/UInstrument.h"

namespace skylog {

using namespace k7format;

namespace {


constexpr int kMaxSecond = 59;

uint8_t At(const std::string& bytes, size_t offset) { return static_cast<uint8_t>(bytes[offset]); }

// Six header bytes: year-1900, month, day, hour, minute, second. 0 when the month is
// out of 1..12 or the date or time does not exist.
TDateTime HeaderDate(const std::string& bytes, size_t offset, int second) {
    const int month = At(bytes, offset + 1);
    if (month == 0 || month > 12) return 0;
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(kHeaderYearBase + At(bytes, offset), month, At(bytes, offset + 2), date)) return 0;
    if (!TryEncodeTime(At(bytes, offset + 3), At(bytes, offset + 4), second, 0, time)) return 0;
    return CombineDateTime(date, time);
}

void PutHeaderDate(std::string& bytes, size_t offset, TDateTime value, int second) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    bytes[offset] = static_cast<char>(d.year - kHeaderYearBase);
    bytes[offset + 1] = static_cast<char>(d.month);
    bytes[offset + 2] = static_cast<char>(d.day);
    bytes[offset + 3] = static_cast<char>(t.hour);
    bytes[offset + 4] = static_cast<char>(t.minute);
    bytes[offset + 5] = static_cast<char>(second);
}

}  // namespace

TK7File::TK7File(const THostData* host) : host_(host) { SetParamBloc(""); }

bool TK7File::LoadFromFile(std::string path) {
    FileName = std::move(path);
    if (!FileExists(FileName)) return true;
    std::string bytes;
    try {
        bytes = ReadFileBytes(FileName);
    } catch (const FileError&) {
        return false;
    }
    Parse(std::move(bytes));
    return true;
}

TK7File::~TK7File() { Clear(); }

bool TK7File::Parse(std::string bytes) {
    Clear();
    SetParamBloc("");
    SecondsValid = false;
    HeaderDate1 = HeaderDate2 = 0;
    buffer_ = std::move(bytes);
    hasBuffer_ = true;
    if (buffer_.size() < kHeaderSize) return false;
    ParseBuffer();
    if (const skylog::InstrumentType* type =
            FindInstrumentType(host_ != nullptr ? host_->InstrumentTypes : nullptr, instruIdent_))
        SetInstrumentType(type);
    return true;
}

void TK7File::ParseBuffer() {
    SetParamBloc(BytesToHex(reinterpret_cast<const uint8_t*>(buffer_.data()), kHeaderSize));

    // Seconds above 59 (0xFF when written here) mean that the first date has none.
    const uint8_t second1 = At(buffer_, kHeaderDate1Offset + 5);
    SecondsValid = second1 <= kMaxSecond;
    HeaderDate1 = HeaderDate(buffer_, kHeaderDate1Offset, SecondsValid ? second1 : 0);
    HeaderDate2 = HeaderDate(buffer_, kHeaderDate2Offset, At(buffer_, kHeaderDate2Offset + 5));

    const size_t size = buffer_.size();
    size_t p = kHeaderSize;
    while (p < size) {
        if (p + 1 >= size) break;
        const size_t length = At(buffer_, p + 1);
        if (length == 0) {
            ++p;
            continue;
        }
        if (p + length > size) break;
        if (At(buffer_, p + length - 1) != length) {
            ++p;  // not an event here: resynchronise byte by byte
            continue;
        }
        auto event = std::make_unique<TEvenement>(this);
        event->SetFramedBytes(reinterpret_cast<const uint8_t*>(buffer_.data() + p), length);
        p += length;
        if (!event->Empty) AppendEvent(std::move(event));
    }
}

void TK7File::SetParamBloc(std::string_view text) {
    paramBloc_ = std::string(text);
    if (paramBloc_.size() < 2) return;
    if (paramBloc_[0] == 'S' && paramBloc_.size() > kParamPrefixLength) paramBloc_.erase(0, kParamPrefixLength);
    instrumentCode_ = HexToByte(paramBloc_);
    instruIdent_.clear();
    const size_t identHex = 2 * kIdentOffset;
    if (paramBloc_.size() >= identHex + 2 * kIdentLength) {
        std::string ident;
        for (size_t i = 0; i < kIdentLength; ++i)
            ident += static_cast<char>(HexToByte(std::string_view(paramBloc_).substr(identHex + 2 * i, 2)));
        if (ident[0] == 'S' && ident[1] == 'P') instruIdent_ = ident;
    }
    if (instruIdent_.empty()) instruIdent_ = TypeIdent(instrumentCode_);
}

bool TK7File::SetInstrumentType(const skylog::InstrumentType* type) {
    if (type == nullptr) return false;
    instrumentType_ = type;
    for (const auto& event : events_)
        if (event->Decoded) event->BindInstrument();
    return true;
}

std::string TK7File::InstruName() const {
    return InstrumentTypeNameOfIdent(host_ != nullptr ? host_->InstrumentTypes : nullptr, instruIdent_);
}

TEvenement* TK7File::AppendEvent(std::unique_ptr<TEvenement> event) {
    TEvenement* raw = event.get();
    if (raw == nullptr) return nullptr;
    events_.push_back(std::move(event));
    if (raw->Decoded) IndexEvent(raw);
    return raw;
}

void TK7File::IndexEvent(TEvenement* event) {
    const ContentKey key = KeyOf(*event);
    const auto [first, added] =
        decodedFirst_.Insert(HashOf(key), [&key](const TEvenement* indexed) { return KeyOf(*indexed) == key; });
    if (added) {
        *first = event;
        return;
    }
    std::vector<TEvenement*>& later = later_[*first];
    later.push_back(event);
    if (later.size() == 1) ++duplicateTexts_;
}

TEvenement* TK7File::FindFirst(const ContentKey& key) const {
    TEvenement* const* first =
        decodedFirst_.Find(HashOf(key), [&key](const TEvenement* indexed) { return KeyOf(*indexed) == key; });
    return first != nullptr ? *first : nullptr;
}

TEvenement* TK7File::FindDecodedEvent(std::string_view evt) const {
    if (IsCanonicalHex(evt)) return FindFirst(ContentKey{true, BytesOfCanonicalHex(evt)});
    return FindFirst(ContentKey{false, evt});
}

// An event that failed its checks holds its text even when it is uppercase hex, which
// a decoded event would hold as bytes: such a text is looked up as a text.
TEvenement* TK7File::FindDecodedEventLike(const TEvenement& event) const {
    if (!event.HoldsBytes()) return FindDecodedEvent(event.Content());
    return FindFirst(KeyOf(event));
}

TK7File::Placed TK7File::AppendEventUnlessLike(std::unique_ptr<TEvenement> event) {
    if (event == nullptr) return {};
    if (!event->Decoded || !event->HoldsBytes()) {
        if (TEvenement* existing = FindDecodedEventLike(*event)) return {existing, false};
        return {AppendEvent(std::move(event)), true};
    }
    // Indexing finds the first event like it, if any, in the same look.
    const ContentKey key = KeyOf(*event);
    const auto [first, added] =
        decodedFirst_.Insert(HashOf(key), [&key](const TEvenement* indexed) { return KeyOf(*indexed) == key; });
    if (!added) return {*first, false};
    *first = event.get();
    events_.push_back(std::move(event));
    return {*first, true};
}

bool TK7File::RemoveDuplicate() {
    if (duplicateTexts_ == 0) return false;
    // The first event in list order whose text comes again later is i; the later
    // events of a text are in list order, so the first of them is j.
    size_t i = 0;
    std::vector<TEvenement*>* later = nullptr;
    for (; i < events_.size(); ++i) {
        if (!events_[i]->Decoded) continue;
        const TEvenement* first = FindFirst(KeyOf(*events_[i]));
        if (first == nullptr) continue;
        auto found = later_.find(first);
        if (found != later_.end() && !found->second.empty()) {
            later = &found->second;
            break;
        }
    }
    if (later == nullptr) return false;
    TEvenement* next = later->front();
    size_t j = i + 1;
    while (j < events_.size() && events_[j].get() != next) ++j;
    if (j == events_.size()) return false;

    later->erase(later->begin());
    if (later->empty()) --duplicateTexts_;
    removed_.push_back(std::move(events_[j]));
    events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(j));
    return j != i + 1;
}

int32_t TK7File::NbEvt() const {
    return static_cast<int32_t>(
        std::count_if(events_.begin(), events_.end(), [](const auto& e) { return e->Decoded && !e->Empty; }));
}

int32_t TK7File::DataSize() const {
    size_t total = 0;
    for (const auto& event : events_) total += event->EvtSize();
    return static_cast<int32_t>(total);
}

bool TK7File::BuildBuffer() {
    if (paramBloc_.empty()) return false;
    const size_t size = kHeaderSize + static_cast<size_t>(DataSize()) / 2;
    buffer_.assign(size, static_cast<char>(0xFF));
    std::fill(buffer_.begin(), buffer_.begin() + kHeaderSize, '\0');
    hasBuffer_ = true;

    size_t out = 0;
    const std::string_view param(paramBloc_);
    for (size_t k = 0; k < param.size() && out < size; k += 2)
        buffer_[out++] = static_cast<char>(HexToByte(param.substr(k, 2)));

    if (std::trunc(HeaderDate1) > 1)
        PutHeaderDate(buffer_, kHeaderDate1Offset, HeaderDate1,
                      SecondsValid ? DecodeTime(HeaderDate1).second : kNoSeconds);
    if (std::trunc(HeaderDate2) > 1)
        PutHeaderDate(buffer_, kHeaderDate2Offset, HeaderDate2, DecodeTime(HeaderDate2).second);

    out = kHeaderSize;
    for (const auto& event : events_) {
        const std::string_view content = event->Content();
        if (event->HoldsBytes()) {
            const size_t n = std::min(content.size(), size - out);
            std::copy_n(content.data(), n, buffer_.data() + out);
            out += n;
            continue;
        }
        for (size_t k = 0; k < content.size() && out < size; k += 2)
            buffer_[out++] = static_cast<char>(HexToByte(content.substr(k, 2)));
    }
    return true;
}

bool TK7File::SaveToFile(const std::string& path) {
    FileName = path;
    if (!hasBuffer_) return false;
    const std::string folder = ExtractFileDir(path);
    if (!folder.empty() && !DirectoryExists(folder)) {
        ForceDirectories(folder);
        if (!DirectoryExists(folder)) return false;
    }
    WriteFileAtomic(path, buffer_);
    return true;
}

void TK7File::Clear() {
    buffer_.clear();
    hasBuffer_ = false;
    decodedFirst_.clear();
    later_.clear();
    duplicateTexts_ = 0;
    events_.clear();
    removed_.clear();
    instrumentType_ = nullptr;
}

}  // namespace skylog
