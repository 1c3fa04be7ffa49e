// Arbitrary debt subjects through ParseAmount, under either decimal separator: an amount is
// only ever read from a subject that begins with a digit, it is a 6-byte real that converts
// back to itself, and the text FormatAmount gives for it reads back to the same sum to the
// cent.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "debts/real48.h"
#include "debts/statistics.h"
#include "storage/locale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = data[0] & 1 ? '.' : ',';
    pomix::SetLocale(std::make_unique<pomix::FixedLocale>(separator));
    const std::string subject(reinterpret_cast<const char*>(data + 1), size - 1);

    const pomix::ParsedAmount parsed = pomix::ParseAmount(subject);
    if (parsed.CurrencyKind > pomix::kNotAnAmount) __builtin_trap();
    if (parsed.CurrencyKind == pomix::kNotAnAmount) return 0;
    if (subject.empty() || subject[0] < '0' || subject[0] > '9') __builtin_trap();

    const long double value = pomix::FromReal48(parsed.Amount);
    if (!(value >= 0)) __builtin_trap();
    const auto back = pomix::ToReal48(value);
    if (!back || !(*back == parsed.Amount)) __builtin_trap();

    // Below 1e15 the text is plain fixed point, which the parser reads.
    if (value < 1e15L) {
        const std::string text = pomix::FormatAmount(value);
        const pomix::ParsedAmount reread =
            pomix::ParseAmount(text + (parsed.CurrencyKind == pomix::kDollars ? " $" : " USD"));
        if (reread.CurrencyKind != pomix::kDollars) __builtin_trap();
        const long double difference = std::fabs(pomix::FromReal48(reread.Amount) - value);
        // Two decimals kept, then rounded again to the real's 40 bits.
        if (difference > 0.005L + value * 1e-11L) __builtin_trap();
    }
    return 0;
}
