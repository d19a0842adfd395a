// Seeded random device answers: each frame's answer is noise or a mutated valid answer,
// on odd register maps. Whatever the device says, the image and the guard stay sound.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/TransferGuard.h"
#include "platform/Bytes.h"
#include "tests/app/device/ScriptedDevice.h"

namespace app {
namespace {

using test::Bytes;
using test::TScriptedDevice;

constexpr std::size_t kRequestLimit = 5000;

class TRandom {
public:
    explicit TRandom(uint32_t seed) : FGen(seed) {}
    // Below n, taken from the raw generator so that every library gives the same run.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(FGen() % n); }
    uint8_t Byte() { return static_cast<uint8_t>(FGen()); }
    bool Percent(uint32_t p) { return Below(100) < p; }
    Bytes Noise(std::size_t n) {
        Bytes b(n);
        for (uint8_t& x : b) x = Byte();
        return b;
    }

private:
    std::mt19937 FGen;
};

enum class TMutation {
    Keep,
    Noise,            // random bytes of random length
    Silence,          // no answer
    CountUp,          // byte count above the data, CRC recomputed
    CountDown,        // byte count below the data, CRC recomputed
    Function,         // another function, CRC recomputed
    ExceptionBit,     // the function's bit 7 set, CRC recomputed
    Address,          // another device's address, CRC recomputed
    Body,             // one byte changed, CRC recomputed
    Truncated,        // cut short, CRC spoilt
    TruncatedWithCrc  // cut short, CRC recomputed
};
constexpr uint32_t kMutations = 11;

Bytes Mutated(TRandom& r, TMutation m, Bytes a) {
    if (m == TMutation::Noise) return r.Noise(r.Below(301));
    if (m == TMutation::Silence) return {};
    if (a.size() < 4) return a;
    Bytes body(a.begin(), a.end() - 2);
    switch (m) {
        case TMutation::Keep:
            return a;
        case TMutation::CountUp:
            body[2] = static_cast<uint8_t>(body[2] + 1 + r.Below(255 - std::min<uint32_t>(body[2], 254)));
            break;
        case TMutation::CountDown:
            if (body[2] > 0) body[2] = static_cast<uint8_t>(r.Below(body[2]));
            break;
        case TMutation::Function:
            body[1] = static_cast<uint8_t>((body[1] + 1 + r.Below(126)) & 0x7F);
            break;
        case TMutation::ExceptionBit:
            body[1] |= 0x80;
            break;
        case TMutation::Address:
            body[0] = static_cast<uint8_t>(body[0] + 1 + r.Below(255));
            break;
        case TMutation::Body: {
            const std::size_t at = r.Below(static_cast<uint32_t>(body.size()));
            body[at] = static_cast<uint8_t>(body[at] ^ (1 + r.Below(255)));
            break;
        }
        case TMutation::Truncated:
            a.resize(r.Below(static_cast<uint32_t>(a.size())));
            return a;
        case TMutation::TruncatedWithCrc:
            body.resize(r.Below(static_cast<uint32_t>(body.size())));
            break;
        default:
            break;
    }
    return TScriptedDevice::WithCrc(body);
}

// The image as raw bytes, to compare what an operation may not touch.
Bytes Image(const THalvo& h) {
    return Bytes(h.Image().begin(), h.Image().end());
}
uint16_t Raw16(const Bytes& image, std::size_t offset) {
    return platform::GetLe16(image.data() + offset);
}

struct TRange {
    std::size_t from, to;
};

// The maps the cases draw from, as GLOBAL keys of a ".set" file, each with the register
// fields the device keeps its events in.
struct TMap {
    std::string globals;
    int eventsFirstField = 4000;
    int eventsLastField = 4031;
};
const std::vector<TMap>& Maps() {
    static const std::vector<TMap> maps{
        {""},
        {"ZNS_SIZE=0\n"},
        {"ZNS_SIZE=1\n"},
        {"ZNS_SIZE=256\n"},
        {"ZNS_SIZE=300\n"},
        {"ZNS_SIZE=-5\n"},
        {"ZNS_SIZE=200\n"},
        {"EV_BUF_FIRST_REG=4010\nEV_BUF_LAST_REG=4003\n", 4002, 4009},
        {"EV_BUF_FIRST_REG=1\nEV_BUF_LAST_REG=100\n", 0, 99},
        // Registers past the protocol's last one: the reading throws part of the way.
        {"ZNS_SIZE=200\nZNS1_ADRES=65400\nZNS2_ADRES=0\nEV_BUF_FIRST_REG=65410\nEV_BUF_LAST_REG=65535\n",
         65409, 65535},
    };
    return maps;
}
constexpr int kSendSteps[] = {-5, 0, 1, 125, 300, 50};

enum class TRoad { Serial, Tcp };

// A Modbus TCP answer frame for request q; the length field counts the unit and the PDU.
Bytes TcpFrame(const Bytes& q, std::size_t lengthField, const Bytes& pdu) {
    Bytes a{q[0], q[1], 0, 0, static_cast<uint8_t>(lengthField >> 8), static_cast<uint8_t>(lengthField),
            q[6]};
    a.insert(a.end(), pdu.begin(), pdu.end());
    return a;
}

// Whether the client takes frame a, sent for request q, as an accepted write.
bool TcpWriteAccepted(const Bytes& q, const Bytes& a) {
    if (a.size() < 7 || a[0] != q[0] || a[1] != q[1]) return false;
    const std::size_t length = a[4] << 8 | a[5];
    return length >= 3 && length <= 300 && a.size() >= 6 + length && a[7] == kFnWriteMultiple;
}

class RandomAnswersTest : public test::TTransferTest {
protected:
    // One case: a fresh image and device drawn from the seed, one operation, the checks.
    void RunCase(uint32_t seed, TRoad road);
    // The cases of seeds first..last, up to the first that fails.
    void RunCases(uint32_t first, uint32_t last, TRoad road) {
        for (uint32_t seed = first; seed <= last; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed));
            log = {};
            RunCase(seed, road);
            if (HasFailure()) break;
        }
    }
};

void RandomAnswersTest::RunCase(uint32_t seed, TRoad road) {
    TRandom r(seed);
    const TMap& map = Maps()[r.Below(static_cast<uint32_t>(Maps().size()))];
    const bool writing = r.Percent(30);
    std::string globals = map.globals;
    if (writing || r.Percent(20))
        globals += "ZNS_SEND_STEP=" + std::to_string(kSendSteps[r.Below(std::size(kSendSteps))]) + "\n";
    // A changed identification may switch the type: both types share the map.
    dir.Write("Vesk3.set", "[GLOBAL]\n" + globals);
    dir.Write("Vesk2.set", "[GLOBAL]\n" + globals);

    device = TScriptedDevice{};
    device.EventsFirstField = map.eventsFirstField;
    device.EventsLastField = map.eventsLastField;
    for (uint16_t& w : device.Registers) w = static_cast<uint16_t>(r.Below(0x10000));
    const int pages = map.eventsLastField - map.eventsFirstField + 1;
    device.Events = r.Noise(r.Below(static_cast<uint32_t>(250 * pages + 100)));
    const Bytes ident = r.Noise(14);
    device.Identification =
        std::string(r.Percent(20) ? "V2" : "V3") + std::string(ident.begin(), ident.end());
    const uint32_t rate = std::vector<uint32_t>{2, 10, 30, 100}[r.Below(4)];
    // Now and then the user cancels as well.
    const int cancelAt = r.Percent(15) ? static_cast<int>(1 + r.Below(40)) : 0;
    bool runaway = false;
    bool writesAccepted = true;  // every write answer as a write's acceptance looks
    device.Mutate = [&](const Bytes& request, Bytes answer) {
        if (device.Requests.size() > kRequestLimit) {
            runaway = true;
            return Bytes{};
        }
        const auto m =
            r.Percent(rate) ? static_cast<TMutation>(1 + r.Below(kMutations - 1)) : TMutation::Keep;
        answer = Mutated(r, m, std::move(answer));
        if (road == TRoad::Serial && request[1] == kFnWriteMultiple &&
            !(answer.size() >= 4 && CheckCRC16(answer.data(), answer.size()) && answer[0] == device.Address &&
              answer[1] == kFnWriteMultiple))
            writesAccepted = false;
        return answer;
    };
    // On the TCP road the device's answer loses its address and CRC, and the frame
    // around it may be spoilt as well.
    std::unique_ptr<test::TRawTcpPeer> peer;
    const TLinkSettings serial = settings.Settings;
    if (road == TRoad::Tcp) {
        peer = std::make_unique<test::TRawTcpPeer>([&](const Bytes& q) {
            Bytes rtu{q[6]};
            rtu.insert(rtu.end(), q.begin() + 7, q.end());
            rtu = TScriptedDevice::WithCrc(rtu);
            device.WriteBuffer(rtu.data(), rtu.size());
            Bytes answer(300);
            answer.resize(device.ReadBuffer(answer.data(), answer.size()));
            Bytes pdu = answer.size() >= 4 ? Bytes(answer.begin() + 1, answer.end() - 2) : Bytes{};
            Bytes frame = TcpFrame(q, pdu.size() + 1, pdu);
            if (pdu.empty()) {
                frame.clear();
            } else if (r.Percent(rate)) {
                switch (r.Below(4)) {
                    case 0:  // a length field of its own
                        frame = TcpFrame(q, r.Below(1100), pdu);
                        break;
                    case 1:  // another transaction
                        frame[r.Below(2)] ^= static_cast<uint8_t>(1 + r.Below(255));
                        break;
                    case 2:  // a PDU of noise, up to more than the client reads
                        pdu = r.Noise(r.Below(1100));
                        frame = TcpFrame(q, pdu.size() + 1, pdu);
                        break;
                    default:  // the header alone
                        frame.resize(7);
                        break;
                }
            }
            if (q.size() > 7 && q[7] == kFnWriteMultiple && !TcpWriteAccepted(q, frame))
                writesAccepted = false;
            return frame;
        });
        settings.Settings = TLinkSettings{
            .TALVOComm = true, .TALVOIP = "127.0.0.1", .TALVOPort = peer->Port(), .TimeOut = 200};
    }

    THalvo image;
    image.SetDataDirectory(dir.Path());
    image.SetDeviceType(2);
    image.SetMessageMemo(&log);
    image.TraceMessages = r.Percent(30);
    int begun = 0, set1 = 0, set2 = 0, evReg = 0, all = 0;
    bool readingAtAll = true;
    image.OnBeginRead = [&] { ++begun; };
    image.OnCompleteZestawNastaw1 = [&] { ++set1; };
    image.OnCompleteZestawNastaw2 = [&] { ++set2; };
    image.OnEvRegCompleted = [&] { ++evReg; };
    image.OnCompleteAll = [&] {
        ++all;
        readingAtAll = image.IsReading();
    };

    const Bytes p1 = r.Noise(THalvo::kParsetCapacity), p2 = r.Noise(THalvo::kParsetCapacity);
    std::copy(p1.begin(), p1.end(), image.Parset1Data());
    std::copy(p2.begin(), p2.end(), image.Parset2Data());
    const Bytes ev = r.Noise(THalvo::kEventsCapacity);
    std::copy(ev.begin(), ev.end(), image.EventsBuffer());
    image.SetParset1Length(static_cast<uint16_t>(r.Below(THalvo::kParsetCapacity + 1)));
    image.SetParset2Length(static_cast<uint16_t>(r.Below(THalvo::kParsetCapacity + 1)));
    image.SetEventsLength(static_cast<uint16_t>(r.Below(THalvo::kEventsCapacity + 1)));
    image.SetParset1ReadDate(111.0);
    image.SetParset2ReadDate(222.0);
    image.SetEventsReadDate(333.0);
    TReadOptions o = image.GetReadOptions();
    o.ReadParset1 = static_cast<uint8_t>(r.Percent(80));
    o.ReadParset2 = static_cast<uint8_t>(r.Percent(80));
    o.ReadEvents = static_cast<uint8_t>(r.Percent(80));
    o.ShowAllEvents = static_cast<uint8_t>(r.Percent(50));
    image.SetReadOptions(o);

    waiter.OnWait = [&](int number, uint32_t) {
        if (number == cancelAt) image.CancelReading();
    };
    const Bytes before = Image(image);
    const std::vector<uint16_t> registersBefore = device.Registers;
    const int from = static_cast<int>(1 + r.Below(2)), to = static_cast<int>(1 + r.Below(2));
    std::vector<TRange> writable;
    // Exceptions pass to the caller by design; what they leave behind is checked below.
    auto run = [](auto operation) {
        try {
            operation();
        } catch (const platform::Exception&) {
        }
    };
    if (writing) {
        run([&] { image.WriteParset(from, to); });
    } else {
        writable = {{THalvo::kTypeMarkerOffset, THalvo::kTypeEndOffset + 1},
                    {THalvo::kIdentificationOffset, THalvo::kIdentificationOffset + THalvo::kTextAreaSize}};
        if (o.ReadParset1)
            writable.insert(writable.end(),
                            {{THalvo::kParset1ReadDateOffset, THalvo::kParset1ReadDateOffset + 8},
                             {THalvo::kParset1LengthOffset, THalvo::kParset1Offset + 512}});
        if (o.ReadParset2)
            writable.insert(writable.end(),
                            {{THalvo::kParset2ReadDateOffset, THalvo::kParset2ReadDateOffset + 8},
                             {THalvo::kParset2LengthOffset, THalvo::kParset2Offset + 512}});
        if (o.ReadEvents)
            writable.insert(
                writable.end(),
                {{THalvo::kEventsReadDateOffset, THalvo::kEventsReadDateOffset + 8},
                 {THalvo::kEventsLengthOffset, THalvo::kEventsOffset + THalvo::kEventsReadLimit}});
        run([&] { image.ReadFromHALVO(); });
    }
    const Bytes after = Image(image);
    waiter.OnWait = nullptr;
    waiter.Waits.clear();
    peer.reset();
    settings.Settings = serial;

    EXPECT_FALSE(runaway);
    EXPECT_FALSE(TTransferGuard::Busy());
    EXPECT_FALSE(image.IsReading());
    EXPECT_EQ(log.UpdateDepth, 0);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool mayWrite =
            std::any_of(writable.begin(), writable.end(), [i](TRange w) { return i >= w.from && i < w.to; });
        if (!mayWrite && after[i] != before[i]) {
            ADD_FAILURE() << "image byte " << i << " changed";
            break;
        }
    }
    EXPECT_LE(Raw16(after, THalvo::kEventsLengthOffset), THalvo::kEventsCapacity);
    EXPECT_LE(Raw16(after, THalvo::kParset1LengthOffset), THalvo::kParsetCapacity);
    EXPECT_LE(Raw16(after, THalvo::kParset2LengthOffset), THalvo::kParsetCapacity);

    if (writing) {
        const uint16_t length = from == 1 ? Raw16(before, THalvo::kParset1LengthOffset)
                                          : Raw16(before, THalvo::kParset2LengthOffset);
        const std::size_t words = length / 2;
        const std::size_t field = image.Defs().ParsetAddress(to) - 1u;
        for (std::size_t i = 0; i < device.Registers.size(); ++i)
            if ((i < field || i >= field + words) && device.Registers[i] != registersBefore[i]) {
                ADD_FAILURE() << "register field " << i << " written";
                break;
            }
        for (const Bytes& q : device.Requests) {
            ASSERT_GE(q.size(), 9u);
            EXPECT_EQ(q[1], kFnWriteMultiple);
            EXPECT_LE(q[4] << 8 | q[5], kMaxFrameRegisters);
        }
        if (length > 0 && log.Lines.back().ends_with(": OK")) {
            EXPECT_TRUE(writesAccepted) << "a write reported as accepted that the device refused";
            const Bytes& set = from == 1 ? p1 : p2;
            EXPECT_EQ(device.Words(static_cast<int>(field), static_cast<int>(words)),
                      Bytes(set.begin(), set.begin() + static_cast<std::ptrdiff_t>(2 * words)));
        }
        return;
    }

    EXPECT_EQ(begun, 1);
    EXPECT_EQ(all, 1);
    EXPECT_FALSE(readingAtAll);
    // A set that was not read whole keeps its bytes, length and date.
    const std::size_t setBytes = 2 * static_cast<std::size_t>(std::clamp(image.Defs().ZnsSize, 0, 256));
    struct TSet {
        int raised;
        std::size_t lengthOffset, offset, dateOffset;
        double date;
    };
    for (const TSet& s : {TSet{set1, THalvo::kParset1LengthOffset, THalvo::kParset1Offset,
                               THalvo::kParset1ReadDateOffset, 111.0},
                          TSet{set2, THalvo::kParset2LengthOffset, THalvo::kParset2Offset,
                               THalvo::kParset2ReadDateOffset, 222.0}}) {
        EXPECT_LE(s.raised, 1);
        const double date = platform::GetLeDouble(after.data() + s.dateOffset);
        if (s.raised == 1) {
            EXPECT_EQ(Raw16(after, s.lengthOffset), setBytes);
            EXPECT_EQ(date, test::Today());
        } else {
            EXPECT_TRUE(std::equal(after.begin() + static_cast<std::ptrdiff_t>(s.lengthOffset),
                                   after.begin() + static_cast<std::ptrdiff_t>(s.offset + 512),
                                   before.begin() + static_cast<std::ptrdiff_t>(s.lengthOffset)))
                << "a set that failed lost its bytes";
            EXPECT_EQ(date, s.date);
        }
    }
    // Events: either untouched, or a new length and nothing written behind it.
    EXPECT_LE(evReg, 1);
    const double evDate = platform::GetLeDouble(after.data() + THalvo::kEventsReadDateOffset);
    const uint16_t evLength = Raw16(after, THalvo::kEventsLengthOffset);
    if (evDate == 333.0) {
        EXPECT_TRUE(std::equal(after.begin() + THalvo::kEventsLengthOffset,
                               after.begin() + THalvo::kEventsOffset + THalvo::kEventsCapacity,
                               before.begin() + THalvo::kEventsLengthOffset));
    } else {
        EXPECT_EQ(evReg, 1);
        EXPECT_EQ(evDate, test::Today());
        EXPECT_GE(evLength, 1);
        EXPECT_LE(evLength, THalvo::kEventsReadLimit);
        EXPECT_TRUE(std::equal(after.begin() + THalvo::kEventsOffset + evLength,
                               after.begin() + THalvo::kEventsOffset + THalvo::kEventsCapacity,
                               before.begin() + THalvo::kEventsOffset + evLength))
            << "bytes behind the events read were written";
    }
}

TEST_F(RandomAnswersTest, NoAnswerOfTheDeviceBreaksTheImageOrTheGuard) {
    RunCases(1, 300, TRoad::Serial);
}

TEST_F(RandomAnswersTest, NoAnswerOnTheTcpRoadBreaksTheImageOrTheGuard) {
    RunCases(1001, 1040, TRoad::Tcp);
}

}  // namespace
}  // namespace app
