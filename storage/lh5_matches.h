// Private to the lh5 encoder: the match at every input position, searched on several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "storage/lh5_dictionary.h"
#include "storage/lh5_format.h"
#include "storage/stream.h"

namespace pomix::lh5 {

// Input bytes from first on, held at data, of an input of length bytes.
struct InputView {
    const std::uint8_t* data = nullptr;
    std::int64_t first = 0;
    std::int64_t length = 0;

    const std::uint8_t* At(std::int64_t position) const { return data + (position - first); }
};

// The dictionary tree over the encoder's text buffer: two windows plus the longest match,
// the current position running from offset 8192 to 16383 and the buffer sliding down one
// window each time it reaches the end. Bytes past the end of the input take part in the
// search (zeros at first, after a slide whatever was left there) and matches are cut to the
// input left, so the slides are kept exactly as they are: they decide those bytes.
class MatchFinder {
public:
    MatchFinder();
    MatchFinder(const MatchFinder&) = delete;
    MatchFinder& operator=(const MatchFinder&) = delete;

    // Starts afresh at position 0, or at q, a multiple of 8192 whose text buffer holds input
    // only (q + 8448 bytes at most the input length). A start after 0 knows nothing of what
    // came before: its results count only once its state is found equal to the true one.
    void Start(const InputView& input, std::int64_t q);
    // Searches the next count positions; the result for the i-th goes to found[i] (found may
    // be null). input must hold the bytes that the slides read.
    void Run(const InputView& input, std::int64_t count, Found* found);

    void CopyFrom(const MatchFinder& other);
    // Whether both, at the same position, give the same results from here on.
    bool SameState(const MatchFinder& other) const;

private:
    static constexpr int kTextSize = 2 * kDicSize + kMaxMatch;
    void Slide(const InputView& input);

    std::uint8_t text_[kTextSize] = {};
    int pos_ = kDicSize;  // offset in text_ of the next position
    std::int64_t q_ = 0;  // the next position
    Match previous_;      // the match found at q_ - 1
    Dictionary dictionary_;
};

// How the search is spread: threads searching at once, positions per segment (large enough that the
// warm-up costs little, small enough that a segment searched again costs little) and the warm-up of
// a fresh tree (after one window it holds every string of the window; its recorded positions and
// marks take some windows more to settle to those of the true search). Sizes are taken in whole
// windows.
struct SearchShape {
    int threads;
    std::int64_t segment;
    std::int64_t warmUp;

    static SearchShape Default();
};

// Segments whose guessed results were taken, and those searched again.
struct SearchReport {
    int accepted = 0;
    int rejected = 0;
};

// The match at each input position in turn, read from source. The input goes in segments:
// the first segment of each round continues the true search; the others, searched at the
// same time on threads of their own, start from a fresh tree a warm-up earlier, and their
// results are taken only when their tree at the segment's start is found equal to the true
// one. Otherwise the segment is searched again in the next round. A round searches while the
// caller parses the results of the round before. The results are those of one search from
// the start, whatever the shape; memory is fixed by the segment size and thread count.
class MatchSearch {
public:
    MatchSearch(Stream& source, std::int64_t length, const SearchShape& shape);
    ~MatchSearch();

    // The next results: found[i] for position first + i, count of them, and the input bytes
    // from first - 1 on. False once every position has been given. A stretch stays valid
    // until the next call.
    struct Stretch {
        std::int64_t first;
        std::int64_t count;
        const Found* found;
        InputView input;
    };
    bool Next(Stretch& stretch);
    const SearchReport& Report() const { return report_; }

private:
    struct Job;
    struct Round;
    void Fill(std::int64_t from, std::int64_t to);
    InputView View() const;
    void Launch(Round& round, std::int64_t keep, bool firstHere);
    void Finish(Round& round);

    Stream& source_;
    std::int64_t length_;
    SearchShape shape_;
    SearchReport report_;
    std::vector<std::uint8_t> buffer_;  // input bytes [bufferFirst_, bufferFirst_ + size)
    std::int64_t bufferFirst_ = 0;
    std::int64_t next_ = 0;              // first position not yet searched
    std::unique_ptr<MatchFinder> true_;  // the true search, at next_ once its round is done
    std::unique_ptr<Round> rounds_[2];   // the one searching and the one being parsed
    Round* running_ = nullptr;           // the round searching now
    Round* giving_ = nullptr;            // the round whose results Next hands out
    int given_ = 0;
};

// Compress with the search spread as given: the output is the same for every shape.
SearchReport CompressWith(Stream& source, Stream& target, const SearchShape& shape);

}  // namespace pomix::lh5
