// The match search spread over threads must give the bytes of the one-thread search for any
// shape: guessed segments are taken only when their tree equals the true one.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/lh5.h"
#include "storage/lh5_matches.h"
#include "storage/tests/lh5_inputs.h"

namespace pomix {
namespace {

using lh5::SearchReport;
using lh5::SearchShape;
using testing::Mixed;

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

struct ShapeCase {
    const char* name;
    SearchShape shape;
};

void PrintTo(const ShapeCase& c, std::ostream* os) {
    *os << c.name << " (" << c.shape.threads << " threads, segment " << c.shape.segment
        << ", warm-up " << c.shape.warmUp << ")";
}

class Lh5SpreadSearch : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Lh5SpreadSearch, GivesTheOneThreadBytes) {
    // Prose keeps the tree's recorded positions and marks unsettled longest, so short
    // warm-ups guess wrong there most often.
    const Bytes inputs[] = {Mixed(3 * 8192 + 17, 1), Mixed(200000, 2),
                            testing::Generate("text", 150000, 3)};
    for (const Bytes& input : inputs) {
        EXPECT_TRUE(CompressWith(input, GetParam().shape) == OneThread(input)) << input.size();
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
