#pragma once
// Beacons ("balises"), their associations with instruments, their message blocks in
// memory and the daily K7 files they fill. Ownership: the list owns its beacons; a
// beacon owns its associations and blocks; K7 items are shared by the beacons of one
// list (one item per instrument and day), so events that two beacons deliver for the
// same instrument and day end up in the same file. A block only refers to its events:
// they belong to the K7 files of the items. Everything reaches the run through the
// list's TStoreContext: a beacon outside a list stores nothing and converts nothing.

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Common/DateTime.h"
#include "Common/FlatHashTable.h"
#include "Common/IniFile.h"
#include "dcp/ByteClasses.h"
#include "dcp/ScenarioMap.h"
#include "dcp/StoreContext.h"
#include "managers/UManagers.h"

namespace skylog {

class TDCP;
class TDCPList;
class TK7File;
class TEvenement;
class TDailyFileIndex;

// The memory one event of a K7 file takes, with its bytes (up to 255), its place in the
// file's index and the allocator's rounding, on the high side: for PendingBytes.
inline constexpr size_t kEventFootprint = 256;

// First-level error record of a block (codes 100 to 113).
struct TDCPDataError {
    int32_t Code = 0;
    std::string S1, S2, S3;
};

// One transmission of a beacon: its "at" header line and its body.
class TDCPDataBloc {
public:
    explicit TDCPDataBloc(TDCP* beacon);

    // Members ordered to leave no padding: an import holds blocks by the hundred thousand.
    TDCP* Beacon;  // the beacon whose list holds the block; outlives it
    std::vector<TEvenement*> Events;  // not owned: they belong to their K7 files
    std::vector<TDCPDataError> Errors;
    std::vector<uint8_t> Body;        // BodyLength bytes, 7-bit, no line break
    TByteClasses ByteStatus;          // one class per body byte, at least 20 entries once decoded
    // Every scenario conversion read from the body, kept or not: what TScenarioMap
    // tells the characters of.
    TScenarioNotes Scenarios;
    std::string Header;
    TDateTime Date = 0;
    TDateTime InstrumentTime = 0;
    TDateTime DCPTime = 0;
    int32_t CyclicNumber = -1;
    int32_t InstrumentNumber = 0;
    int32_t Latitude = 0;
    int32_t Longitude = 0;
    int32_t Country = 0;
    int32_t District = 0;
    int32_t DataEnd = 0;
    int32_t BodyLength = 0;
    int32_t AnnouncedLength = 0;
    int32_t DeclaredLength = 0;
    int32_t IgnoredBytes = 0;
    int32_t TrailingBytes = 0;
    // The file read that filed the block (TDCPList::BeginFileSource); 0: none.
    uint32_t Source = 0;
    uint8_t InstrumentCode = 0;
    bool Decoded = false;
    bool EndMarkerFound = false;
    // IgnoredBytes was counted since the block's classes last changed (DecodeAll counts
    // only the blocks whose classes decoding changed, and those never counted).
    bool IgnoredCounted = false;

    // Appends one piece of body; strips a leading "VGTM" (and the spaces after it)
    // found in the first 16 bytes of the first piece.
    void AddBody(const uint8_t* bytes, size_t count);
    void AddBody(std::string_view text) {
        AddBody(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    void AddError(int32_t code, std::string s1 = {}, std::string s2 = {}, std::string s3 = {});

    // WorkDir + "DataDCP/" + beacon folder + "/YYYY_MM_DD.DCP"; empty when Date is 0
    // or the block's beacon belongs to no list.
    [[nodiscard]] std::string DailyFilePath(bool createFolder) const;
    // Appends the block to its daily file unless a line of the file already equals its
    // header (letter case ignored); a file that cannot be opened or created is warned.
    void AppendToDailyFile();

    // The daily file record: Header, CR LF, the body, CR LF.
    [[nodiscard]] std::string DailyRecord() const;
    // The same record, appended to out.
    void AppendDailyRecord(std::string& out) const;
    // The body as the record holds it: BodyLength bytes, never past the buffer.
    [[nodiscard]] std::string_view RecordBody() const {
        const size_t length = std::min(Body.size(), static_cast<size_t>(std::max(BodyLength, 0)));
        return {reinterpret_cast<const char*>(Body.data()), length};
    }
    enum class StoreResult { Appended, AlreadyStored, NoDate, CannotOpen };
    // AppendToDailyFile without the warning; path receives the daily file (empty
    // without a date or a list). Throws FileError when the file cannot be read or
    // written.
    StoreResult StoreInDailyFile(TDailyFileIndex& index, std::string& path) const;
    static void WarnCannotStore(IMessageBoxes& reporter, std::string_view path);

    // First-level decoding; does nothing when already decoded.
    void Decode(TDCPDataBloc* next);
    int32_t CountIgnoredBytes();

private:
    // The steps of Decode: the head (false when decoding stops there: NO DATA, too
    // short), the association at the block's date (false when it does not name the
    // sending instrument), the end marker, and the offer of every scenario start to the
    // converter.
    [[nodiscard]] bool DecodeHead(int32_t length);
    [[nodiscard]] bool MatchesAssociation();
    void FindEndMarker(int32_t length);
    void OfferScenarios(TDCPDataBloc* next);
    void SetClasses(int32_t from, int32_t to, uint8_t byteClass);  // from .. to, both included
};

// Period during which a beacon served one instrument.
class TDCPAsso {
public:
    // The manager list (may be null) checks the managers' identifiers; it must outlive
    // the association.
    explicit TDCPAsso(const TManagerList* managers = nullptr);
    std::string PosName;
    int32_t InstrumentNumber = 0;
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    TListManagers Managers;

    // Reads "dd/mm/yyyy,hh:nn:ss,dd/mm/yyyy,hh:nn:ss,instrument,locality,ids".
    // Answers false (and leaves the association unusable) when the dates, times or
    // instrument number are not numbers or give a date that does not exist. A manager
    // identifier that is not a number is skipped with a warning to the reporter.
    bool FromLine(std::string_view line, IMessageBoxes& reporter);
    [[nodiscard]] std::string ToLine();
};

// One open K7 file of one instrument and day, read from the working directory when it
// exists there (an unreadable file is warned about and never replaced).
class TDCPK7Item {
public:
    // The context (the list's) must outlive the item.
    TDCPK7Item(const TStoreContext& context, int32_t instrumentNumber, uint8_t instrumentCode, TDateTime date);
    ~TDCPK7Item();
    TDateTime Day;
    int32_t InstrumentNumber;
    std::unique_ptr<TK7File> K7File;

    [[nodiscard]] std::string K7FilePath(bool createFolder) const;
    void Flush();

private:
    // Size and hash of the file's bytes as this item last read or wrote them, so that
    // a flush can tell whether another program changed the file without the item
    // keeping a copy of every K7 file in memory. None: the file did not exist, or
    // what is on disk is a merge this item's events do not hold.
    struct Fingerprint {
        size_t size = 0;
        size_t hash = 0;
        bool operator==(const Fingerprint&) const = default;
    };
    [[nodiscard]] static Fingerprint FingerprintOf(std::string_view bytes);
    const TStoreContext& context_;
    std::optional<Fingerprint> known_;
};

class TDCP {
public:
    TDCP() = default;  // a beacon made by its list (TDCPList::NewBeacon) gets the TransInterval setting
    ~TDCP();

    TDCPList* Owner = nullptr;  // the list that holds the beacon (may be null in tests)
    std::vector<std::unique_ptr<TDCPAsso>> AssoList;
    std::string Number;
    std::string Name;
    int32_t BaseTime = 0;
    int32_t Interval = 30;

    [[nodiscard]] int32_t TransmissionBytesTransmittedIndication() const;
    [[nodiscard]] int32_t TransmissionBytesReallyTransmitted() const;

    // Associations check their managers against the manager list (may be null);
    // warnings go to the reporter.
    void LoadFromIni(const TIniFile& ini, std::string_view section, const TManagerList* managers,
                     IMessageBoxes& reporter);
    void SaveToIni(TIniFile& ini, std::string_view section);
    [[nodiscard]] TDCPAsso* FindAsso(TDateTime when) const;

    // The beacon's blocks in memory: in reading order, then in date order once decoded.
    // They change only through the methods below, which keep the indexes right.
    [[nodiscard]] const std::vector<std::unique_ptr<TDCPDataBloc>>& Blocks() const { return blocks_; }
    // Removes (and destroys) the block whose Header equals the new block's, if any, then
    // appends it; returns the block.
    TDCPDataBloc* AddBlock(std::unique_ptr<TDCPDataBloc> block);
    // The blocks, handed over (for a process about to end, which does not free them).
    [[nodiscard]] std::vector<std::unique_ptr<TDCPDataBloc>> TakeBlocks();

    void SaveBlocks();
    // Sorts the blocks by date and decodes those not decoded yet; how many it decoded.
    size_t DecodeAll();
    // Decodes as DecodeAll does (each new block with the block after it in date order),
    // but the blocks read since the beacon was last put in order may stay after the
    // others, in date order among themselves, until Order() or until they are many:
    // putting a file's few blocks in place in a long beacon moved every block dated
    // after them, after every file, when each file spans many days.
    size_t DecodeNew();
    // Puts every block in date order (DecodeAll's order).
    void Order();

    // The K7 items this beacon filed events into, in the order first used; they belong
    // to the list.
    [[nodiscard]] const std::vector<TDCPK7Item*>& K7Items() const { return k7Items_; }
    // The K7 file of that day and instrument, shared by the beacons of the list; null
    // for a beacon outside a list.
    TK7File* GetK7File(TDateTime date, int32_t instrumentNumber, uint8_t instrumentCode);
    void FlushK7Items(TDateTime date);
    void ClearContent();  // drops blocks and K7 item references

    // Folder name under DataDCP: the Name, made safe (never empty, ".", "..", nor
    // containing "/").
    [[nodiscard]] std::string FolderName() const;

private:
    friend class TDCPList;
    // The index of the section the beacon was read from when its list last read or
    // wrote DcpList.inf; none for a beacon added since (Common/ListMerge.h).
    size_t listOrigin_ = static_cast<size_t>(-1);

    std::vector<std::unique_ptr<TDCPDataBloc>> blocks_;
    // The block of each header, so that a block read again is found without a scan.
    TFlatHashTable<TDCPDataBloc*> blockOfHeader_;
    // blocks_[0, settledBlocks_) are in date order, decoded and counted, as the last
    // DecodeAll left them: the next one sorts only the blocks read since and merges
    // them in, rather than sorting and counting every block after every file.
    size_t settledBlocks_ = 0;
    // blocks_[settledBlocks_, settledBlocks_ + recentBlocks_), decoded and counted by
    // DecodeNew but not merged in yet, in date order.
    size_t recentBlocks_ = 0;

    std::vector<TDCPK7Item*> k7Items_;
    // The item of each (day, instrument) this beacon used, and the last one: events
    // come in runs of one day and instrument.
    TFlatHashTable<TDCPK7Item*> k7ItemOfDay_;
    TDCPK7Item* lastK7Item_ = nullptr;
};

class TDCPList {
public:
    // An empty list on the file (DcpList.inf); LoadFromFile reads it, SaveToFile writes
    // it: neither happens on construction or destruction.
    TDCPList(std::string fileName, TStoreContext context);
    ~TDCPList();
    TDCPList(const TDCPList&) = delete;
    TDCPList& operator=(const TDCPList&) = delete;

    std::string FileName;
    std::vector<std::unique_ptr<TDCP>> Beacons;

    [[nodiscard]] const TStoreContext& Context() const { return context_; }
    // The reader of the run, built after the list since it files blocks into it.
    void SetReader(IMessageFileReader* reader) { context_.Reader = reader; }
    // The front end told of changes (null: none); it must outlive the list or be unset.
    void SetObserver(IStoreObserver* observer) { observer_ = observer; }
    [[nodiscard]] IStoreObserver* Observer() const { return observer_; }
    // An estimate of the memory the content held since the last ClearAll takes (blocks
    // with their bodies, byte classes and events, and the K7 files read), on the high
    // side: what an import weighs against its memory budget.
    [[nodiscard]] size_t PendingBytes() const { return pendingBytes_; }
    // While on, reading a file leaves each beacon's newest blocks apart (TDCP::DecodeNew)
    // unless an observer is told of them; FlushAll puts them in order first, as does
    // turning it off. For a run of files that nothing reads the blocks of between files.
    void SetBulkReading(bool on);
    [[nodiscard]] bool BulkReading() const { return bulkReading_; }
    // What reading and decoding came to since the counts were last taken: the reader
    // adds what each file gave, each block decoded adds its scenarios and errors.
    [[nodiscard]] TRunCounts& Counts() { return counts_; }
    [[nodiscard]] TRunCounts TakeCounts() { return std::exchange(counts_, {}); }
    void CountDecoded(const TDCPDataBloc& block);
    // The blocks filed until EndFileSource carry the file being read (FileSource, from
    // 1; 0: none), so that a flush can name the files holding a message it could not
    // store. The paths are forgotten with the blocks (ClearAll).
    void BeginFileSource(std::string path);
    void EndFileSource() { fileSource_ = 0; }
    [[nodiscard]] uint32_t FileSource() const { return fileSource_; }
    // The files holding a block that the last FlushAll could not store (its daily file
    // could not be opened or created), in no particular order.
    [[nodiscard]] std::vector<std::string> UnstoredFiles() const;

    [[nodiscard]] size_t Count() const { return Beacons.size(); }
    // A new beacon, not in the list yet, with the TransInterval setting as its interval.
    [[nodiscard]] std::unique_ptr<TDCP> NewBeacon() const;
    TDCP* Add(std::unique_ptr<TDCP> beacon);  // sets the beacon's Owner
    void Delete(size_t index);

    // Replaces the beacons with those of the file (none when it is missing, or cannot
    // be read as a beacon list). What is wrong in the file (a key it does not know, an
    // association line dropped, a manager that does not exist, NbDCP not matching the
    // sections) goes to the run's reporter in one warning, and stays in LoadWarnings.
    void LoadFromFile();
    [[nodiscard]] const std::vector<std::string>& LoadWarnings() const { return loadWarnings_; }
    // Writes this run's changes to the beacon definitions since they were read or last
    // written (none: nothing is written) into what the file holds now, under the
    // working directory lock, atomically, in the encoding the file has; the list then
    // holds what was written, beacons that other programs added or changed included
    // (blocks stay with their beacons). Throws FileError, writing nothing, when the
    // file cannot be written, or cannot be read as a beacon list.
    void SaveToFile();
    [[nodiscard]] bool Changed();
    // A manager's new identifier in every association (TManagerList::OnRenumbered).
    void RenumberManager(int32_t from, int32_t to);
    [[nodiscard]] TDCP* FindByNumber(std::string_view number) const;
    [[nodiscard]] TDCP* FindByName(std::string_view name) const;

    void LoadDay(TDateTime date, int beaconIndex);
    void FlushAll();
    void ClearAll();
    void FlushK7ItemsOfDay(TDateTime date);
    // For a process about to end: ClearAll, except that the blocks and the K7 items
    // (with their events) are left unfreed, the system taking the memory back at once
    // (freeing them one by one is measured in docs/benchmarks.md). Nothing is written;
    // they must not be used afterwards.
    void AbandonContentAtExit();

    // Shared K7 items, one per (day, instrument).
    TDCPK7Item* GetK7Item(TDateTime date, int32_t instrumentNumber, uint8_t instrumentCode);
    [[nodiscard]] const std::vector<std::unique_ptr<TDCPK7Item>>& K7Items() const { return k7Items_; }

    // Headers already stored in the daily message files, shared by the beacons.
    [[nodiscard]] TDailyFileIndex& DailyFiles() { return *dailyFiles_; }

private:
    [[nodiscard]] std::vector<TRecord> records();
    [[nodiscard]] std::vector<size_t> origins() const;

    friend class TDCP;  // counts the blocks it decodes into pendingBytes_
    // The days whose K7 files or blocks the content holds, in order.
    [[nodiscard]] std::vector<TDateTime> ContentDays() const;

    TStoreContext context_;
    IStoreObserver* observer_ = nullptr;
    size_t pendingBytes_ = 0;
    bool bulkReading_ = false;
    // The beacon sections as read or last written: as SaveToIni writes them, and as
    // the file held them.
    std::vector<TRecord> base_;
    std::vector<TRecord> read_;
    std::vector<std::string> loadWarnings_;
    TRunCounts counts_;
    uint32_t fileSource_ = 0;
    std::vector<std::string> sourcePaths_;  // source n at n - 1
    std::vector<uint32_t> unstoredSources_;
    std::vector<std::unique_ptr<TDCPK7Item>> k7Items_;
    std::map<std::pair<long, int32_t>, TDCPK7Item*> k7Index_;
    std::unique_ptr<TDailyFileIndex> dailyFiles_;
};

// The message store of a run: its reader and its beacon list, which must outlive it.
class TRunStore final : public IMessageStore {
public:
    TRunStore(IMessageFileReader& reader, TDCPList& beacons) : reader_(reader), beacons_(beacons) {}
    // The file read is the source of the blocks it files (TDCPList::BeginFileSource).
    [[nodiscard]] int32_t ReadFile(const std::string& path) override;
    [[nodiscard]] int64_t MessagesOfLastFile() const override { return lastFileMessages_; }
    void FlushAll() override { beacons_.FlushAll(); }
    [[nodiscard]] std::vector<std::string> UnstoredFiles() const override { return beacons_.UnstoredFiles(); }
    [[nodiscard]] size_t BeaconCount() const override { return beacons_.Count(); }
    void ClearAll() override { beacons_.ClearAll(); }
    void LoadDay(TDateTime date, int beaconIndex) override { beacons_.LoadDay(date, beaconIndex); }
    void FlushK7ItemsOfDay(TDateTime date) override { beacons_.FlushK7ItemsOfDay(date); }
    [[nodiscard]] size_t PendingBytes() const override { return beacons_.PendingBytes(); }
    void SetBulkReading(bool on) override { beacons_.SetBulkReading(on); }
    [[nodiscard]] TRunCounts TakeCounts() override { return beacons_.TakeCounts(); }

private:
    IMessageFileReader& reader_;
    TDCPList& beacons_;
    int64_t lastFileMessages_ = 0;
};

}  // namespace skylog
