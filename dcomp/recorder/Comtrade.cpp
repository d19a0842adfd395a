#include "dcomp/recorder/Comtrade.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

using platform::Exception;

std::atomic<int64_t> gMaxSampleBytes{kDefaultMaxSampleBytes};

std::string CutText(std::string_view text, size_t characters, bool commasToDots) {
    std::string out(platform::Utf8Prefix(text, characters));
    if (commasToDots) std::replace(out.begin(), out.end(), ',', '.');
    return out;
}

[[noreturn]] void ListIndexError(int index) {
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

[[noreturn]] void IncorrectEndSample() {
    throw Exception("Incorrect EndSample Value");
}

// Fits a count already checked against the limits.
int32_t Count32(int64_t count) {
    return static_cast<int32_t>(count);
}

bool Finite(double v) {
    return std::isfinite(v);
}

}  // namespace

void SwapDoubles(double& a, double& b) {
    std::swap(a, b);
}

double StampToSeconds(double stamp, double multiplier) {
    return stamp * multiplier / 1'000'000.0;
}

int64_t MaxSampleBytes() {
    return gMaxSampleBytes.load();
}

void SetMaxSampleBytes(int64_t bytes) {
    gMaxSampleBytes.store(bytes);
}

// ---- file parameters and channels ----

void TObFileParam::SetStationName(std::string_view text) {
    FStationName = CutText(text, 64, false);
}

void TObFileParam::SetRecDeviceId(std::string_view text) {
    FRecDeviceId = CutText(text, 64, false);
}

std::string TSygDescr::GetLabel() const {
    return "XX" + std::to_string(Number);
}

void TSygDescr::SetChannelId(std::string_view text) {
    FChannelId = CutText(text, 64, true);
}

void TSygDescr::SetCircuitComponent(std::string_view text) {
    FCircuitComponent = CutText(text, 64, true);
}

void TSygDescr::SetPhase(std::string_view text) {
    FPhase = CutText(text, 2, false);
}

void TSygDescr::CheckIndex(int32_t index) const {
    if (index < 0 || index >= FSampleCount) throw Exception("Index out of buffer range.");
}

std::string TAnalogDescr::GetLabel() const {
    return "AN" + std::to_string(Number);
}

void TAnalogDescr::SetUnits(std::string_view text) {
    FUnits = CutText(text, 32, true);
}

void TAnalogDescr::CheckFormat() const {
    if (FMemoryFormat > 1) throw Exception("Unknown format of memory for analog buffer.");
}

void TAnalogDescr::SetSampleCount(int32_t count) {
    if (count < 0) IncorrectEndSample();
    if (count == FSampleCount) return;
    FSampleCount = count;
    CheckFormat();
    if (FMemoryFormat == 0)
        FRawBuffer.resize(static_cast<size_t>(count), 0);
    else
        FValueBuffer.resize(static_cast<size_t>(count), 0.0);
}

int32_t TAnalogDescr::GetRaw(int32_t index) const {
    CheckIndex(index);
    CheckFormat();
    if (FMemoryFormat == 0) return FRawBuffer[static_cast<size_t>(index)];
    const std::string number = std::to_string(Number);
    if (!Finite(Multiplier)) throw Exception("Channel An" + number + " has NAN Multiplier");
    if (Multiplier == 0) throw Exception("Channel An" + number + " invalid Multiplier=0");
    if (!Finite(Offset)) throw Exception("Channel An" + number + " has NAN offset");
    const double value = FValueBuffer[static_cast<size_t>(index)];
    if (!Finite(value)) return -32768;
    const double r = (value - Offset) / Multiplier;
    if (r > Max) return Max;
    if (r < Min) return Min;
    int64_t rounded = 0;
    if (!platform::TryRoundToInt64(r, rounded)) return -32768;
    return static_cast<int32_t>(std::clamp<int64_t>(rounded, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void TAnalogDescr::SetRaw(int32_t index, int32_t raw) {
    CheckIndex(index);
    CheckFormat();
    if (FMemoryFormat == 0)
        FRawBuffer[static_cast<size_t>(index)] = raw;
    else
        FValueBuffer[static_cast<size_t>(index)] = Multiplier * raw + Offset;
}

double TAnalogDescr::GetValue(uint8_t mode, int32_t index, bool& ok) const {
    ok = false;
    if (index < 0 || index >= FSampleCount) return 0;
    CheckFormat();
    const double v = FMemoryFormat == 1 ? FValueBuffer[static_cast<size_t>(index)]
                                        : Multiplier * FRawBuffer[static_cast<size_t>(index)] + Offset;
    double result = 0;
    switch (mode) {
        case 0:
            result = PS == 1 && Primary != 0 && Secondary != 0 ? v * Primary / Secondary : v;
            break;
        case 1:
            result = PS == 0 && Primary != 0 && Secondary != 0 ? v * Secondary / Primary : v;
            break;
        case 2:
            result = (v - Offset) / Multiplier;
            break;
        case 3: {
            const double r = (v - Offset) / Multiplier;
            const double span = static_cast<double>(Max) - static_cast<double>(Min);
            result = Unipolar ? (r - Min) * 100.0 / span : (r - Min) * 200.0 / span - 100.0;
            break;
        }
        default:
            throw Exception("Unknown data mode");
    }
    ok = true;
    return result;
}

double TAnalogDescr::Value(int32_t index) const {
    bool ok = false;
    const double v = GetValue(ValueMode, index, ok);
    if (!ok) throw Exception("Data no Exist");
    return v;
}

void TAnalogDescr::CheckRange(const TOnMessage& onMessage) {
    int32_t largest = std::numeric_limits<int32_t>::min();
    int32_t smallest = std::numeric_limits<int32_t>::max();
    for (int32_t i = 0; i < FSampleCount; ++i) {
        const int32_t raw = GetRaw(i);
        largest = std::max(largest, raw);
        // The 0x8000 of a missing value is no measurement.
        if ((static_cast<uint32_t>(raw) & 0xFFFF) != 0x8000) smallest = std::min(smallest, raw);
    }
    if (FSampleCount > 0 && largest > Max) {
        if (onMessage) onMessage("Comtrade warning : Data > Max for : " + ChannelId());
        Max = largest;
    }
    if (smallest != std::numeric_limits<int32_t>::max() && smallest < Min) {
        if (onMessage) onMessage("Comtrade warning : Data < Min for : " + ChannelId());
        Min = smallest;
    }
}

void TAnalogDescr::ScaleAnalog() {
    if (!Rescale && Multiplier != 0) return;
    Multiplier = 1.0;
    Offset = 0;
    bool any = false;
    double smallest = 0, largest = 0;
    for (int32_t i = 0; i < FSampleCount; ++i) {
        bool ok = false;
        double v = 0;
        try {
            v = GetValue(ValueMode, i, ok);
        } catch (const Exception&) {
            ok = false;
        }
        if (!ok || !Finite(v)) continue;
        if (!any) {
            smallest = largest = v;
            any = true;
        } else {
            smallest = std::min(smallest, v);
            largest = std::max(largest, v);
        }
    }
    double m = std::max(std::fabs(largest), std::fabs(smallest));
    if (m == 0) m = 1.0;
    m *= 1.2;
    Primary = m;
    Secondary = m;
    PS = 1;
    Max = 32767;
    Min = -32768;
    Multiplier = m / 32767.0;
}

std::string TCyfrDescr::GetLabel() const {
    return "DG" + std::to_string(Number);
}

void TCyfrDescr::SetSampleCount(int32_t count) {
    if (count < 0) IncorrectEndSample();
    FSampleCount = count;
    FBitBuffer.resize(static_cast<size_t>(count), 0);
}

uint8_t TCyfrDescr::GetBit(int32_t index) const {
    CheckIndex(index);
    return FBitBuffer[static_cast<size_t>(index)];
}

void TCyfrDescr::SetBit(int32_t index, uint8_t value) {
    CheckIndex(index);
    FBitBuffer[static_cast<size_t>(index)] = value;
}

// ---- lists ----

template <class T>
T* TChannelList<T>::Items(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return FItems[static_cast<size_t>(index)];
}

template <class T>
int32_t TChannelList<T>::MaxNumber() const {
    int32_t n = 0;
    for (const T* c : FItems) n = std::max(n, c->Number);
    return n;
}

template <class T>
void TChannelList<T>::Append(T* channel) {
    FItems.push_back(channel);
}

template <class T>
void TChannelList<T>::Append(std::unique_ptr<T> channel) {
    FItems.push_back(channel.get());
    FOwned.push_back(std::move(channel));
}

template <class T>
void TChannelList<T>::Clear() {
    FItems.clear();
    FOwned.clear();
}

template <class T>
T* TChannelList<T>::Adopt(std::unique_ptr<T> channel, int32_t number) {
    channel->Number = number;
    if (FRecording != nullptr) channel->SetSampleCount(FRecording->SampleCount());
    T* raw = channel.get();
    Append(std::move(channel));
    return raw;
}

template class TChannelList<TAnalogDescr>;
template class TChannelList<TCyfrDescr>;

TAnalogDescr* TAnalogList::Add(uint8_t memoryFormat) {
    return AddNumbered(memoryFormat, NumberAfter(MaxNumber()));
}

TAnalogDescr* TAnalogList::AddNumbered(uint8_t memoryFormat, int32_t number) {
    auto& hook = AnalogDescrClass();
    return Adopt(hook ? hook(memoryFormat) : std::make_unique<TAnalogDescr>(memoryFormat), number);
}

void TAnalogList::CheckRange(const TOnMessage& onMessage) {
    for (TAnalogDescr* c : *this) c->CheckRange(onMessage);
}

void TAnalogList::ScaleAnalog() {
    for (int i = 0; i < Count(); ++i) {
        try {
            Items(i)->ScaleAnalog();
        } catch (const Exception& e) {
            throw Exception("Exception in AnalogList.ScaleAnalog(index=" + std::to_string(i) +
                            "): " + e.Message());
        }
    }
}

TCyfrDescr* TCyfrList::Add() {
    return AddNumbered(NumberAfter(MaxNumber()));
}

TCyfrDescr* TCyfrList::AddNumbered(int32_t number) {
    auto& hook = CyfrDescrClass();
    return Adopt(hook ? hook() : std::make_unique<TCyfrDescr>(), number);
}

// ---- rates and times ----

void TRateDescr::SetEndSample(int64_t count) {
    if (count < 0 || count > kMaxSampleCount) IncorrectEndSample();
    // Deferred, the count sizes nothing, so the buffers' byte limit does not apply yet.
    if (!FOwner.TablesDeferred()) FOwner.CheckSampleCount(count);
    FEndSample = count;
    const int at = FOwner.IndexOf(*this);
    if (at > 0 && FOwner.Items(at - 1)->EndSample() > count) IncorrectEndSample();
    FOwner.RebuildTables();
}

TRateDescr* TRateList::AddSegment() {
    auto& hook = RateDescrClass();
    std::unique_ptr<TRateDescr> segment = hook ? hook(*this) : std::make_unique<TRateDescr>(*this);
    segment->FirstSample = FItems.empty() ? 0 : FItems.back()->EndSample() + 1;
    FItems.push_back(std::move(segment));
    return FItems.back().get();
}

TRateDescr* TRateList::Items(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return FItems[static_cast<size_t>(index)].get();
}

int TRateList::IndexOf(const TRateDescr& segment) const {
    // From the end: the segment being set is most often the last.
    for (int i = Count() - 1; i >= 0; --i)
        if (FItems[static_cast<size_t>(i)].get() == &segment) return i;
    return -1;
}

void TRateList::Clear() {
    FItems.clear();
    FTimeTable.clear();
    FSampleNumbers.clear();
    FLoadedCount = 0;
    FComputed.clear();
    FNumbersChanged = false;
}

int64_t TRateList::LastEndSample() const {
    return FItems.empty() ? 0 : FItems.back()->EndSample();
}

void TRateList::CheckSampleCount(int64_t count) const {
    if (count < 0 || count > kMaxSampleCount) IncorrectEndSample();
    int64_t perSample = sizeof(double) + sizeof(int64_t);
    if (FRecording != nullptr) {
        for (const TAnalogDescr* c : FRecording->AnalogList()) perSample += c->MemoryFormat() == 1 ? 8 : 4;
        perSample += FRecording->CyfrList().Count();
    }
    if (count > MaxSampleBytes() / perSample) IncorrectEndSample();
}

void TRateList::SetSampleCount(int64_t count) {
    CheckSampleCount(count);
    const int32_t n = Count32(count);
    const size_t old = FTimeTable.size();
    FTimeTable.resize(static_cast<size_t>(n), 0.0);
    if (static_cast<size_t>(n) > old && !TimesFromData()) FillRateTimes(0, static_cast<int64_t>(old));
    if (FRecording != nullptr) {
        for (TAnalogDescr* c : FRecording->AnalogList()) c->SetSampleCount(n);
        for (TCyfrDescr* c : FRecording->CyfrList()) c->SetSampleCount(n);
    }
    if (static_cast<size_t>(n) != old) {
        const size_t had = FSampleNumbers.size();
        FSampleNumbers.resize(static_cast<size_t>(n));
        for (size_t i = had; i < FSampleNumbers.size(); ++i) FSampleNumbers[i] = static_cast<int64_t>(i) + 1;
    }
    FLoadedCount = std::min(FLoadedCount, n);
}

void TRateList::SetLoadedCount(int64_t count) {
    CheckSampleCount(count);
    if (count > SampleCount()) SetSampleCount(count);
    FLoadedCount = std::min(Count32(count), SampleCount());
}

double TRateList::FGetTime(int32_t index) const {
    if (index < 0 || index >= SampleCount())
        throw Exception("RateList: Index " + std::to_string(index) + ", out of Bounds: <0.." +
                        std::to_string(SampleCount() - 1) + ">");
    return FTimeTable[static_cast<size_t>(index)];
}

void TRateList::FSetTime(int32_t index, double seconds) {
    if (index < 0 || index >= SampleCount())
        throw Exception(ClassName() + ".FSetTime: Index out of time buffer range.");
    FTimeTable[static_cast<size_t>(index)] = seconds;
    FComputed.clear();
}

int64_t TRateList::FGetSamplIdx(int32_t index) const {
    if (FSampleNumbers.empty()) return int64_t{index} + 1;
    if (index < 0 || static_cast<size_t>(index) >= FSampleNumbers.size())
        throw Exception(ClassName() + ".FGetSamplIdx: Index out of range.");
    return FSampleNumbers[static_cast<size_t>(index)];
}

void TRateList::FSetSamplIdx(int32_t index, int64_t number) {
    if (index < 0 || static_cast<size_t>(index) >= FSampleNumbers.size())
        throw Exception(ClassName() + ".FSetSamplIdx: Index out of range.");
    FSampleNumbers[static_cast<size_t>(index)] = number;
    FNumbersChanged = true;
}

bool TRateList::TimesFromData() const {
    if (FItems.empty()) return true;
    for (const auto& s : FItems)
        if (s->Rate == 0) return true;
    return false;
}

void TRateList::RebuildTables() {
    // Deferred with nothing sized yet: the data file's reader sizes and fills the tables.
    if (FDeferred && FTimeTable.empty() && FSampleNumbers.empty()) return;
    const size_t oldLength = FTimeTable.size();
    if (TimesFromData()) {
        FComputed.clear();
    } else {
        const int64_t last = LastEndSample();
        if (!FDeferred && last != SampleCount()) {
            FTimeTable.resize(static_cast<size_t>(last), 0.0);
            FLoadedCount = std::min(FLoadedCount, SampleCount());
        }
        // Segments unchanged since the table was computed keep their entries.
        size_t unchanged = 0;
        while (unchanged < FComputed.size() && unchanged < FItems.size() &&
               FComputed[unchanged].first == FItems[unchanged]->Rate &&
               FComputed[unchanged].second == FItems[unchanged]->EndSample() &&
               FComputed[unchanged].second <= static_cast<int64_t>(oldLength))
            ++unchanged;
        FillRateTimes(unchanged, 0);
        FComputed.clear();
        for (const auto& s : FItems) FComputed.emplace_back(s->Rate, s->EndSample());
    }
    const size_t keep = FNumbersChanged ? 0 : std::min(oldLength, FSampleNumbers.size());
    FSampleNumbers.resize(FTimeTable.size());
    for (size_t i = keep; i < FSampleNumbers.size(); ++i) FSampleNumbers[i] = static_cast<int64_t>(i) + 1;
    FNumbersChanged = false;
}

void TRateList::FillRateTimes(size_t fromSegment, int64_t fromIndex) {
    int64_t start = 0;
    double t0 = 0;
    for (size_t k = 0; k < FItems.size(); ++k) {
        const TRateDescr& s = *FItems[k];
        const double p = 1.0 / s.Rate;
        if (k >= fromSegment) {
            const int64_t end = std::min<int64_t>(s.EndSample(), SampleCount());
            for (int64_t j = std::max(start, fromIndex); j < end; ++j)
                FTimeTable[static_cast<size_t>(j)] = t0 + p * static_cast<double>(j - start);
        }
        t0 += p * static_cast<double>(s.EndSample() - start);
        start = s.EndSample();
    }
}

int32_t TRateList::SampleAt(double seconds) const {
    if (TimesFromData()) {
        // The last index whose time lies below the given one.
        size_t low = 0, high = FTimeTable.size();  // the answer lies in [low, high)
        while (high - low > 1) {
            const size_t mid = low + (high - low) / 2;
            if (seconds > FTimeTable[mid])
                low = mid;
            else
                high = mid;
        }
        return static_cast<int32_t>(low);
    }
    double base = 0;
    int64_t result = 0;
    for (int i = 0; seconds > base; ++i) {
        const TRateDescr* s = Items(i);  // past the last segment: the list's index error
        if (s->Duration() < seconds - base) {
            result = s->EndSample();
            base += s->Duration();
        } else {
            int64_t step = 0;
            platform::TryRoundToInt64((seconds - base) * s->Rate, step);
            result += step;
            break;
        }
    }
    return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

double TRateList::TimeOfSample(int64_t index) const {
    return TRateClock(*this).TimeOf(index);
}

double TRateClock::TimeOf(int64_t index) {
    for (; FSegment < FRates.Count(); ++FSegment) {
        const TRateDescr& s = *FRates.Items(FSegment);
        if (index <= s.EndSample()) return FBase + static_cast<double>(index - FPrevious) / s.Rate;
        FBase += static_cast<double>(s.EndSample() - FPrevious) / s.Rate;
        FPrevious = s.EndSample();
    }
    return FBase;
}

// ---- class hooks ----

TAnalogDescrClass& AnalogDescrClass() {
    static TAnalogDescrClass hook;
    return hook;
}
TCyfrDescrClass& CyfrDescrClass() {
    static TCyfrDescrClass hook;
    return hook;
}
TRateDescrClass& RateDescrClass() {
    static TRateDescrClass hook;
    return hook;
}
TAnalogListClass& AnalogListClass() {
    static TAnalogListClass hook;
    return hook;
}
TCyfrListClass& CyfrListClass() {
    static TCyfrListClass hook;
    return hook;
}
TRateListClass& RateListClass() {
    static TRateListClass hook;
    return hook;
}

void ResetComtradeClasses() {
    AnalogDescrClass() = [](uint8_t memoryFormat) { return std::make_unique<TAnalogDescr>(memoryFormat); };
    CyfrDescrClass() = [] { return std::make_unique<TCyfrDescr>(); };
    RateDescrClass() = [](TRateList& owner) { return std::make_unique<TRateDescr>(owner); };
    AnalogListClass() = [](TComtrade* recording, bool owns) {
        return std::make_unique<TAnalogList>(recording, owns);
    };
    CyfrListClass() = [](TComtrade* recording, bool owns) {
        return std::make_unique<TCyfrList>(recording, owns);
    };
    RateListClass() = [](TComtrade* recording) { return std::make_unique<TRateList>(recording); };
}

// ---- the recording ----

TComtrade::TComtrade() {
    auto& analogs = AnalogListClass();
    FAnalogList = analogs ? analogs(this, true) : std::make_unique<TAnalogList>(this, true);
    auto& status = CyfrListClass();
    FCyfrList = status ? status(this, true) : std::make_unique<TCyfrList>(this, true);
    auto& rates = RateListClass();
    FRateList = rates ? rates(this) : std::make_unique<TRateList>(this);
    Clear();
}

TComtrade::~TComtrade() = default;

void TComtrade::Clear() {
    FAnalogList->Clear();
    FCyfrList->Clear();
    FRateList->Clear();
    FFileParam.RevisionYear = 1997;
    FFileParam.LineFrequency = 50.0;
}

void TComtrade::SetDataFileFormat(uint8_t format) {
    if (format == FDataFileFormat) return;
    if (format > 1) throw Exception("Unknown DataFileFormat");
    FDataFileFormat = format;
}

void TComtrade::SetSampleCount(int64_t count) {
    FRateList->CheckSampleCount(count);
    for (TAnalogDescr* c : *FAnalogList) c->SetSampleCount(Count32(count));
    for (TCyfrDescr* c : *FCyfrList) c->SetSampleCount(Count32(count));
    FRateList->SetSampleCount(count);
}

void TComtrade::CollectChannels(bool visibleOnly, TAnalogList& analogs, TCyfrList& status) const {
    for (TAnalogDescr* c : *FAnalogList)
        if (!visibleOnly || c->Visible) analogs.Append(c);
    for (TCyfrDescr* c : *FCyfrList)
        if (!visibleOnly || c->Visible) status.Append(c);
}

}  // namespace dcomp
