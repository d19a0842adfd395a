// The text layer of the XML unit: helpers, entities, the tokenizer, backups and the
// unit's initialisation. The node model and the parser are in XmlLight2Nodes.cpp.
#include "dcomp/XmlLight/XmlLight2Unit.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "dcomp/VersionListUnit.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

const char* const kHeader =
    "$Header: /Halvo/dcomp/XmlLight/XmlLight2Unit.cpp 1.38 2011/05/09 14:02:17 rbaran Exp $";

std::unique_ptr<TRegNodeList> gRegistry;

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

int HexValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The nine Polish lower-case letters: second UTF-8 byte after the lead byte, lower and upper.
struct TPolishFold {
    unsigned char Lead, Lower, Upper;
};
const TPolishFold kPolishFolds[9] = {
    {0xC4, 0x85, 0x84},  // ą
    {0xC4, 0x87, 0x86},  // ć
    {0xC4, 0x99, 0x98},  // ę
    {0xC5, 0x82, 0x81},  // ł
    {0xC5, 0x84, 0x83},  // ń
    {0xC3, 0xB3, 0x93},  // ó
    {0xC5, 0x9B, 0x9A},  // ś
    {0xC5, 0xBA, 0xB9},  // ź
    {0xC5, 0xBC, 0xBB},  // ż
};

// The entity that starts with the "&" before the scanned part, whose k-th byte after the
// "&" is at(k). Gives its length (from "&" through ";") and its byte.
template <class TAt>
bool MatchEntity(TAt at, size_t available, size_t& length, char& byte) {
    constexpr uint64_t kLimit = 0xFFFFFFFFu;  // larger numbers leave the text as it is
    if (at(1) == '#' && IsDigit(at(2))) {
        uint64_t value = 0;
        size_t k = 2;
        for (; k <= available && IsDigit(at(k)); ++k) {
            if (value <= kLimit) value = value * 10 + static_cast<uint64_t>(at(k) - '0');
        }
        if (k > available || at(k) != ';' || value > kLimit) return false;
        length = k + 1;
        byte = static_cast<char>(value & 0xFF);
        return true;
    }
    if (at(1) == '#' && at(2) == 'x') {
        uint64_t value = 0;
        size_t k = 3;
        for (; k <= available && HexValue(at(k)) >= 0; ++k) {
            if (value <= kLimit) value = value * 16 + static_cast<uint64_t>(HexValue(at(k)));
        }
        if (k == 3 || k > available || at(k) != ';' || value > kLimit) return false;
        length = k + 1;
        byte = static_cast<char>(value & 0xFF);
        return true;
    }
    if (at(1) == '#') return false;
    for (size_t k = 1; k <= 5 && k <= available; ++k) {
        if (at(k) != ';') continue;
        std::string name;
        for (size_t j = 1; j < k; ++j) name += static_cast<char>(at(j));
        static const struct {
            const char* Name;
            char Byte;
        } kNames[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& n : kNames) {
            if (name == n.Name) {
                length = k + 1;
                byte = n.Byte;
                return true;
            }
        }
        return false;
    }
    return false;
}

}  // namespace

namespace {

// The second byte of each Polish letter after its lead byte, from one case to the other.
std::string FoldPolish(std::string out, unsigned char TPolishFold::*from, unsigned char TPolishFold::*to) {
    for (size_t i = 0; i + 1 < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        const auto next = static_cast<unsigned char>(out[i + 1]);
        for (const TPolishFold& f : kPolishFolds) {
            if (c == f.Lead && next == f.*from) {
                out[i + 1] = static_cast<char>(f.*to);
                break;
            }
        }
    }
    return out;
}

}  // namespace

std::string UpperFold(std::string_view text) {
    return FoldPolish(platform::UpperCase(text), &TPolishFold::Lower, &TPolishFold::Upper);
}

std::string LowerFold(std::string_view text) {
    return FoldPolish(platform::LowerCase(text), &TPolishFold::Upper, &TPolishFold::Lower);
}

bool IsXmlName(std::string_view text) {
    for (char c : text) {
        const bool ok =
            IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
        if (!ok) return false;
    }
    return true;
}

std::string TrimControls(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) < 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) < 32) --e;
    return std::string(text.substr(b, e - b));
}

const TXmlBoolWords XmlBoolWords[9] = {
    {"false", "true"}, {"fałsz", "prawda"}, {"0", "1"}, {"fail", "-1"}, {"no", "yes"},
    {"nie", "tak"},    {"n", "y"},          {"n", "t"}, {"off", "on"},
};

std::string BoolToXmlText(bool value) {
    return value ? "1" : "0";
}

bool XmlTextToBool(std::string_view text, bool& value, int& pairIndex, bool byPrefix) {
    value = false;
    pairIndex = -1;
    if (text.empty()) return false;
    const std::string lower = platform::LowerCase(text);
    for (int i = 0; i < 9; ++i) {
        if (lower == XmlBoolWords[i].False || lower == XmlBoolWords[i].True) {
            value = lower != XmlBoolWords[i].False;
            pairIndex = i;
            return true;
        }
    }
    if (!byPrefix) return false;
    bool matched = false, found = false;
    int index = -1;
    for (int i = 0; i < 9; ++i) {
        for (bool word : {false, true}) {
            const std::string_view w = word ? XmlBoolWords[i].True : XmlBoolWords[i].False;
            if (w.substr(0, lower.size()) != lower) continue;
            if (matched && found != word) return false;  // the prefix means both
            matched = true;
            found = word;
            index = i;
        }
    }
    if (!matched) return false;
    value = found;
    pairIndex = index;
    return true;
}

std::string EscapeXmlText(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\0' || c == '"' || c == '<' || c == '&') {
            const auto b = static_cast<unsigned char>(c);
            out += "&#x";
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
            out += ';';
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeXmlText(std::string_view bytes) {
    static const std::string_view kCData = "<![CDATA[";
    if (platform::UpperCase(bytes.substr(0, kCData.size())) == kCData) {
        // Too short to hold the closing "]]>": nothing inside.
        if (bytes.size() < 12) return "";
        return std::string(bytes.substr(9, bytes.size() - 12));
    }
    // Scanned from the end so that a replacement is never decoded again; the scanned part
    // is kept last byte first, so a replacement drops bytes from its end.
    std::string scanned;
    scanned.reserve(bytes.size());
    for (size_t i = bytes.size(); i-- > 0;) {
        if (bytes[i] == '&' && scanned.size() >= 3) {
            auto at = [&scanned](size_t k) {
                return static_cast<int>(static_cast<unsigned char>(scanned[scanned.size() - k]));
            };
            size_t length = 0;
            char byte = 0;
            if (MatchEntity(at, scanned.size(), length, byte)) {
                scanned.resize(scanned.size() - (length - 1));
                scanned.push_back(byte);
                continue;
            }
        }
        scanned.push_back(bytes[i]);
    }
    std::reverse(scanned.begin(), scanned.end());
    return TrimControls(scanned);
}

std::string XmlBytesToText(bool utf8, std::string_view raw) {
    if (utf8) {
        // Cleaning changes nothing only in valid UTF-8.
        std::string text = platform::CleanUtf8(raw);
        if (text == raw) return text;
    }
    return platform::Cp1250ToUtf8(raw);
}

std::string XmlValueToText(bool utf8, std::string_view raw) {
    return XmlBytesToText(utf8, DecodeXmlText(raw));
}

const platform::TFormatSettings& XmlFormatSettings() {
    return platform::DotFormatSettings();
}

std::string FloatToXmlText(double value) {
    return platform::FloatToStrGeneral(value, 15, 0, XmlFormatSettings());
}

void SplitText(std::string_view text, std::vector<std::string>& list, char separator) {
    list.clear();
    std::string part;
    char quote = 0;
    for (char c : text) {
        if (quote != 0) {
            part += c;
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
            part += c;
        } else if (c == separator || c == '\r' || c == '\n') {
            if (!part.empty()) list.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) list.push_back(std::move(part));
}

void WriteText(std::string& stream, std::string_view text) {
    stream.append(text);
}

void WriteChar(std::string& stream, char c) {
    stream.push_back(c);
}

void WriteLineBreak(std::string& stream) {
    stream.append("\r\n");
}

std::string BackupFileName(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return fileName + "~";
    return fileName.substr(0, dot + 1) + "~" + fileName.substr(dot + 1);
}

bool BackupFile(const std::string& fileName) {
    if (!platform::FileExists(fileName)) return true;
    const std::string backup = BackupFileName(fileName);
    if (::unlink(backup.c_str()) != 0 && errno != ENOENT) return false;
    // A second name for the old contents: the new file is written beside it and renamed
    // over, so the backup keeps the old bytes.
    if (::link(fileName.c_str(), backup.c_str()) == 0) return true;
    std::string bytes;
    return platform::ReadWholeFile(fileName, bytes) && platform::WriteFileAtomic(backup, bytes);
}

void ReadToken(TTextStream& stream, std::string& token, TTokenFlags& flags) {
    using namespace TokenFlags;
    flags = 0;
    token.clear();
    bool inQuotes = false, finished = false;
    size_t first = std::string::npos, last = 0;
    auto text = [&](size_t pos) {
        if (first == std::string::npos) first = pos;
        last = pos;
    };
    while (!finished && !stream.AtEnd()) {
        const uint8_t c = stream.Peek();
        const size_t pos = stream.Position();
        if (c == '"') {
            stream.Skip();
            inQuotes = !inQuotes;
            finished = !inQuotes;
            continue;
        }
        if (inQuotes) {
            text(pos);
            stream.Skip();
            continue;
        }
        const bool begun = first != std::string::npos;
        switch (c) {
            case '=':
                stream.Skip();
                flags |= Equals;
                finished = true;
                break;
            case ' ':
            case '\t':
            case '\r':
            case '\n':
            case 0xEF:
            case 0xBB:
            case 0xBF:
                stream.Skip();
                finished = begun;
                break;
            case '/':
                stream.Skip();
                flags |= begun ? SelfClose : Slash;
                break;
            case '<':
                if (begun) {
                    finished = true;
                } else {
                    stream.Skip();
                    flags |= TagOpen;
                }
                break;
            case '>':
                stream.Skip();
                flags |= TagEnd;
                finished = true;
                break;
            case '?':
                stream.Skip();
                flags |= Question;
                break;
            default:
                text(pos);
                stream.Skip();
                break;
        }
    }
    if (!finished) flags |= EndOfText;
    if (first != std::string::npos) token.assign(stream.Bytes(), first, last - first + 1);
}

bool StreamAtEnd(const TTextStream& stream) {
    return stream.AtEnd();
}

TRegNodeList& XmlClassRegistry() {
    if (!gRegistry) throw platform::Exception("XmlClassRegistry: the XML unit is not initialised");
    return *gRegistry;
}

void RegisterXmlClass(const TRegClassItem& nodeClass, int mode) {
    XmlClassRegistry().Register(nodeClass, mode);
}

void InitXmlLight2Unit() {
    AddToVersionList(kHeader);
    gRegistry = std::make_unique<TRegNodeList>();
    RegisterXmlClass<TLhXMLNode>(0);
}

void FinalizeXmlLight2Unit() {
    gRegistry.reset();
}

}  // namespace dcomp
