// Arbitrary debt subjects through ParseAmount: an amount is only ever read from a subject that
// begins with a digit, it is never negative, the program's decimal separator changes nothing,
// and the text FormatAmount gives for it, with either separator, reads back to the same
// kopecks.
#include <cstdint>
#include <memory>
#include <string>

#include "core/debts/statistics.h"
#include "storage/locale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = data[0] & 1 ? '.' : ',';
    const std::string subject(reinterpret_cast<const char*>(data + 1), size - 1);

    pomix::SetLocale(std::make_unique<pomix::FixedLocale>(','));
    const pomix::ParsedAmount parsed = pomix::ParseAmount(subject);
    pomix::SetLocale(std::make_unique<pomix::FixedLocale>('.'));
    const pomix::ParsedAmount other = pomix::ParseAmount(subject);
    if (other.CurrencyKind != parsed.CurrencyKind || other.Amount != parsed.Amount ||
        other.TooLarge != parsed.TooLarge) {
        __builtin_trap();
    }
    if (parsed.CurrencyKind > pomix::kNotAnAmount) __builtin_trap();
    if (parsed.TooLarge && parsed.CurrencyKind != pomix::kNotAnAmount) __builtin_trap();
    if (parsed.CurrencyKind == pomix::kNotAnAmount) return 0;
    if (subject.empty() || subject[0] < '0' || subject[0] > '9') __builtin_trap();
    if (parsed.Amount < 0) __builtin_trap();

    const std::string text = pomix::FormatAmount(parsed.Amount, separator);
    const pomix::ParsedAmount reread = pomix::ParseAmount(text + " $");
    if (reread.CurrencyKind != pomix::kDollars || reread.Amount != parsed.Amount) __builtin_trap();
    return 0;
}
