#pragma once
// TK7File: one instrument's K7 file for one day in memory. It reads the file's bytes,
// splits them into events, and rebuilds the bytes from the parameter block, the
// header dates and the event list before writing them back. Layout in K7Format.h.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Common/DateTime.h"
#include "Common/FlatHashTable.h"
#include "Common/UUtils.h"
#include "k7/HostData.h"
#include "k7/UEvenement.h"

namespace skylog {

// What the user is told when a K7 file exists but cannot be read.
inline constexpr const char* kK7CannotOpenMessage =
    "Impossible d'ouvrir le fichier! Ce fichier est-il déjà utilisé par une autre application?";

class TK7File {
public:
    // The host data (may be null: no instrument type, no event descriptor) must
    // outlive the file and its events.
    explicit TK7File(const THostData* host = nullptr);
    ~TK7File();
    // Events point back to their file.
    TK7File(const TK7File&) = delete;
    TK7File& operator=(const TK7File&) = delete;

    // FileName := path, then reads and parses the file when it exists (a missing file
    // leaves the object empty). False when the file exists but cannot be read: the
    // object is left empty and the caller tells the user (kK7CannotOpenMessage).
    [[nodiscard]] bool LoadFromFile(std::string path);
    // Replaces the content with the given file bytes: parameter block, dates, events,
    // then binds the instrument type found from InstruIdent. False when the bytes are
    // fewer than a header (no events, ParamBloc empty).
    bool Parse(std::string bytes);

    [[nodiscard]] const THostData* HostData() const { return host_; }

    std::string FileName;
    bool SecondsValid = false;
    TDateTime HeaderDate1 = 0;  // 0 = none
    TDateTime HeaderDate2 = 0;

    [[nodiscard]] const std::string& ParamBloc() const { return paramBloc_; }
    // Hex text of the parameter block; also sets InstrumentCode and InstruIdent.
    void SetParamBloc(std::string_view text);
    [[nodiscard]] uint8_t InstrumentCode() const { return instrumentCode_; }
    [[nodiscard]] const std::string& InstruIdent() const { return instruIdent_; }
    [[nodiscard]] const skylog::InstrumentType* InstrumentType() const { return instrumentType_; }
    // Null is refused (false). Otherwise every decoded event binds its elements.
    bool SetInstrumentType(const skylog::InstrumentType* type);
    [[nodiscard]] std::string InstruName() const;

    // The file's events in file order. Add only through AppendEvent.
    [[nodiscard]] const std::vector<std::unique_ptr<TEvenement>>& Events() const { return events_; }
    TEvenement* AppendEvent(std::unique_ptr<TEvenement> event);
    // First decoded event (list order) whose Evt text is exactly evt, or null.
    [[nodiscard]] TEvenement* FindDecodedEvent(std::string_view evt) const;
    // The same for the text of the given event, without building it.
    [[nodiscard]] TEvenement* FindDecodedEventLike(const TEvenement& event) const;
    // FindDecodedEventLike, then AppendEvent when nothing was found (the converter files
    // each event so), with one look in the index for a decoded event held as bytes.
    // Gives the event found, the given one then being destroyed, or the one appended.
    struct Placed {
        TEvenement* event = nullptr;
        bool appended = false;
    };
    Placed AppendEventUnlessLike(std::unique_ptr<TEvenement> event);
    // Removes the later event j of the first pair i < j of decoded events with equal
    // texts. The removed event stays alive (others may point to it) until Clear or
    // destruction. False when there is no pair or when j immediately followed i.
    bool RemoveDuplicate();

    // Decoded, non-empty events.
    [[nodiscard]] int32_t NbEvt() const;
    // Sum of the lengths of the events' texts (two characters per byte).
    [[nodiscard]] int32_t DataSize() const;

    // Rebuilds the bytes; false (and nothing done) when ParamBloc is empty.
    bool BuildBuffer();
    // Writes the bytes atomically (the previous file stays intact on failure). False
    // when there are no bytes or the folder cannot be created; a failed write throws
    // FileError.
    bool SaveToFile(const std::string& path);
    // Frees the bytes (HasBuffer() false); the events stay.
    void DropBuffer() {
        std::string().swap(buffer_);
        hasBuffer_ = false;
    }
    // Drops the bytes and every event; the instrument type is forgotten.
    void Clear();

    [[nodiscard]] bool HasBuffer() const { return hasBuffer_; }
    [[nodiscard]] const std::string& Buffer() const { return buffer_; }
    [[nodiscard]] int32_t Size() const { return static_cast<int32_t>(buffer_.size()); }

private:
    void ParseBuffer();
    void IndexEvent(TEvenement* event);

    const THostData* host_;
    std::string buffer_;
    bool hasBuffer_ = false;
    std::string paramBloc_;
    uint8_t instrumentCode_ = 0;
    std::string instruIdent_;
    const skylog::InstrumentType* instrumentType_ = nullptr;  // host-owned
    std::vector<std::unique_ptr<TEvenement>> events_;

    // Decoded events by text, so that duplicate tests cost a lookup rather than a scan:
    // the index holds the first event (list order) of each text, later_ the later events
    // of the same text in list order (rare: usually empty). duplicateTexts_ counts the
    // texts that have later events. Events are looked up by what they hold (bytes or
    // text, see TEvenement::Content); each stays alive (in events_ or removed_) until
    // Clear empties the index first, and its content never changes once the file
    // holds it.
    struct ContentKey {
        bool holdsBytes;
        std::string_view content;
        bool operator==(const ContentKey&) const = default;
    };
    static ContentKey KeyOf(const TEvenement& event) { return {event.HoldsBytes(), event.Content()}; }
    static uint64_t HashOf(const ContentKey& key) {
        return HashBytes(key.content) ^ static_cast<uint64_t>(key.holdsBytes);
    }
    [[nodiscard]] TEvenement* FindFirst(const ContentKey& key) const;

    TFlatHashTable<TEvenement*> decodedFirst_;
    std::unordered_map<const TEvenement*, std::vector<TEvenement*>> later_;
    size_t duplicateTexts_ = 0;
    // Events removed by RemoveDuplicate: message blocks may still refer to them.
    std::vector<std::unique_ptr<TEvenement>> removed_;
};

}  // namespace skylog
