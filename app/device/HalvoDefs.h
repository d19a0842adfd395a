#pragma once
// Settings definitions of one device type, read from a ".set" file: the register map,
// the start-time corrections and the settings of both parameter sets, in sections.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/device/SettingDescriptor.h"
#include "platform/Profile.h"

namespace app {

// The settings of one section, numbered from 1.
class TSets {
public:
    // Descriptor m, or the default descriptor when there is no such setting.
    TSettingDescriptor GetSetting(int m) const;
    // m <= 0 does nothing; past the end the gap is filled with default descriptors.
    void SetSetting(int m, const TSettingDescriptor& descriptor);
    void Clear();
    int Count() const;

private:
    std::vector<TSettingDescriptor> FItems;
};

class THalvoDefs {
public:
    // Register map and corrections; read directly by the transfers, grid and decoder.
    std::string LoadedFileName;  // the file last loaded completely (normalised)
    int32_t ZnsSize = 0;
    uint16_t Zns1Address = 0;
    uint16_t Zns2Address = 0;
    int32_t ZnsSendStep = 0;
    uint16_t EvBufFirstReg = 0;
    uint16_t EvBufLastReg = 0;
    int8_t DiCorrection = 0;
    int8_t DoCorrection = 0;
    int8_t AiCorrection = 0;
    bool ImplementsSysLogick = false;
    std::string DefinitionsFileName;  // the file named by the last load request (normalised)

    // A path equal to LoadedFileName after normalisation is not read again. A missing
    // file gives every default and no sections.
    void LoadFromFile(const std::string& path);
    // Both read from the file LoadFromFile is loading (false outside a load); true when
    // something was read.
    bool LoadSection(int n);
    bool LoadSetting(int n, int m);

    int SectionCount() const;
    std::string GetSectionTitle(int n) const;
    void SetSectionTitle(int n, const std::string& title);
    // None when n is out of range or the section has no settings yet.
    TSets* GetSection(int n);
    const TSets* GetSection(int n) const;
    void AddSetting(int n, int m, const TSettingDescriptor& descriptor);

    // Whether a file was loaded (a missing one too, which gives the defaults): only then
    // is there a register map.
    bool Loaded() const { return !LoadedFileName.empty(); }
    uint16_t ParsetAddress(int k) const;
    // Milliseconds for I/O class 1 (DI), 2 (DO), 3 (AI); 0 for any other class.
    int8_t IoCorrection(int ioClass) const;
    void Clear();

private:
    struct TSection {
        std::string Title;
        std::unique_ptr<TSets> Sets;
    };
    std::vector<TSection> FSections;
    std::unique_ptr<platform::TProfileFile> FFile;  // the file being loaded
    uint16_t FRegisterCounter = 1;                  // runs across all sections of one file
};

}  // namespace app
