// The device transfers of THalvo: Modbus transactions over the serial link or Modbus
// TCP, the reads and writes built on them, and the document's message log.
#include "app/device/Halvotransfer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/LinkSettings.h"
#include "app/device/TransferGuard.h"
#include "app/events/EventRecords.h"
#include "app/link/Mbusfun.h"
#include "app/link/Timeutil.h"
#include "platform/Cp1250.h"
#include "platform/FormatSettings.h"
#include "platform/UpdateScope.h"
#include "talvo.h"

namespace app {

namespace {

// The one-shot call may copy a PDU of up to 1,017 bytes.
constexpr std::size_t kTcpScratchSize = 1024;
// Results of a one-shot call that sent nothing: no connection, an argument refused.
constexpr int32_t kTalvoNotConnected = -8;
constexpr int32_t kTalvoArgumentRefused = -9;
constexpr int32_t kTcpReasonSize = 256;
constexpr int kEventsPageRegisters = kMaxFrameRegisters;
// Room for one more page behind the limit, which the reading may pass by one page.
constexpr std::size_t kEventsWorkSize = THalvo::kEventsReadLimit + 2 * kEventsPageRegisters;

platform::TDateTime Today() {
    return std::floor(platform::Now());
}

std::string Num(int64_t n) {
    return platform::IntToStr(n);
}

void WaitSilence() {
    WaitMs(CurrentLinkSettings().TimeSilence);
}

}  // namespace

void THalvoTransfer::BeginOperation() {
    FError = false;
    FCancel = false;
    FFailure = TTransferFailure::None;
}

void THalvoTransfer::Fail(TTransferFailure why) {
    FError = true;
    if (FFailure == TTransferFailure::None) FFailure = why;
}

void THalvoTransfer::Stop(TTransferFailure why) {
    switch (why) {
        case TTransferFailure::UnexpectedFunction:
            AddMessage("Wrong function code, cancel reading");
            break;
        case TTransferFailure::Incomplete:
            AddMessage("Wrong answer length, cancel reading");
            break;
        case TTransferFailure::UnknownDevice:
            AddMessage("Unknown device type, cancel reading");
            break;
        default:
            break;
    }
    Fail(why);
}

void THalvoTransfer::ExplainException() {
    if (FError && FFailure == TTransferFailure::Exception) AddMessage("Exception answer, cancel reading");
}

void THalvoTransfer::ClearFailure() {
    FError = false;
    FFailure = TTransferFailure::None;
}

std::span<const uint8_t> THalvoTransfer::AnswerData() const {
    const std::size_t head = 3 + (FAnswerHasCrc ? 2 : 0);
    if (FAnswerLength < head) return {};
    return {FAnswer.data() + 3, std::min<std::size_t>(FAnswer[2], FAnswerLength - head)};
}

void THalvoTransfer::Transact(std::span<const uint8_t> request, uint8_t device, bool trace) {
    FAnswerLength = 0;
    FRequestLeft = false;
    const bool firstFrame = std::exchange(FFirstFrame, false);
    // Too short for an address, a function and a CRC: nothing to send.
    if (request.size() < 4 || request.size() > kFrameSize) {
        FCancel = true;
        return;
    }
    const TLinkSettings link = CurrentLinkSettings();
    std::copy(request.begin(), request.end(), FRequest.begin());
    FRequestLength = request.size();
    FRequest[0] = device;
    AddCRC16(FRequest.data(), FRequestLength - 2);
    if (trace) {
        AddMessage("Send:");
        HexDump({FRequest.data(), FRequestLength});
    }

    bool tooLong = false;
    FAnswerHasCrc = !link.TALVOComm;
    if (link.TALVOComm) {
        std::array<uint8_t, kTcpScratchSize> pdu{};
        int32_t received = 0;
        const auto timeout = static_cast<int32_t>(
            std::clamp<int64_t>(2 * int64_t{link.TimeOut}, 0, std::numeric_limits<int32_t>::max()));
        if (UniversalTALVOSendAndWait(link.TALVOIP.c_str(), link.TALVOPort, device, FRequest.data() + 1,
                                      pdu.data(), timeout, static_cast<int32_t>(FRequestLength - 3),
                                      &received) &&
            received >= 0) {
            FRequestLeft = true;
            const auto n = static_cast<std::size_t>(received);
            if (n + 1 <= kFrameSize && n <= pdu.size()) {
                FAnswer[0] = device;
                std::memcpy(FAnswer.data() + 1, pdu.data(), n);
                FAnswerLength = n + 1;
            } else {
                tooLong = true;
            }
        } else if (TcpFailed(link.TALVOIP, link.TALVOPort)) {
            return;
        }
    } else {
        ISerialLink* serial = link.SerialLink;
        // Only before a command's first frame: a port pulled between frames ends the
        // command as a failure instead.
        if (serial && firstFrame) serial->CloseIfStale();
        // A port that hung up or never opened is opened again first, by its name.
        if (serial && !serial->Reopen()) return LinkFailed(*serial);
        if (serial) serial->DiscardInput();
        const std::size_t written = serial ? serial->WriteBuffer(FRequest.data(), FRequestLength) : 0;
        FRequestLeft = written > 0;
        if (serial && !serial->IsOpen()) return LinkFailed(*serial);
        if (written < FRequestLength) Fail(TTransferFailure::WriteFailed);
        WaitMs(link.TimeSilence);
        if (serial)
            FAnswerLength = std::min(serial->ReadBuffer(FAnswer.data(), kMaxAnswerBytes), kMaxAnswerBytes);
        if (serial && !serial->IsOpen()) return LinkFailed(*serial);
    }

    const TAnswerCheck check = CheckAnswer(device, FAnswer.data(), FAnswerLength, FAnswerHasCrc);
    if (check.TimeOut) {
        AddMessage("TimeOut, cancel reading");
        Fail(tooLong ? TTransferFailure::AnswerTooLong : TTransferFailure::TimeOut);
        return;
    }
    if (check.CrcError) {
        AddMessage("CRC error, cancel reading");
        Fail(TTransferFailure::CrcError);
        return;
    }
    if (trace) {
        AddMessage("Receive:");
        HexDump(Answer());
    }
    if (check.OtherAddress) {
        AddMessage("Answer of different address device, cancel reading");
        Fail(TTransferFailure::OtherAddress);
    }
    if (check.Exception) Fail(TTransferFailure::Exception);
}

bool THalvoTransfer::TcpFailed(const std::string& host, uint16_t port) {
    char reason[kTcpReasonSize + 1] = {};
    const int32_t code = UniversalTALVOLastError(reason, kTcpReasonSize);
    FRequestLeft = code != kTalvoNotConnected && code != kTalvoArgumentRefused;
    if (reason[0] == '\0') return false;
    AddMessage("Modbus TCP " + host + ":" + Num(port) + ": " + reason + ", cancel reading");
    Fail(TTransferFailure::LinkFailed);
    return true;
}

void THalvoTransfer::LinkFailed(const ISerialLink& serial) {
    const std::string why = serial.Failure();
    AddMessage((why.empty() ? std::string("Serial port closed") : why) + ", cancel reading");
    FAnswerLength = 0;
    Fail(TTransferFailure::LinkFailed);
}

// A command that holds the guard starts a transfer of its own: its first frame looks at
// the port first.
bool THalvo::BeginCommand(const TTransferGuard& guard) {
    if (guard.Held()) FTransfer.BeginTransfer();
    return guard.Held();
}

void THalvo::Transact(std::span<const uint8_t> request) {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return;
    DoTransact(request);
}

void THalvo::Identify() {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return;
    DoIdentify();
}

std::size_t THalvo::ReadRegisters(int start, std::span<uint8_t> destination, int count) {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return 0;
    return DoReadRegisters(start, destination, count);
}

void THalvo::ReadParset(int n) {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return;
    DoReadParset(n);
}

void THalvo::ReadEvents() {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return;
    DoReadEvents();
}

bool THalvo::WriteRegisters(int start, std::span<const uint8_t> source, int step, int count) {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return false;
    TWriteProgress progress;
    return DoWriteRegisters(start, source, step, count, progress);
}

void THalvo::WriteParset(int n, int m) {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return;
    DoWriteParset(n, m);
}

void THalvo::ReadFromHALVO() {
    TTransferGuard guard(*this);
    if (!BeginCommand(guard)) return;
    FTransfer.BeginOperation();
    FIsReading = true;
    auto finish = [&] {
        if (FTransfer.CancelFlag()) AddMessage("Reading canceled");
        FIsReading = false;
        Raise(OnCompleteAll);
    };
    try {
        Raise(OnBeginRead);
        DoIdentify();
        const TReadOptions options = GetReadOptions();
        if (!FTransfer.Stopped() && options.ReadParset1) DoReadParset(1);
        if (!FTransfer.Stopped() && options.ReadParset2) DoReadParset(2);
        if (!FTransfer.Stopped() && options.ReadEvents) DoReadEvents();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void THalvo::DoTransact(std::span<const uint8_t> request) {
    FTransfer.Transact(request, GetReadOptions().DeviceNumber, TraceMessages);
}

void THalvo::DoIdentify() {
    FTransfer.BeginOperation();
    AddMessage("Identification of device:");
    const std::size_t progress = FTransfer.LastLineMark();
    DoTransact(BuildIdentRequest(GetReadOptions().DeviceNumber));
    if (FTransfer.Stopped() || FTransfer.Answer().empty()) {
        FTransfer.ExplainException();
        return;
    }
    if (FTransfer.AnswerFunction() != kFnReadHolding) {
        FTransfer.Stop(TTransferFailure::UnexpectedFunction);
        return;
    }
    const std::span<const uint8_t> data = FTransfer.AnswerData();
    const auto* chars = reinterpret_cast<const char*>(data.data());
    const std::string text(chars, std::find(chars, chars + data.size(), '\0'));
    SetUnitVersion(platform::Cp1250ToUtf8(text));
    if (!TraceMessages) FTransfer.RemoveLine(progress);
    const char kind = text.size() >= 2 ? text[1] : '\0';
    if (kind == '2') {
        AddMessage("Identification of device:VESK-2");
        SetDeviceType(1);
    } else if (kind == '3') {
        AddMessage("Identification of device:VESK-3");
        SetDeviceType(2);
    } else {
        AddMessage("Identification of device:?");
        // Without definitions there is no register map: nothing could be read.
        if (!Defs().Loaded()) FTransfer.Stop(TTransferFailure::UnknownDevice);
    }
}

std::size_t THalvo::DoReadRegisters(int start, std::span<uint8_t> destination, int count) {
    std::size_t stored = 0;
    std::size_t offset = 0;
    while (count > 0 && !FTransfer.Stopped()) {
        const int n = std::min(count, kMaxFrameRegisters);
        DoTransact(BuildReadRequest(GetReadOptions().DeviceNumber, start, n));
        if (FTransfer.Stopped()) break;
        if (FTransfer.AnswerFunction() != kFnReadHolding) {
            FTransfer.Stop(TTransferFailure::UnexpectedFunction);
            break;
        }
        // A device's byte count is not trusted beyond the frame asked for and the
        // bytes that came.
        const std::span<const uint8_t> data = FTransfer.AnswerData();
        const std::size_t room = offset < destination.size() ? destination.size() - offset : 0;
        const std::size_t take = std::min({data.size(), static_cast<std::size_t>(2 * n), room});
        std::copy_n(data.begin(), take, destination.begin() + static_cast<std::ptrdiff_t>(offset));
        stored += take;
        count -= n;
        start += n;
        offset += static_cast<std::size_t>(2 * n);
        WaitSilence();
    }
    return stored;
}

void THalvo::DoReadParset(int n) {
    if (n != 1 && n != 2) return;
    if (FTransfer.CancelFlag()) {
        AddMessage("Reading of parset " + Num(n) + ": Reading canceled");
        return;
    }
    // A pending cancel stops the set (above); an earlier operation's failure does not.
    FTransfer.ClearFailure();
    AddMessage("Read parset " + Num(n));
    const std::size_t progress = FTransfer.LastLineMark();
    const int registers = std::clamp<int32_t>(Defs().ZnsSize, 0, kMaxParsetRegisters);
    const auto bytes = static_cast<std::size_t>(2 * registers);
    std::array<uint8_t, kParsetCapacity> scratch{};
    const std::size_t stored = DoReadRegisters(Defs().ParsetAddress(n), scratch, registers);
    if (FTransfer.Stopped()) {
        FTransfer.ExplainException();
        return;
    }
    if (stored < bytes) {
        FTransfer.Stop(TTransferFailure::Incomplete);
        return;
    }
    std::copy_n(scratch.begin(), bytes, n == 1 ? Parset1Data() : Parset2Data());
    FModified = true;
    if (n == 1) {
        SetParset1Length(static_cast<uint16_t>(bytes));
    } else {
        SetParset2Length(static_cast<uint16_t>(bytes));
    }
    if (!TraceMessages) FTransfer.RemoveLine(progress);
    AddMessage("Read parset " + Num(n) + " :OK");
    if (n == 1) {
        SetParset1ReadDate(Today());
        Raise(OnCompleteZestawNastaw1);
    } else {
        SetParset2ReadDate(Today());
        Raise(OnCompleteZestawNastaw2);
    }
}

bool THalvo::EventsComplete(std::span<const uint8_t> buffer, const TEventTable& table) {
    TEventWalker walker(buffer, buffer.size(), table);
    while (walker.Next()) {
    }
    // An end mark counts only when bytes follow it: the device may not have written
    // the page after it yet.
    switch (walker.End()) {
        case TEventWalkEnd::UndefinedCode:
            return true;
        case TEventWalkEnd::EndMark:
            return walker.Offset() + table[buffer[walker.Offset()]].Length < walker.DataLength();
        default:
            return false;
    }
}

void THalvo::DoReadEvents() {
    FTransfer.BeginOperation();
    FIsReading = true;
    const std::string title = "Event register reading: ";
    AddMessage(title);
    std::size_t progress = FTransfer.LastLineMark();
    std::vector<uint8_t> work(kEventsWorkSize);
    std::size_t total = 0;
    std::size_t logged = 0;
    // What the image keeps of what arrived, and what the log says of it.
    auto keep = [&] { return std::min(total, kEventsReadLimit); };
    auto logTotal = [&] {
        if (!TraceMessages) FTransfer.RemoveLine(progress);
        AddMessage(title + Num(static_cast<int64_t>(keep())) + " bytes");
        progress = FTransfer.LastLineMark();
        logged = keep();
    };

    auto finish = [&] {
        if (total > 0) {
            // A page that arrived whole is kept, even when Cancel came during the wait after it.
            if (logged != keep()) logTotal();
            std::copy_n(work.begin(), keep(), EventsBuffer());
            SetEventsLength(static_cast<uint16_t>(keep()));
            SetEventsReadDate(Today());
            FModified = true;
        }
        FIsReading = false;
        Raise(OnEvRegCompleted);
    };
    try {
        const bool showAll = GetReadOptions().ShowAllEvents != 0;
        int page = Defs().EvBufFirstReg;
        bool complete = false;
        do {
            total += DoReadRegisters(page, std::span(work).subspan(total), kEventsPageRegisters);
            if (FTransfer.Stopped()) break;
            logTotal();
            ++page;
            complete =
                (showAll && EventsComplete({work.data(), total}, EventTable())) || total > kEventsReadLimit;
            WaitSilence();
        } while (!FTransfer.Stopped() && !complete && page <= Defs().EvBufLastReg);
        // The device ends its register with an exception answer.
        if (FTransfer.LastFailure() == TTransferFailure::Exception && total > 0) FTransfer.ClearFailure();
        FTransfer.ExplainException();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

bool THalvo::DoWriteRegisters(int start, std::span<const uint8_t> source, int step, int count,
                              TWriteProgress& progress) {
    progress = {};
    count = std::min(count, static_cast<int>(source.size() / 2));
    std::size_t offset = 0;
    // Only a failure ends a write early, never a cancel.
    while (count > 0 && !FTransfer.ErrorFlag()) {
        const int n = std::min({step <= 0 ? count : step, kMaxFrameRegisters, count});
        const std::vector<uint8_t> request = BuildWriteRequest(
            GetReadOptions().DeviceNumber, start, source.subspan(offset, static_cast<std::size_t>(2 * n)));
        count -= n;
        start += n;
        offset += static_cast<std::size_t>(2 * n);
        // Until the device's answer says otherwise, also when the link throws.
        progress.InDoubt = n;
        DoTransact(request);
        if (FTransfer.MessageLog()) FTransfer.MessageLog()->TypeKey('.');
        if (FTransfer.ErrorFlag()) {
            // Refused by the device, or never sent: the frame is not in the device.
            if (!FTransfer.RequestLeft() || FTransfer.LastFailure() == TTransferFailure::Exception)
                progress.InDoubt = 0;
            return false;
        }
        if (FTransfer.AnswerFunction() != kFnWriteMultiple) {
            FTransfer.Fail(TTransferFailure::UnexpectedFunction);
            return false;
        }
        progress.Confirmed += n;
        progress.InDoubt = 0;
        WaitSilence();
    }
    return count <= 0;
}

void THalvo::DoWriteParset(int n, int m) {
    if (n != 1 && n != 2) return;
    FTransfer.BeginOperation();
    std::string title = "Save of parset" + Num(n);
    if (m != n) title += " do " + Num(m);
    const uint16_t length = n == 1 ? GetParset1Length() : GetParset2Length();
    if (length == 0) {
        AddMessage(title + ": Parset " + Num(n) + " is empty - command aborted");
        return;
    }
    AddMessage(title);
    const std::size_t titleLine = FTransfer.LastLineMark();
    TWriteProgress progress;
    const int registers = length / 2;
    // What the device's set holds now, when the write stopped part-way; a frame whose
    // answer was lost or spoilt may have been stored.
    auto tellDeviceSet = [&] {
        const std::string set = "Device parset " + Num(m);
        const std::string of = " of " + Num(registers) + " registers";
        const std::string again = ", the parset must be written again";
        const int k = progress.Confirmed;
        const int l = progress.InDoubt;
        if (k == 0 && l == 0) {
            AddMessage(set + " unchanged");
        } else if (l == 0) {
            AddMessage(set + ": " + Num(k) + of + " hold the new values" + again);
        } else if (k == 0) {
            AddMessage(set + ": the first " + Num(l) + of + " may hold the new values" + again);
        } else {
            AddMessage(set + ": " + Num(k) + of + " hold the new values and the next " + Num(l) + " may" +
                       again);
        }
    };
    bool written = false;
    try {
        written = DoWriteRegisters(Defs().ParsetAddress(m), {n == 1 ? Parset1Data() : Parset2Data(), length},
                                   Defs().ZnsSendStep, registers, progress);
    } catch (...) {
        tellDeviceSet();
        throw;
    }
    if (!TraceMessages) FTransfer.RemoveLine(titleLine);
    AddMessage(title + (written ? ": OK" : ": Settings rejected by device"));
    if (!written) tellDeviceSet();
}

void THalvoTransfer::AddMessage(const std::string& text) {
    if (!FMessageLog) return;
    AddLogLine(*FMessageLog, text);
    ++FLinesAdded;
}

void THalvoTransfer::RemoveLastMessage() {
    if (!FMessageLog || FMessageLog->Count() == 0) return;
    FMessageLog->Delete(FMessageLog->Count() - 1);
    if (FLinesAdded > 0) --FLinesAdded;
}

void THalvoTransfer::HexDump(std::span<const uint8_t> bytes) {
    if (!FMessageLog) return;
    platform::TUpdateScope update(*FMessageLog);
    for (const std::string& line : HexDumpLines(bytes)) AddMessage(line);
}

void THalvoTransfer::RemoveLine(std::size_t mark) {
    if (!FMessageLog || mark == 0 || mark > FLinesAdded) return;
    // Lines go only at the end and leave only from the front, so the line keeps its
    // distance from the end.
    const std::size_t after = FLinesAdded - mark;
    const int index = FMessageLog->Count() - 1 - static_cast<int>(after);
    if (index < 0) return;
    FMessageLog->Delete(index);
}

}  // namespace app
