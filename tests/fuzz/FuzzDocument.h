#pragma once
// A document as its window shows it: decoded, listed sequence by sequence, in
// hexadecimal, with its texts, dates, note and settings grid. Shared by the targets
// whose input ends up as a document.
#include "app/device/Halvobase.h"

namespace fuzz {

// The definitions files the documents of the targets load: a few settings of every
// kind, the SysLogick rows on for Vesk-3, the corrections at their extremes.
void WriteDefinitions(const std::string& directory);

struct TListed {
    bool DecodeFailed = false;
    int Sequences = 0;
};

// Checks what the decoder promises on the way and gives what it found.
TListed ListDocument(app::THalvo& halvo);
void ShowDocument(const app::THalvo& halvo);

}  // namespace fuzz
