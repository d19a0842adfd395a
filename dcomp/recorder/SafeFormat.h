#pragma once
// printf-like formatting of message texts that come from the dictionary, where a
// translator may change the conversions: a conversion without an argument stays in the
// text as written, an argument of another kind is shown as what it is, and numbers never
// pass through the locale ('.' as decimal separator).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace dcomp {

class TFormatArg {
public:
    enum class TKind { Signed, Unsigned, Real, Text };

    TFormatArg(int value) : FKind(TKind::Signed), FSigned(value) {}
    TFormatArg(long value) : FKind(TKind::Signed), FSigned(value) {}
    TFormatArg(long long value) : FKind(TKind::Signed), FSigned(value) {}
    TFormatArg(unsigned value) : FKind(TKind::Unsigned), FUnsigned(value) {}
    TFormatArg(unsigned long value) : FKind(TKind::Unsigned), FUnsigned(value) {}
    TFormatArg(unsigned long long value) : FKind(TKind::Unsigned), FUnsigned(value) {}
    TFormatArg(double value) : FKind(TKind::Real), FReal(value) {}
    TFormatArg(const char* value) : FKind(TKind::Text), FText(value ? value : "") {}
    TFormatArg(std::string_view value) : FKind(TKind::Text), FText(value) {}
    TFormatArg(const std::string& value) : FKind(TKind::Text), FText(value) {}

    TKind Kind() const { return FKind; }
    int64_t Signed() const { return FSigned; }
    uint64_t Unsigned() const { return FUnsigned; }
    double Real() const { return FReal; }
    std::string_view Text() const { return FText; }

private:
    TKind FKind;
    int64_t FSigned = 0;
    uint64_t FUnsigned = 0;
    double FReal = 0.0;
    std::string_view FText;
};

// Conversions: %[-+ 0#][width][.precision][length](d i u x X f e g s c %).
std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args);

}  // namespace dcomp
