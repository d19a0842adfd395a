// Makes the sample document from the Vesk simulator:
//
//   make_sample inputs DIR
//       writes the simulator's inputs: DIR/events.bin (a Vesk-3 events buffer, newest
//       record first), DIR/parset1.bin and DIR/parset2.bin (register words, high byte
//       first, laid out as Vesk3.set describes them) and DIR/ident.txt;
//   make_sample read PORT DATADIR OUT
//       reads identification, both parameter sets and the events register from the
//       simulator at 127.0.0.1:PORT over Modbus TCP and saves the document as OUT.
#include <cstdint>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/Interp.h"
#include "app/device/LinkSettings.h"
#include "app/device/MessageLog.h"
#include "platform/Bytes.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "tests/app/lister/EventRecordBuilders.h"

namespace {

using app::test::Bytes;
using app::test::Clock;
using app::test::Ev;
using app::test::Join;

constexpr const char* kIdent = "V3-SAMPLE-2006-1";  // the second character makes it a Vesk-3
constexpr std::size_t kParsetWords = 119;

// Two Normal sequences and a Restart between them, each opened by its clock time.
Bytes SampleEvents() {
    const Bytes startState{0x0F, 0x0F, 0x4F, 0x00, 0x03, 0x01, 0x00, 0x00, 0x0C, 0x08, 0x04, 0x00, 0x05};
    const Bytes endState{0x0F, 0x0F, 0x4F, 0x00, 0x03, 0x01, 0x00, 0x00, 0x0C, 0x08, 0x04, 0x00, 0x01};
    const Bytes restartState{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x08, 0, 0};
    return Join({
        Ev(0xFB, 3, endState),
        Ev(0x24, 120),
        Ev(0xF6, 80, {0x01, 0x00, 0x03, 0x40, 0x07, 0x0F}),
        Ev(0xFB, 2, startState),
        Clock(45, 13, 16, 3, 6),
        Ev(0x05, 4),
        Ev(0xFB, 0, restartState),
        Ev(0xF5, 0, {0x00, 0x03}),
        Clock(0, 8, 15, 3, 6),
        Ev(0xFB, 2, endState),
        Ev(0xFD, 0, {3, 30, 0, 11, 14, 3, 6}),
        Ev(0xF6, 200, {0x01, 0x00, 0x03, 0x40, 0x07, 0x0F}),
        Ev(0x24, 400),
        Ev(0xFB, 2, startState),
        Clock(22, 10, 14, 3, 6),
        Ev(0x00, 1),
        {0xF0, 0x7F, 0x02, 0x02},
    });
}

// (register number within the set, word) for every setting of Vesk3.set.
Bytes Parset(const std::string& ratedVoltage, std::vector<std::pair<int, uint16_t>> words) {
    uint16_t voltage = 0;
    app::TextToVoltageCode(ratedVoltage, voltage);
    words.emplace_back(1, voltage);
    Bytes set(2 * kParsetWords, 0);
    for (const auto& [reg, word] : words) platform::PutBe(&set[2 * (reg - 1)], word);
    return set;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    if (platform::WriteFileAtomic(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}))
        return true;
    std::cerr << "make_sample: cannot write " << path << "\n";
    return false;
}

int WriteInputs(const std::string& dir) {
    // Voltages in 0.1 %, delays in 0.01 s / 0.1 s / ms, switches Y (1) or N (0), masks.
    const Bytes parset1 =
        Parset("230V", {{2, 900}, {3, 700},     {4, 800},     {5, 500},    {17, 150},    {18, 100},
                        {19, 80}, {20, 60},     {21, 70},     {22, 50},    {33, 1},      {34, 1},
                        {35, 0},  {36, 1},      {37, 0},      {38, 12},    {49, 0x00F3}, {50, 0x0031},
                        {51, 25}, {65, 0x00FF}, {66, 0x003F}, {67, 0x0102}});
    const Bytes parset2 =
        Parset("15k", {{2, 920}, {3, 650},     {4, 750},     {5, 400},    {17, 250},    {18, 300},
                       {19, 90}, {20, 65},     {21, 75},     {22, 100},   {33, 1},      {34, 0},
                       {35, 1},  {36, 0},      {37, 1},      {38, 3},     {49, 0x0000}, {50, 0x0000},
                       {51, 0},  {65, 0x00F0}, {66, 0x001F}, {67, 0x0000}});
    const std::string ident(kIdent);
    return WriteFile(dir + "/events.bin", SampleEvents()) && WriteFile(dir + "/parset1.bin", parset1) &&
                   WriteFile(dir + "/parset2.bin", parset2) &&
                   WriteFile(dir + "/ident.txt", Bytes(ident.begin(), ident.end()))
               ? 0
               : 1;
}

class TPrintedLog : public app::IMessageLog {
public:
    int Count() const override { return static_cast<int>(Lines.size()); }
    void Add(const std::string& line) override { Lines.push_back(line); }
    void Delete(int index) override { Lines.erase(Lines.begin() + index); }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void TypeKey(char) override {}

    std::vector<std::string> Lines;
};

class TTcpSettings : public app::ILinkSettingsProvider {
public:
    explicit TTcpSettings(uint16_t port) : FPort(port) {}
    app::TLinkSettings LinkSettings() override {
        app::TLinkSettings s;
        s.TALVOComm = true;
        s.TALVOIP = "127.0.0.1";
        s.TALVOPort = FPort;
        s.TimeOut = 2000;
        s.TimeSilence = 5;
        return s;
    }

private:
    uint16_t FPort;
};

int Read(const std::string& portText, const std::string& dataDir, const std::string& out) {
    int64_t port = 0;
    if (!platform::TryStrToInt(portText, port) || port < 1 || port > 65535) {
        std::cerr << "make_sample: bad port " << portText << "\n";
        return 2;
    }
    TTcpSettings settings(static_cast<uint16_t>(port));
    app::TLinkSettingsScope scope(settings);
    TPrintedLog log;
    app::THalvo halvo;
    halvo.SetDataDirectory(dataDir);
    halvo.TraceMessages = false;
    halvo.SetMessageMemo(&log);
    halvo.ReadFromHALVO();
    for (const std::string& line : log.Lines) std::cout << line << "\n";
    if (halvo.ErrorFlag() || halvo.CancelFlag() || halvo.DeviceType() != 2 || halvo.GetEventsLength() == 0) {
        std::cerr << "make_sample: the reading failed\n";
        return 1;
    }
    return halvo.SaveToFile(out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "inputs") return WriteInputs(args[1]);
    if (args.size() == 4 && args[0] == "read") return Read(args[1], args[2], args[3]);
    std::cerr << "usage: make_sample inputs DIR | make_sample read PORT DATADIR OUT\n";
    return 2;
}
