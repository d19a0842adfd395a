// Texts of the result codes and the log-line writer.
#include "talvo/Texts.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/Strings.h"
#include "platform/UniqueFd.h"
#include "talvo.h"

namespace {

// Indexed by minus the code.
constexpr std::string_view kTexts[] = {
    "Odpowiedź poprawna",         "Odebrano zbyt mało bajtów",
    "Błąd pola Length ramki",     "Błąd numeru ramki",
    "Błąd numeru urządzenia",     "Niezgodność długości odpowiedzi na zapytanie o rejestry",
    "Numer indeksu za duży",      "Interfejs o tym numerze już istnieje",
    "Błąd inicjacji połączenia",  "Błędny parametr RegCount",
    "Interfejs nie zainicjowany", "Timeout",
    "Nie nawiązane połączenie",   "Ramka odpowiedzi za dluga",
    "Błąd zamknięcia połączenia",
};
constexpr std::string_view kGatewayCode = "Bramka zwróciła kod błędu: ";
constexpr int kCodes = static_cast<int>(std::size(kTexts));

char* PutDigits(char* p, long value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return p + width;
}

}  // namespace

namespace talvo {

void CopyText(std::string_view text, char* buffer, int32_t maxLen) {
    const std::string_view shown =
        platform::Utf8Prefix(text, std::string_view::npos, maxLen > 0 ? static_cast<size_t>(maxLen) : 0);
    std::memcpy(buffer, shown.data(), shown.size());
    buffer[shown.size()] = '\0';
}

}  // namespace talvo

extern "C" {

void TALVOGetErrorDescription(int32_t Code, char* Buffer, int32_t MaxLen) noexcept {
    if (Buffer == nullptr) return;
    char text[80];
    std::string_view source;
    if (Code <= 0 && Code > -kCodes) {
        source = kTexts[-Code];
    } else {
        std::memcpy(text, kGatewayCode.data(), kGatewayCode.size());
        char* end = std::to_chars(text + kGatewayCode.size(), text + sizeof text, Code).ptr;
        source = std::string_view(text, static_cast<size_t>(end - text));
    }
    talvo::CopyText(source, Buffer, MaxLen);
}

void WriteLog(const char* Message, const char* FileName) noexcept {
    if (FileName == nullptr || *FileName == '\0') return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    // yyyy/mm/dd hh:nn:ss.zzz
    char stamp[23];
    char* p = PutDigits(stamp, local.tm_year + 1900L, 4);
    *p++ = '/';
    p = PutDigits(p, local.tm_mon + 1L, 2);
    *p++ = '/';
    p = PutDigits(p, local.tm_mday, 2);
    *p++ = ' ';
    p = PutDigits(p, local.tm_hour, 2);
    *p++ = ':';
    p = PutDigits(p, local.tm_min, 2);
    *p++ = ':';
    p = PutDigits(p, local.tm_sec, 2);
    *p++ = '.';
    PutDigits(p, now.tv_nsec / 1000000, 3);
    try {
        std::string line(stamp, sizeof stamp);
        if (Message != nullptr && *Message != '\0') line.append(" ").append(Message);
        line.push_back('\n');
        const platform::TUniqueFd file(::open(FileName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
        if (!file) return;
        // O_APPEND: each line lands at the end, also with several writers.
        for (size_t done = 0; done < line.size();) {
            const ssize_t n = ::write(file.Get(), line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
    } catch (...) {
        // Nothing crosses the library's boundary; a line that cannot be built is dropped.
    }
}

}  // extern "C"
