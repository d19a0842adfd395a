#pragma once
// Loading a recorder file through its handler, as the file set does, with every message
// and the error kept.
#include <memory>
#include <string>
#include <vector>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/MemoryStream.h"
#include "platform/Exception.h"

namespace reader_test {

struct TLoaded {
    std::unique_ptr<dcomp::TComtrade> Recording = std::make_unique<dcomp::TComtrade>();
    std::vector<std::string> Messages;
    std::string Error;  // empty when the load raised nothing

    dcomp::TComtrade& Rec() { return *Recording; }
    int Samples() const { return Recording->SampleCount(); }
    int Analogs() const { return Recording->AnalogList().Count(); }
    int Status() const { return Recording->CyfrList().Count(); }
    dcomp::TAnalogDescr& A(int i) { return *Recording->AnalogList().Items(i); }
    dcomp::TCyfrDescr& D(int i) { return *Recording->CyfrList().Items(i); }
    std::vector<int32_t> Raws(int i) { return A(i).RawBuffer(); }
    std::vector<uint8_t> Bits(int i) { return D(i).BitBuffer(); }
};

inline TLoaded Load(const dcomp::TFileInterface& handler, const std::string& bytes,
                    const std::string& selector = "", bool withCallback = true,
                    const std::string& name = "rec.lum") {
    TLoaded out;
    dcomp::TNameList names{name};
    dcomp::TStreamList streams;
    streams.push_back(std::make_unique<dcomp::TMemoryStream>(bytes));
    dcomp::TOnMessage onMessage;
    if (withCallback) onMessage = [&out](const std::string& m) { out.Messages.push_back(m); };
    try {
        handler.LoadFromStreams(*out.Recording, names, selector, streams, onMessage);
    } catch (const platform::Exception& e) {
        out.Error = e.Message();
    }
    return out;
}

inline bool CanLoad(const dcomp::TFileInterface& handler, const std::string& bytes) {
    dcomp::TMemoryStream stream(bytes);
    return handler.CanLoad(stream, {});
}

// Every cut of a file, and seeded byte flips of it: a listed exception, a message or a
// (partial) load, never a crash. Returns how many inputs ran.
template <class TRun>
int Mangle(const std::string& bytes, unsigned seed, TRun run) {
    int n = 0;
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut, ++n) run(bytes.substr(0, cut));
    uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 300 && !bytes.empty(); ++round, ++n) {
        std::string flipped = bytes;
        const int flips = 1 + static_cast<int>(next() % 4);
        for (int f = 0; f < flips; ++f)
            flipped[next() % flipped.size()] ^= static_cast<char>(1 + next() % 255);
        run(flipped);
    }
    for (int round = 0; round < 100; ++round, ++n) {
        std::string random(next() % 600, '\0');
        for (char& c : random) c = static_cast<char>(next());
        run(random);
    }
    return n;
}

}  // namespace reader_test
