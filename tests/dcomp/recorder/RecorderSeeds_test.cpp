// Writes the seed corpora of the recorder fuzz targets from the test writers:
// HALVO_RECORDER_SEEDS=<tests/fuzz/corpus> runs it; otherwise it is skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/dcomp/recorder/RecorderWriters.h"

namespace {

using namespace reader_test;
namespace L = reader_test::lumo;

void Put(const std::string& dir, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
}

std::vector<int16_t> Ramp(int n) {
    std::vector<int16_t> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<int16_t>(i * 37 - 100));
    return v;
}

TEST(RecorderSeeds, Write) {
    const char* root = std::getenv("HALVO_RECORDER_SEEDS");
    if (!root) GTEST_SKIP() << "HALVO_RECORDER_SEEDS not set";
    const std::string base = root;

    // Lumo: each generation with one analog and one status block.
    TLumoCfgFields cfg;
    cfg.ModuleKinds[0] = 5;
    cfg.ModuleKinds[1] = 1;
    cfg.Channels.push_back({0, 0, "U1", "Napiecie", "V", 10.0f, 0, 10000});
    TLumoHeaderFields h;
    h.Before = 4;
    h.After = 4;
    for (int version : {0, 1}) {
        const bool big = version == 1;
        std::string f = version ? LumoSignatureText(1) : "";
        f += LumoCfg(cfg, big) + LumoHeaderI(h, big);
        f += LumoFormI(L::kSigAnalogI, 0, 5, LumoAnalogSamples(Ramp(8), big), big);
        f += LumoFormI(L::kSigStatusI, 4, 0, LumoStatusSamples({1, 0, 1, 0, 1, 1, 0, 0}, big), big);
        Put(base + "/fuzz_lumo", "v" + std::to_string(version) + ".lum", f);
    }
    h.SpeedOrRate = 1000;
    for (int version : {2, 4}) {
        const bool big = version == 2;
        TLumoFormIIFields status;
        status.Signature = L::kSigStatusII;
        status.Module = 2;
        Put(base + "/fuzz_lumo", "v" + std::to_string(version) + ".lum",
            LumoSignatureText(version) + LumoHeaderII(h, big) +
                LumoFormII({}, LumoAnalogSamples(Ramp(8), big), big) +
                LumoFormII(status, LumoStatusSamples({0, 1, 1, 0, 0, 1, 0, 1}, big), big));
    }
    TLumo13SBlockFields line;
    line.Flags = 0x80;
    line.X2 = 2;
    line.Y2 = 5;
    TLumo13SBlockFields status;
    status.Signature = L::kSigStatus13S;
    TLumo13SHeaderFields header13S;
    header13S.Before = 4;
    header13S.After = 4;
    Put(base + "/fuzz_lumo", "v13s.lum",
        LumoSignatureText(5) + Lumo13SHeader(header13S) +
            Lumo13SBlock(line, LumoAnalogSamples(Ramp(8), true)) +
            Lumo13SBlock({}, LumoAnalogSamples(Ramp(8), true)) +
            Lumo13SBlock(status, LumoStatusSamples({1, 1, 1, 0, 0, 0, 1, 0}, true)));

    // Vo5: both formats, two analog slots and one status slot.
    for (int format : {1, 2}) {
        TVo5Fields s;
        s.Format = format;
        s.Count = 6;
        TVo5ChannelFields c;
        s.Channels.push_back(c);
        c.Slot = 6;
        s.Channels.push_back(c);
        c.Slot = 17;
        s.Channels.push_back(c);
        std::vector<uint16_t> words;
        for (int i = 0; i < 6; ++i) {
            words.push_back(static_cast<uint16_t>(4 * i + 1));
            words.push_back(static_cast<uint16_t>(-6 * i));
            words.push_back(static_cast<uint16_t>(i % 2 ? 4 : 0));
        }
        Put(base + "/fuzz_vo5", "format" + std::to_string(format) + ".vo5",
            Vo5Head(s) + Words16(words, false));
    }

    // Vo4: channels 0 and 1, five samples.
    TVo4Fields v4;
    v4.Count = 5;
    v4.Ranges[0] = 100;
    v4.Ranges[1] = 5;
    v4.Units[0] = "V";
    v4.Units[1] = "A";
    Put(base + "/fuzz_vo4", "two.bin",
        Vo4Header(v4) + Words16({0x8000, 0x8001, 0, 0xFFFF, 0x7FFF, 0x8000, 1, 2, 3, 4}, false));

    // Hak7: one record; the target takes its first byte as the record selector.
    THak7Fields k;
    for (int i = 0; i < 1000; ++i) {
        k.A.push_back(static_cast<uint16_t>((2048 + i % 100) | (i % 16) << 12));
        k.B.push_back(static_cast<uint16_t>((2048 - i % 50) | ((i / 16) % 16) << 12));
    }
    Put(base + "/fuzz_hak7", "record1", std::string(1, '\1') + Hak7Record(k));
    Put(base + "/fuzz_hak7", "ask", std::string(1, '\0') + Hak7Record(k) + Hak7Record(k));

    // Raw packets of the target's configuration: analog 1, 7, 2; modules 1 and 3; L = 6.
    std::vector<uint16_t> qvx;
    for (int i = 0; i < 24; ++i) {
        const uint16_t p[] = {static_cast<uint16_t>(2 * i + 1),
                              static_cast<uint16_t>(-4 * i),
                              static_cast<uint16_t>(8 * i),
                              static_cast<uint16_t>(i % 2 ? 2 : 0),
                              static_cast<uint16_t>(i % 3 ? 0 : 0x8020),
                              0};
        qvx.insert(qvx.end(), p, p + 6);
    }
    Put(base + "/fuzz_qvx_raw", "fault", Words16(qvx, true));
    TImage slow(true);
    for (int i = 0; i < 40; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * 10;
        slow.U8(at, '#');
        slow.U8(at + 1, static_cast<uint8_t>(i + 250));
        for (int c = 0; c < 4; ++c) slow.U16(at + 2 + 2 * c, static_cast<uint16_t>(i * (c + 1)));
    }
    Put(base + "/fuzz_qvx_raw", "trend", slow.Bytes());

    // Headers that claim 8 samples a byte of the file, more than the first block holds.
    const auto claiming = [](const std::function<std::string(uint32_t)>& file) {
        return file(static_cast<uint32_t>(8 * file(0).size()));
    };
    Put(base + "/fuzz_lumo", "claim_v4.lum", claiming([](uint32_t n) {
            TLumoHeaderFields claim;
            claim.Before = 0;
            claim.After = n;
            claim.SpeedOrRate = 1000;
            return LumoSignatureText(4) + LumoHeaderII(claim, false) +
                   LumoFormII({}, LumoAnalogSamples(Ramp(64), false), false);
        }));
    Put(base + "/fuzz_lumo", "claim_13s.lum", claiming([](uint32_t n) {
            TLumo13SHeaderFields claim;
            claim.Before = 0;
            claim.After = n;
            return LumoSignatureText(5) + Lumo13SHeader(claim) +
                   Lumo13SBlock({}, LumoAnalogSamples(Ramp(64), true));
        }));

    // Packets as short as the target's configuration allows (L = 5), one of them wrong.
    std::vector<uint16_t> small;
    for (int i = 0; i < 400; ++i) {
        const uint16_t p[] = {static_cast<uint16_t>(i == 200 ? 2 * i : 2 * i + 1),
                              static_cast<uint16_t>(-4 * i), static_cast<uint16_t>(8 * i),
                              static_cast<uint16_t>(i % 2 ? 2 : 0),
                              static_cast<uint16_t>(i % 3 ? 0 : 0x8020)};
        small.insert(small.end(), p, p + 5);
    }
    Put(base + "/fuzz_qvx_raw", "small_packets", Words16(small, true));

    // A file set whose information file repeats keys among many, in other letter cases.
    std::string inf = "[Public Analog_Channel_#1]\r\nPen_Color=255\r\nUserWaveComment=Łódź\r\n";
    for (int i = 0; i < 600; ++i) inf += "Key_" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    inf +=
        "[Quarnel RecAttribs]\r\nKomment=Zażółć\r\nInterrupted=1\r\n"
        "[PUBLIC ANALOG_CHANNEL_#1]\r\npen_color=65280\r\nUSERWAVECOMMENT=ŁÓDŹ\r\nkey_599=x\r\n"
        "[quarnel recattribs]\r\nKOMMENT=Źdźbło\r\ninterrupted=0\r\n";
    Put(base + "/fuzz_comtrade_set", "many_keys",
        "S1,R1,1999\r\n2,1A,1D\r\n1,IA,A,,A,0.5,0,0,-32768,32767,1,1,P\r\n1,K1,,,0\r\n50\r\n1\r\n1000,3\r\n"
        "05/01/2020,10:20:30.000000\r\n05/01/2020,10:20:30.001000\r\nASCII\r\n1\r\n\n@@\n"
        "1,0,3,1\r\n2,1000,-4,0\r\n3,2000,5,1\r\n\n@@\n" +
            inf + "\n@@\n[Public Status_Channel_#1]\r\nPen_Color=65280\r\n\n@@\n");
}

}  // namespace
