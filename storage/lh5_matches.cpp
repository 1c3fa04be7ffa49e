#include "storage/lh5_matches.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>

#include "storage/errors.h"

namespace pomix::lh5 {

namespace {

constexpr int kMaxThreads = 4;

}  // namespace

SearchShape SearchShape::Default() {
    return SearchShape{static_cast<int>(std::thread::hardware_concurrency()), 128 * kDicSize,
                       8 * kDicSize};
}

MatchFinder::MatchFinder() : dictionary_(text_) {}

void MatchFinder::Start(const InputView& input, std::int64_t q) {
    dictionary_.Clear();
    q_ = q;
    pos_ = kDicSize;
    previous_ = Match{};
    dictionary_.SetBase(q - kDicSize);
    if (q == 0) {
        std::memset(text_, 0, sizeof text_);
        const auto n = std::min<std::int64_t>(input.length, kDicSize + kMaxMatch);
        if (n > 0) std::memcpy(text_ + kDicSize, input.At(0), static_cast<std::size_t>(n));
    } else {
        std::memcpy(text_, input.At(q - kDicSize), sizeof text_);
    }
}

void MatchFinder::Slide(const InputView& input) {
    std::memmove(text_, text_ + kDicSize, kDicSize + kMaxMatch);
    const std::int64_t from = q_ + kMaxMatch;
    const std::int64_t to = std::min(input.length, from + kDicSize);
    if (to > from) {
        std::memcpy(text_ + kDicSize + kMaxMatch, input.At(from),
                    static_cast<std::size_t>(to - from));
    }
    pos_ = kDicSize;
    dictionary_.SetBase(q_ - kDicSize);
}

void MatchFinder::Run(const InputView& input, std::int64_t count, Found* found) {
    while (count > 0) {
        if (pos_ == 2 * kDicSize) Slide(input);
        const int run = static_cast<int>(std::min<std::int64_t>(count, 2 * kDicSize - pos_));
        previous_ = dictionary_.Steps(q_, run, previous_, input.length - q_, found);
        if (found != nullptr) found += run;
        q_ += run;
        pos_ += run;
        count -= run;
    }
}

void MatchFinder::CopyFrom(const MatchFinder& other) {
    std::memcpy(text_, other.text_, sizeof text_);
    pos_ = other.pos_;
    q_ = other.q_;
    previous_ = other.previous_;
    dictionary_.CopyFrom(other.dictionary_);
}

bool MatchFinder::SameState(const MatchFinder& other) const {
    // The previous match steers the next search only from length 4 on.
    const bool samePrevious =
        previous_.length == other.previous_.length &&
        (previous_.length < 4 || previous_.position == other.previous_.position);
    return q_ == other.q_ && pos_ == other.pos_ && samePrevious &&
           std::memcmp(text_, other.text_, sizeof text_) == 0 &&
           dictionary_.SameState(other.dictionary_);
}

struct MatchSearch::Job {
    std::int64_t first = 0;
    std::int64_t count = 0;
    std::vector<Found> found;
    // A job after the first of its round searches with a tree of its own, and keeps a copy
    // of it as it stood at the segment's start for the check against the true search.
    std::unique_ptr<MatchFinder> finder;
    std::unique_ptr<MatchFinder> start;

    void Guess(const InputView& input, std::int64_t warmUp) {
        finder->Start(input, first - warmUp);
        finder->Run(input, warmUp, nullptr);
        start->CopyFrom(*finder);
        finder->Run(input, count, found.data());
    }
};

MatchSearch::MatchSearch(Stream& source, std::int64_t length, const SearchShape& shape)
    : source_(source), length_(length), shape_(shape) {
    shape_.threads = std::clamp(shape_.threads, 1, kMaxThreads);
    // Warm-ups start at window boundaries inside the round's input.
    shape_.warmUp = std::max<std::int64_t>(1, shape_.warmUp / kDicSize) * kDicSize;
    shape_.segment = std::max(shape_.segment / kDicSize * kDicSize, shape_.warmUp + kDicSize);
}

MatchSearch::~MatchSearch() = default;

InputView MatchSearch::View() const {
    return InputView{buffer_.data(), bufferFirst_, static_cast<std::int64_t>(buffer_.size()),
                     length_};
}

// Keeps input bytes [from, to) in the buffer, reading on from the source as needed.
void MatchSearch::Fill(std::int64_t from, std::int64_t to) {
    const auto drop = static_cast<std::size_t>(std::max<std::int64_t>(0, from - bufferFirst_));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(drop));
    bufferFirst_ += static_cast<std::int64_t>(drop);
    std::size_t have = buffer_.size();
    const auto want = static_cast<std::size_t>(to - bufferFirst_);
    if (want <= have) return;
    buffer_.resize(want);
    while (have < want) {
        const std::size_t n = source_.Read(buffer_.data() + have, want - have);
        if (n == 0) throw EStreamReadError();
        have += n;
    }
}

void MatchSearch::RunRound() {
    const std::int64_t first = next_;
    if (!true_) {
        true_ = std::make_unique<MatchFinder>();
        Fill(0, std::min<std::int64_t>(length_, kDicSize + kMaxMatch));
        true_->Start(View(), 0);
    }
    // A guessing job needs its warm-up's text buffer to hold input only.
    int count = 0;
    std::int64_t end = first;
    while (count < shape_.threads && end < length_ &&
           (count == 0 || end - shape_.warmUp + kDicSize + kMaxMatch <= length_)) {
        end = std::min(length_, end + shape_.segment);
        ++count;
    }
    while (static_cast<int>(jobs_.size()) < count) jobs_.push_back(std::make_unique<Job>());
    for (int i = 0; i < count; ++i) {
        Job& job = *jobs_[static_cast<std::size_t>(i)];
        job.first = first + i * shape_.segment;
        job.count = std::min(shape_.segment, length_ - job.first);
        job.found.resize(static_cast<std::size_t>(job.count));
        if (i > 0 && !job.finder) {
            job.finder = std::make_unique<MatchFinder>();
            job.start = std::make_unique<MatchFinder>();
        }
    }
    Fill(std::max<std::int64_t>(0, first - 1), std::min(length_, end + kDicSize + kMaxMatch));
    const InputView input = View();

    std::vector<std::thread> helpers;
    struct Joiner {
        std::vector<std::thread>& threads;
        ~Joiner() {
            for (auto& t : threads) t.join();
        }
    } joiner{helpers};
    for (int i = 1; i < count; ++i) {
        Job* job = jobs_[static_cast<std::size_t>(i)].get();
        const std::int64_t warmUp = shape_.warmUp;
        try {
            helpers.emplace_back([job, &input, warmUp] { job->Guess(input, warmUp); });
        } catch (const std::system_error&) {
            job->Guess(input, warmUp);  // no thread to be had: the work is the same
        }
    }
    true_->Run(input, jobs_[0]->count, jobs_[0]->found.data());
    for (auto& t : helpers) t.join();
    helpers.clear();

    ready_ = 1;
    while (ready_ < count) {
        const Job& job = *jobs_[static_cast<std::size_t>(ready_)];
        const MatchFinder& truth =
            ready_ == 1 ? *true_ : *jobs_[static_cast<std::size_t>(ready_ - 1)]->finder;
        if (!job.start->SameState(truth)) break;
        ++ready_;
    }
    report_.accepted += ready_ - 1;
    report_.rejected += count - ready_;
    if (ready_ > 1) std::swap(true_, jobs_[static_cast<std::size_t>(ready_ - 1)]->finder);
    given_ = 0;
    next_ = first;
    for (int i = 0; i < ready_; ++i) next_ += jobs_[static_cast<std::size_t>(i)]->count;
}

bool MatchSearch::Next(Stretch& stretch) {
    if (given_ == ready_) {
        if (next_ >= length_) return false;
        RunRound();
    }
    const Job& job = *jobs_[static_cast<std::size_t>(given_++)];
    stretch = Stretch{job.first, job.count, job.found.data(), View()};
    return true;
}

}  // namespace pomix::lh5
