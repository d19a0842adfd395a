#pragma once
// One disturbance recording in memory: file parameters, analogue and status channels with
// their sample buffers, sampling-rate segments with the time of every sample, the view
// interval, the header text, the information file and the record attributes.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/recorder/IniDocument.h"
#include "dcomp/recorder/UsTime.h"
#include "platform/Clock.h"

namespace dcomp {

class TComtrade;
class TRateList;

void SwapDoubles(double& a, double& b);
// A data file's time stamp in seconds: stamp × multiplier / 1,000,000.
double StampToSeconds(double stamp, double multiplier);

// The most samples a recording takes, and the most bytes its sample and time buffers may
// take together (process-wide; some fuzz harnesses lower it). Beyond either, the count
// setters raise "Incorrect EndSample Value" before anything is allocated.
inline constexpr int64_t kMaxSampleCount = 100'000'000;
inline constexpr int64_t kDefaultMaxSampleBytes = int64_t{2} << 30;
int64_t MaxSampleBytes();
void SetMaxSampleBytes(int64_t bytes);

class TObFileParam {
public:
    const std::string& StationName() const { return FStationName; }
    void SetStationName(std::string_view text);  // at most 64 characters
    const std::string& RecDeviceId() const { return FRecDeviceId; }
    void SetRecDeviceId(std::string_view text);  // at most 64 characters

    // 0 or 1: the 1991 layout of the configuration file; larger: the 1999 layout.
    int16_t RevisionYear = 0;
    double LineFrequency = 0;
    double TimeMultiplier = 0;  // the factor of the data file's time stamps, in microseconds
    TUsTime StartTime;          // the first sample
    TUsTime TriggerTime;

    platform::TDateTime StartDateTime() const { return StartTime.ToDateTime(); }
    void SetStartDateTime(platform::TDateTime value) { StartTime.FromDateTime(value); }
    platform::TDateTime TriggerDateTime() const { return TriggerTime.ToDateTime(); }
    void SetTriggerDateTime(platform::TDateTime value) { TriggerTime.FromDateTime(value); }

private:
    std::string FStationName;
    std::string FRecDeviceId;
};

// The interval a viewer selected, seconds from the first sample; -1 when unset.
struct TViewParam {
    double ViewBegin = -1;
    double ViewEnd = -1;
};

// What every channel has.
class TSygDescr {
public:
    virtual ~TSygDescr() = default;
    // "XX", "AN" or "DG" followed by Number.
    virtual std::string GetLabel() const;

    const std::string& ChannelId() const { return FChannelId; }
    void SetChannelId(std::string_view text);  // at most 64 characters, ',' becomes '.'
    const std::string& CircuitComponent() const { return FCircuitComponent; }
    void SetCircuitComponent(std::string_view text);  // likewise
    const std::string& Phase() const { return FPhase; }
    void SetPhase(std::string_view text);  // at most 2 characters
    // The length of the channel's buffer.
    int32_t SampleCount() const { return FSampleCount; }
    virtual void SetSampleCount(int32_t count) = 0;

    int32_t Number = 0;  // the configuration's channel number, from 1
    std::string Comment;
    bool Visible = true;
    uint32_t PenColor = 0;
    uint32_t BackgroundColor = 0xFFFFFF;
    bool IsTrigSource = false;
    uint32_t SourceTag = 0;  // a recorder reader's own use

protected:
    // "Index out of buffer range." for an index outside the buffer.
    void CheckIndex(int32_t index) const;
    int32_t FSampleCount = 0;

private:
    std::string FChannelId;
    std::string FCircuitComponent;
    std::string FPhase;
};

class TAnalogDescr : public TSygDescr {
public:
    // 0: raw 32-bit integers in the buffer; 1: scaled doubles. Any other format makes
    // every buffer operation raise "Unknown format of memory for analog buffer.".
    explicit TAnalogDescr(uint8_t memoryFormat = 0) : FMemoryFormat(memoryFormat) {}
    std::string GetLabel() const override;
    uint8_t MemoryFormat() const { return FMemoryFormat; }

    const std::string& Units() const { return FUnits; }
    void SetUnits(std::string_view text);  // at most 32 characters, ',' becomes '.'

    double Multiplier = 0;  // a: value = a × raw + b
    double Offset = 0;      // b
    double Skew = 0;        // seconds
    int32_t Min = 0;
    int32_t Max = 0;
    double Primary = 1.0;
    double Secondary = 1.0;
    uint8_t PS = 0;  // 0 primary-side values ("P"), 1 secondary-side ("S")
    uint8_t ValueMode = 0;
    bool Rescale = false;
    bool Unipolar = false;

    void SetSampleCount(int32_t count) override;
    int32_t GetRaw(int32_t index) const;
    void SetRaw(int32_t index, int32_t raw);
    // Modes: 0 primary-side, 1 secondary-side, 2 raw, 3 percent of the raw range.
    double GetValue(uint8_t mode, int32_t index, bool& ok) const;
    double Value(int32_t index) const;  // GetValue with ValueMode; "Data no Exist"
    void CheckRange(const TOnMessage& onMessage);
    // Fits a channel without usable scaling (or with Rescale) into the 16-bit raw range.
    void ScaleAnalog();

    const std::vector<int32_t>& RawBuffer() const { return FRawBuffer; }
    const std::vector<double>& ValueBuffer() const { return FValueBuffer; }
    // The buffer of memory format 0 itself (empty in format 1), for bulk moves.
    std::span<int32_t> RawSpan() { return FRawBuffer; }

private:
    void CheckFormat() const;
    uint8_t FMemoryFormat;
    std::string FUnits;
    std::vector<int32_t> FRawBuffer;
    std::vector<double> FValueBuffer;
};

class TCyfrDescr : public TSygDescr {
public:
    std::string GetLabel() const override;
    void SetSampleCount(int32_t count) override;
    uint8_t GetBit(int32_t index) const;
    void SetBit(int32_t index, uint8_t value);
    const std::vector<uint8_t>& BitBuffer() const { return FBitBuffer; }
    std::span<uint8_t> BitSpan() { return FBitBuffer; }

    uint8_t NormalState = 0;

private:
    std::vector<uint8_t> FBitBuffer;
};

// Channels in file order. A recording's lists own their channels; lists gathered for
// saving own nothing.
template <class T>
class TChannelList {
public:
    TChannelList(TComtrade* recording, bool ownsObjects) : FRecording(recording), FOwnsObjects(ownsObjects) {}
    virtual ~TChannelList() = default;
    TChannelList(const TChannelList&) = delete;
    TChannelList& operator=(const TChannelList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    // platform::Exception "List index out of bounds (i)" outside 0..Count-1.
    T* Items(int index) const;
    T* operator[](int index) const { return Items(index); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }
    int32_t MaxNumber() const;
    // The number after n for a new channel: n + 1, n itself at the top of the range.
    static int32_t NumberAfter(int32_t n) { return n == std::numeric_limits<int32_t>::max() ? n : n + 1; }
    // A channel that this list does not own (lists of a recording take ownership).
    void Append(T* channel);
    void Append(std::unique_ptr<T> channel);
    void Clear();
    TComtrade* Recording() const { return FRecording; }
    bool OwnsObjects() const { return FOwnsObjects; }

protected:
    // The number given, the buffer sized, then appended and owned.
    T* Adopt(std::unique_ptr<T> channel, int32_t number);

private:
    TComtrade* FRecording;
    bool FOwnsObjects;
    std::vector<T*> FItems;
    std::vector<std::unique_ptr<T>> FOwned;
};

class TAnalogList : public TChannelList<TAnalogDescr> {
public:
    using TChannelList::TChannelList;
    // A channel made through AnalogDescrClass: Number = MaxNumber + 1, buffer of the
    // recording's SampleCount.
    virtual TAnalogDescr* Add(uint8_t memoryFormat = 0);
    // The same with the number given, so that a reader numbering its channels as it goes
    // does not scan the list for every one.
    TAnalogDescr* AddNumbered(uint8_t memoryFormat, int32_t number);
    void CheckRange(const TOnMessage& onMessage);
    // "Exception in AnalogList.ScaleAnalog(index=%d): %s" when a channel fails.
    void ScaleAnalog();
};

class TCyfrList : public TChannelList<TCyfrDescr> {
public:
    using TChannelList::TChannelList;
    virtual TCyfrDescr* Add();
    // The same with the number given (no scan of the list).
    TCyfrDescr* AddNumbered(int32_t number);
};

// One sampling-rate segment.
class TRateDescr {
public:
    explicit TRateDescr(TRateList& owner) : FOwner(owner) {}
    virtual ~TRateDescr() = default;
    TRateList& Owner() const { return FOwner; }

    int64_t FirstSample = 0;  // the previous segment's EndSample + 1, 0 for the first
    double Rate = 0;          // samples per second; 0: the data file's stamps give the times
    int64_t EndSample() const { return FEndSample; }
    // "Incorrect EndSample Value" below 0, below the predecessor's, or beyond the sample
    // limits; then rebuilds the owner's time and sample-number tables (unless deferred).
    void SetEndSample(int64_t count);
    int64_t SegmentSampleCount() const { return FEndSample - FirstSample + 1; }
    double Duration() const { return static_cast<double>(SegmentSampleCount()) / Rate; }

private:
    TRateList& FOwner;
    int64_t FEndSample = 0;
};

class TRateList {
public:
    explicit TRateList(TComtrade* recording) : FRecording(recording) {}
    virtual ~TRateList() = default;
    TRateList(const TRateList&) = delete;
    TRateList& operator=(const TRateList&) = delete;
    virtual std::string ClassName() const { return "TRateList"; }

    TComtrade* Recording() const { return FRecording; }
    // A segment made through RateDescrClass, appended.
    TRateDescr* AddSegment();
    int Count() const { return static_cast<int>(FItems.size()); }
    // platform::Exception "List index out of bounds (i)" outside 0..Count-1.
    TRateDescr* Items(int index) const;
    TRateDescr* operator[](int index) const { return Items(index); }
    // The segment's position, -1 when it is not in the list.
    int IndexOf(const TRateDescr& segment) const;
    void Clear();
    // The last segment's EndSample, 0 without segments.
    int64_t LastEndSample() const;

    int32_t SampleCount() const { return static_cast<int32_t>(FTimeTable.size()); }
    int32_t LoadedCount() const { return FLoadedCount; }
    // Grows the tables to n when shorter; LoadedCount := min(n, SampleCount).
    void SetLoadedCount(int64_t count);
    // Time table length n, every channel of the recording too; new sample numbers i + 1,
    // new times within the segments by the rates.
    void SetSampleCount(int64_t count);

    double FGetTime(int32_t index) const;
    void FSetTime(int32_t index, double seconds);
    int64_t FGetSamplIdx(int32_t index) const;
    void FSetSamplIdx(int32_t index, int64_t number);

    // No segment, or a segment of rate 0.
    bool TimesFromData() const;
    // The sample at a time: the last index whose time lies below it (by the table when
    // TimesFromData), else by the rates; past the last segment the list's index error.
    int32_t SampleAt(double seconds) const;
    double TimeOfSample(int64_t index) const;

    const std::vector<double>& TimeTable() const { return FTimeTable; }
    const std::vector<int64_t>& SampleNumbers() const { return FSampleNumbers; }
    // The tables themselves, for bulk moves.
    std::span<double> TimeSpan() {
        FComputed.clear();
        return FTimeTable;
    }
    std::span<int64_t> SampleNumberSpan() {
        FNumbersChanged = true;
        return FSampleNumbers;
    }

    // The time and sample-number tables from the segments (SetEndSample calls it).
    void RebuildTables();
    // "Incorrect EndSample Value" when the recording's buffers of count samples pass the limits.
    void CheckSampleCount(int64_t count) const;

    // While deferred, a segment's end sizes no table (only the sample count limit is
    // checked): the reader of the data file sizes the tables by the samples the file
    // holds (SetSampleCount), so a count that a configuration claims allocates nothing.
    bool TablesDeferred() const { return FDeferred; }
    void SetTablesDeferred(bool deferred) { FDeferred = deferred; }

private:
    // The rate times of the table's entries from fromIndex on, for the segments from
    // fromSegment on.
    void FillRateTimes(size_t fromSegment, int64_t fromIndex);

    TComtrade* FRecording;
    std::vector<std::unique_ptr<TRateDescr>> FItems;
    std::vector<double> FTimeTable;
    std::vector<int64_t> FSampleNumbers;
    int32_t FLoadedCount = 0;
    // The rate and end of the segments whose times the table holds, so that setting the
    // end of the last one computes that segment only; and whether a sample number may
    // differ from its index + 1.
    std::vector<std::pair<double, int64_t>> FComputed;
    bool FNumbersChanged = false;
    bool FDeferred = false;
};

// The times of samples by the rates, as TimeOfSample gives them, for indexes in ascending
// order: the segments are walked once for all of them, not again for every sample.
class TRateClock {
public:
    explicit TRateClock(const TRateList& rates) : FRates(rates) {}
    double TimeOf(int64_t index);

private:
    const TRateList& FRates;
    int FSegment = 0;
    int64_t FPrevious = 0;
    double FBase = 0;
};

// Defers a rate list's tables while it lives and puts the previous state back.
class TDeferredTables {
public:
    explicit TDeferredTables(TRateList& rates) : FRates(rates), FPrevious(rates.TablesDeferred()) {
        rates.SetTablesDeferred(true);
    }
    ~TDeferredTables() { FRates.SetTablesDeferred(FPrevious); }
    TDeferredTables(const TDeferredTables&) = delete;
    TDeferredTables& operator=(const TDeferredTables&) = delete;

private:
    TRateList& FRates;
    bool FPrevious;
};

struct TRecAttribs {
    std::string TrigSrcDescr;
    std::string Komment;
    int32_t ID = 0;
    bool Interrupted = false;
};

// The six class hooks: an empty hook makes the base class.
using TAnalogDescrClass = std::function<std::unique_ptr<TAnalogDescr>(uint8_t memoryFormat)>;
using TCyfrDescrClass = std::function<std::unique_ptr<TCyfrDescr>()>;
using TRateDescrClass = std::function<std::unique_ptr<TRateDescr>(TRateList& owner)>;
using TAnalogListClass = std::function<std::unique_ptr<TAnalogList>(TComtrade* recording, bool ownsObjects)>;
using TCyfrListClass = std::function<std::unique_ptr<TCyfrList>(TComtrade* recording, bool ownsObjects)>;
using TRateListClass = std::function<std::unique_ptr<TRateList>(TComtrade* recording)>;
TAnalogDescrClass& AnalogDescrClass();
TCyfrDescrClass& CyfrDescrClass();
TRateDescrClass& RateDescrClass();
TAnalogListClass& AnalogListClass();
TCyfrListClass& CyfrListClass();
TRateListClass& RateListClass();
// All six back to the base classes.
void ResetComtradeClasses();

class TComtrade {
public:
    TComtrade();
    virtual ~TComtrade();
    TComtrade(const TComtrade&) = delete;
    TComtrade& operator=(const TComtrade&) = delete;

    // No channels and segments, revision 1997, 50 Hz; texts, view and times stay.
    void Clear();

    uint8_t DataFileFormat() const { return FDataFileFormat; }  // 0 "ASCII", 1 "BINARY"
    void SetDataFileFormat(uint8_t format);                     // "Unknown DataFileFormat"

    TObFileParam& FileParam() { return FFileParam; }
    const TObFileParam& FileParam() const { return FFileParam; }
    TAnalogList& AnalogList() { return *FAnalogList; }
    const TAnalogList& AnalogList() const { return *FAnalogList; }
    TCyfrList& CyfrList() { return *FCyfrList; }
    const TCyfrList& CyfrList() const { return *FCyfrList; }
    TRateList& RateList() { return *FRateList; }
    const TRateList& RateList() const { return *FRateList; }
    TViewParam& ViewParam() { return FViewParam; }
    const TViewParam& ViewParam() const { return FViewParam; }
    TIniDocument& InfoFile() { return FInfoFile; }
    const TIniDocument& InfoFile() const { return FInfoFile; }

    TRecAttribs RecAttribs;
    std::vector<std::string> HeaderText;  // the ".HDR" lines

    int32_t SampleCount() const { return FRateList->SampleCount(); }
    int32_t LoadedCount() const { return FRateList->LoadedCount(); }
    void SetLoadedCount(int64_t count) { FRateList->SetLoadedCount(count); }
    // Every channel's buffer, then the rate list's tables.
    void SetSampleCount(int64_t count);
    // Appends to two non-owning lists all channels, or the visible ones, in order.
    void CollectChannels(bool visibleOnly, TAnalogList& analogs, TCyfrList& status) const;

private:
    uint8_t FDataFileFormat = 0;
    TObFileParam FFileParam;
    std::unique_ptr<TAnalogList> FAnalogList;
    std::unique_ptr<TCyfrList> FCyfrList;
    std::unique_ptr<TRateList> FRateList;
    TViewParam FViewParam;
    TIniDocument FInfoFile;
};

}  // namespace dcomp
