#include "app/device/HalvoDefs.h"

#include <filesystem>

#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/Profile.h"
#include "platform/Strings.h"

namespace app {

namespace {

double ReadFloat(const platform::TProfileFile& file, const std::string& section, const std::string& key,
                 double def) {
    double v = 0.0;
    const std::string text = file.ReadString(section, key, "");
    return platform::TryStrToFloat(text, v, platform::AppFormatSettings()) ? v : def;
}

uint8_t KindOfTypeWord(const std::string& word) {
    const std::string w = platform::UpperCase(word);
    if (w == "UN") return skVoltage;
    if (w == "Y/N") return skYesNo;
    if (w == "REAL") return skReal;
    if (w == "INT") return skInt;
    return skHex;
}

std::string SectionName(int n) {
    return "SECTION_" + platform::IntToStr(n);
}

}  // namespace

TSettingDescriptor TSets::GetSetting(int m) const {
    if (m < 1 || m > Count()) return TSettingDescriptor{};
    return FItems[static_cast<std::size_t>(m - 1)];
}

void TSets::SetSetting(int m, const TSettingDescriptor& descriptor) {
    if (m <= 0) return;
    const auto index = static_cast<std::size_t>(m - 1);
    if (index >= FItems.size()) FItems.resize(index + 1);
    FItems[index] = descriptor;
}

void TSets::Clear() {
    FItems.clear();
}

int TSets::Count() const {
    return static_cast<int>(FItems.size());
}

void THalvoDefs::LoadFromFile(const std::string& path) {
    const std::string normalised = platform::NormalisePath(path);
    if (normalised == LoadedFileName) return;
    Clear();
    DefinitionsFileName = normalised;
    // The profile functions look for a bare name in the configuration directory; a
    // definitions file is always meant where the path points.
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(normalised.empty() ? "." : normalised, ec);
    // Read and indexed once: every key below is a lookup, not another pass over the file.
    FFile = std::make_unique<platform::TProfileFile>(ec ? normalised : absolute.string());
    const platform::TProfileFile& f = *FFile;

    const std::string g = "GLOBAL";
    ImplementsSysLogick = f.ReadInteger(g, "ImplementsSysLogick", 0) != 0;
    DiCorrection = static_cast<int8_t>(f.ReadInteger(g, "DI_correction", -5));
    DoCorrection = static_cast<int8_t>(f.ReadInteger(g, "DO_correction", 15));
    AiCorrection = static_cast<int8_t>(f.ReadInteger(g, "AI_correction", -30));
    ZnsSize = f.ReadInteger(g, "ZNS_SIZE", 119);
    Zns1Address = static_cast<uint16_t>(f.ReadInteger(g, "ZNS1_ADRES", 2177));
    Zns2Address = static_cast<uint16_t>(f.ReadInteger(g, "ZNS2_ADRES", 2433));
    ZnsSendStep = f.ReadInteger(g, "ZNS_SEND_STEP", ZnsSize);
    EvBufFirstReg = static_cast<uint16_t>(f.ReadInteger(g, "EV_BUF_FIRST_REG", 4001));
    EvBufLastReg = static_cast<uint16_t>(f.ReadInteger(g, "EV_BUF_LAST_REG", 4032));

    FRegisterCounter = 1;
    for (int n = 1; LoadSection(n); ++n) {
    }
    FFile.reset();
    LoadedFileName = normalised;
}

bool THalvoDefs::LoadSection(int n) {
    int m = 1;
    while (LoadSetting(n, m)) ++m;
    return m > 1;
}

bool THalvoDefs::LoadSetting(int n, int m) {
    const std::string section = SectionName(n);
    const std::string x = "X" + platform::IntToStr(m);
    const std::string* name = FFile ? FFile->Find(section, x + "_NAME") : nullptr;
    if (!name) return false;
    const platform::TProfileFile& f = *FFile;

    SetSectionTitle(n, platform::IntToStr(n) + ". " + f.ReadString(section, "TITLE", ""));

    TSettingDescriptor d;
    d.Name = std::string(platform::Utf8Prefix(*name, 20));
    d.Unit = std::string(platform::Utf8Prefix(f.ReadString(section, x + "_DIM", ""), 4));
    d.Scale = ReadFloat(f, section, x + "_BASE", 1.0);
    d.DecimalPlaces = static_cast<uint8_t>(f.ReadInteger(section, x + "_DEC_PLACES", 0));
    d.Kind = KindOfTypeWord(f.ReadString(section, x + "_TYPE", ""));
    FRegisterCounter = static_cast<uint16_t>(f.ReadInteger(section, x + "_OFFSET", FRegisterCounter));
    d.RegisterIndex = static_cast<uint8_t>(FRegisterCounter - 1);

    AddSetting(n, m, d);
    ++FRegisterCounter;
    return true;
}

int THalvoDefs::SectionCount() const {
    return static_cast<int>(FSections.size());
}

std::string THalvoDefs::GetSectionTitle(int n) const {
    if (n < 1 || n > SectionCount()) return {};
    return FSections[static_cast<std::size_t>(n - 1)].Title;
}

void THalvoDefs::SetSectionTitle(int n, const std::string& title) {
    if (n < 1) return;
    if (n > SectionCount()) {
        FSections.resize(static_cast<std::size_t>(n));
        FSections.back().Title = title;
        return;
    }
    TSection& s = FSections[static_cast<std::size_t>(n - 1)];
    if (s.Title == title) return;
    s.Title = title;
    s.Sets.reset();
}

TSets* THalvoDefs::GetSection(int n) {
    if (n < 1 || n > SectionCount()) return nullptr;
    return FSections[static_cast<std::size_t>(n - 1)].Sets.get();
}

const TSets* THalvoDefs::GetSection(int n) const {
    return const_cast<THalvoDefs*>(this)->GetSection(n);
}

void THalvoDefs::AddSetting(int n, int m, const TSettingDescriptor& descriptor) {
    if (n < 1 || n > SectionCount()) return;
    auto& sets = FSections[static_cast<std::size_t>(n - 1)].Sets;
    if (!sets) sets = std::make_unique<TSets>();
    sets->SetSetting(m, descriptor);
}

uint16_t THalvoDefs::ParsetAddress(int k) const {
    if (k == 1) return Zns1Address;
    if (k == 2) return Zns2Address;
    return 0;
}

int8_t THalvoDefs::IoCorrection(int ioClass) const {
    switch (ioClass) {
        case 1:
            return DiCorrection;
        case 2:
            return DoCorrection;
        case 3:
            return AiCorrection;
        default:
            return 0;
    }
}

void THalvoDefs::Clear() {
    FSections.clear();
}

}  // namespace app
