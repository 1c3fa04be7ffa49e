// The match search spread over threads must give the bytes of the one-thread search for any
// shape: guessed segments are taken only when their tree equals the true one.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/lh5_matches.h"

namespace pomix {
namespace {

using lh5::SearchReport;
using lh5::SearchShape;

constexpr std::int64_t kWindow = 8192;

Bytes CompressWith(const Bytes& input, const SearchShape& shape, SearchReport* report = nullptr) {
    MemoryStream source(input), target;
    const SearchReport r = lh5::CompressWith(source, target, shape);
    if (report != nullptr) *report = r;
    return target.TakeData();
}

Bytes OneThread(const Bytes& input) {
    return CompressWith(input, SearchShape{1, 0, 0});
}

// Pieces of prose, long runs (256-byte matches replace leaves), random bytes and records,
// so that segments start in every kind of state.
Bytes Mixed(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    static const char* const kWords[] = {
        "meeting ", "birthday ", "the ", "of ", "\xe4\xee\xeb\xe3 ", "\xea\xed\xe8\xe3\xe0 ",
        ", ",       ".\r\n"};
    Bytes out;
    while (out.size() < size) {
        const std::size_t piece = 500 + rng() % 20000;
        const unsigned kind = rng() % 4;
        for (std::size_t i = 0; i < piece && out.size() < size; ++i) {
            if (kind == 0) {
                const char* w = kWords[rng() % std::size(kWords)];
                out.insert(out.end(), w, w + std::strlen(w));
            } else if (kind == 1) {
                out.insert(out.end(), 1 + rng() % 600, static_cast<std::uint8_t>(rng() % 2));
                i += 300;
            } else if (kind == 2) {
                out.push_back(static_cast<std::uint8_t>(rng()));
            } else {
                const std::uint8_t rec[8] = {static_cast<std::uint8_t>(i), 0, 'N', 'o',
                                             static_cast<std::uint8_t>('0' + rng() % 3)};
                out.insert(out.end(), rec, rec + 8);
            }
        }
    }
    out.resize(size);
    return out;
}

struct ShapeCase {
    const char* name;
    SearchShape shape;
};

class Lh5SpreadSearch : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Lh5SpreadSearch, GivesTheOneThreadBytes) {
    for (const std::size_t size : {std::size_t{3 * 8192 + 17}, std::size_t{200000}}) {
        const Bytes input = Mixed(size, static_cast<unsigned>(size));
        EXPECT_TRUE(CompressWith(input, GetParam().shape) == OneThread(input)) << size;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Lh5SpreadSearch,
    ::testing::Values(ShapeCase{"two_threads_short_warm_up", {2, 2 * kWindow, kWindow}},
                      ShapeCase{"two_threads", {2, 4 * kWindow, 2 * kWindow}},
                      ShapeCase{"three_threads", {3, 3 * kWindow, kWindow}},
                      ShapeCase{"four_threads_long_warm_up", {4, 10 * kWindow, 8 * kWindow}},
                      ShapeCase{"sizes_not_in_windows", {2, 3 * kWindow - 5, kWindow + 9}},
                      ShapeCase{"absurd_values", {-3, -1, -1}}),
    [](const auto& info) { return std::string(info.param.name); });

// Both outcomes of the check must occur, or one of the two paths goes untested: a warm-up
// of one window leaves marks unsettled, one of eight windows settles them on such input.
TEST(Lh5SpreadSearch, GuessesAreTakenAfterALongWarmUpAndRedoneAfterAShortOne) {
    const Bytes input = Mixed(900000, 7);
    const Bytes expected = OneThread(input);
    SearchReport shortWarmUp, longWarmUp;
    EXPECT_TRUE(CompressWith(input, {2, 2 * kWindow, kWindow}, &shortWarmUp) == expected);
    EXPECT_TRUE(CompressWith(input, {2, 10 * kWindow, 8 * kWindow}, &longWarmUp) == expected);
    EXPECT_GT(shortWarmUp.rejected, 0);
    EXPECT_GT(longWarmUp.accepted, 0);
    EXPECT_GT(longWarmUp.accepted, longWarmUp.rejected);
}

// A segment too short for its warm-up's text buffer to hold input only is searched on by the
// true search instead of guessed; the end of the input (bytes past it take part in the
// search) stays exact.
TEST(Lh5SpreadSearch, InputEndingJustAfterASegmentBoundary) {
    for (const std::int64_t extra : {1, 100, 255, 256, 257, 8191, 8192, 8193}) {
        const Bytes input = Mixed(static_cast<std::size_t>(4 * kWindow + extra), 3);
        EXPECT_TRUE(CompressWith(input, {2, 4 * kWindow, kWindow}) == OneThread(input)) << extra;
    }
}

// A source that claims more bytes than it gives.
class ShortSource final : public Stream {
public:
    explicit ShortSource(Bytes bytes) : inner_(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        return inner_.Read(buffer, count);
    }
    void Write(const void*, std::size_t) override {}
    std::uint64_t Size() const override { return inner_.Size() + 50000; }
    std::uint64_t Position() const override { return inner_.Position(); }
    void Seek(std::uint64_t position) override { inner_.Seek(position); }

private:
    MemoryStream inner_;
};

TEST(Lh5SpreadSearch, ReadErrorsOfTheSourceReachTheCaller) {
    for (const int threads : {1, 2}) {
        ShortSource source(Mixed(100000, 5));
        MemoryStream target;
        EXPECT_THROW(lh5::CompressWith(source, target, {threads, 2 * kWindow, kWindow}),
                     EStreamReadError);
    }
}

}  // namespace
}  // namespace pomix
