// A settings file read into the settings classes, then every item asked for its texts,
// checked, compared, translated and written; and the device value types on the same
// bytes as a user's text. Nothing may crash, and only the documented errors may raise.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dcomp/DcompInit.h"
#include "dcomp/OvbTypes.h"
#include "dcomp/SettingsModel.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/Exception.h"
#include "platform/Registry.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace dcomp;

void Exercise(TLhXMLNode* node) {
    if (auto* item = dynamic_cast<TSettItem*>(node)) {
        TBaseXCfgTool& tool = item->Tool();
        // A BOOL value that is no Boolean word raises the conversion error, and only that.
        const auto tolerant = [](auto call) {
            try {
                call();
            } catch (const platform::EConvertError&) {
            }
        };
        tolerant([&] { tool.GetText(); });
        tolerant([&] { tool.GetDisplayText(); });
        tolerant([&] { tool.GetIndexText(); });
        tolerant([&] { tool.GetStoreValue(); });
        tolerant([&] { tool.GetStoreDefValue(); });
        tolerant([&] { tool.GetBool(); });
        tolerant([&] { tool.GetDefBool(); });
        tool.GetDefFloat();
        std::string text = item->GetValueOrDefault(), error;
        const bool ok = tool.Check(text, error);
        FUZZ_CHECK(ok || !error.empty());
        try {
            tool.GetDateTime();
        } catch (const platform::Exception&) {
        }
        FUZZ_CHECK(!item->Changed());
    }
    for (int i = 0; i < node->ChildCount(); ++i) Exercise(node->GetChild(i));
}

void ValueTypes(const std::string& text) {
    static const std::vector<std::string> itemsTexts = {"", "A|B|C;x", "N|Y;0|1"};
    for (int i = 0; i < OvbEngines().Count(); ++i) {
        auto engine = OvbEngines().Items(i).EngineClass();
        TOvbValueDesc desc;
        // The text itself, and what the number parser and the float reader make of it.
        std::vector<TOvbVariant> values{text};
        for (const std::string& itemsText : itemsTexts) {
            TOvbVariant value;
            std::string error;
            engine->ParseBool(desc, text, itemsText, value, error);
            engine->ParseSelect(desc, text, itemsText, value, error);
        }
        TOvbVariant number;
        std::string error;
        if (engine->ParseNumber(desc, text, "", number, error)) {
            values.push_back(number);
        } else {
            FUZZ_CHECK(!error.empty());
        }
        if (double x = 0; TryTextToFloat(text, x)) values.push_back(x);
        uint8_t raw[4] = {};
        for (const TOvbVariant& value : values) {
            try {
                engine->VariantToRaw(desc, raw, value);
            } catch (const platform::Exception&) {
            }
        }
        for (size_t n = 0; n + 4 <= text.size() && n < 8; n += 4) {
            const TOvbVariant back =
                engine->RawToVariant(desc, std::span(reinterpret_cast<const uint8_t*>(text.data()) + n, 4));
            try {
                engine->FormatNumber(desc, back, "FRAC");
            } catch (const platform::Exception&) {
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitUnits();
        // No machine's serial ports: the same answer on every run.
        platform::SetSysfsTtyRoot(fuzz::Scratch().File("no-tty"));
        return true;
    }();
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ValueTypes(text.substr(0, 64));

    TLhXmlDocument doc;
    TTextStream stream(text);
    try {
        doc.Parse(stream, false);
    } catch (const XLhException&) {
        return 0;
    }
    auto* root = dynamic_cast<TSettGroup*>(doc.MainNode());
    if (!root) return 0;
    Exercise(root);
    std::vector<TSettCompareLine> lines;
    root->CompareWith(root, &lines);
    try {
        root->SetLanguage("PL");
    } catch (const platform::Exception&) {
        // A child of no settings class has no language to take.
    }
    std::string written;
    root->WriteToStream(written);
    return 0;
}
