#include "dcomp/RBTools.h"

#include <unistd.h>

#include "dcomp/VersionListUnit.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

const char* const kHeader = "$Header: /Halvo/dcomp/RBTools.cpp 1.11 2010/06/14 11:22:51 rbaran Exp $";

std::array<uint8_t, 256> gTable{};

struct TFold {
    uint8_t Code;
    char Ascii;
};
const TFold kFolds[18] = {
    {0x8C, 'S'}, {0x8F, 'Z'}, {0x9C, 's'}, {0x9F, 'z'}, {0xA3, 'L'}, {0xA5, 'A'},
    {0xAF, 'Z'}, {0xB3, 'l'}, {0xB9, 'a'}, {0xBF, 'z'}, {0xC6, 'C'}, {0xCA, 'E'},
    {0xD1, 'N'}, {0xD3, 'O'}, {0xE6, 'c'}, {0xEA, 'e'}, {0xF1, 'n'}, {0xF3, 'o'},
};

}  // namespace

const std::array<uint8_t, 256>& PolishFoldTable() {
    return gTable;
}

void InitRBTools() {
    AddToVersionList(kHeader);
    if (::gettid() != ::getpid()) throw platform::Exception("MainThreadID <> GetCurrentThreadID()");
    for (int i = 0; i < 256; ++i) gTable[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (const TFold& f : kFolds) gTable[f.Code] = static_cast<uint8_t>(f.Ascii);
}

}  // namespace dcomp
