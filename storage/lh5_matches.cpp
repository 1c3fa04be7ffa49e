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

// The jobs of one round: they run while the caller parses the results of the round before.
struct MatchSearch::Round {
    std::vector<std::unique_ptr<Job>> jobs;
    int count = 0;  // jobs in this round
    int ready = 0;  // of them, those whose results stand
    InputView input;
    std::vector<std::thread> threads;

    void Join() {
        for (auto& t : threads) t.join();
        threads.clear();
    }
};

MatchSearch::MatchSearch(Stream& source, std::int64_t length, const SearchShape& shape)
    : source_(source), length_(length), shape_(shape) {
    shape_.threads = std::clamp(shape_.threads, 1, kMaxThreads);
    // Warm-ups start at window boundaries inside the round's input.
    shape_.warmUp = std::max<std::int64_t>(1, shape_.warmUp / kDicSize) * kDicSize;
    shape_.segment = std::max(shape_.segment / kDicSize * kDicSize, shape_.warmUp + kDicSize);
    for (auto& round : rounds_) round = std::make_unique<Round>();
}

MatchSearch::~MatchSearch() {
    for (auto& round : rounds_) round->Join();
}

InputView MatchSearch::View() const {
    return InputView{buffer_.data(), bufferFirst_, length_};
}

// Keeps input bytes [from, to) in the buffer, reading on from the source as needed. Only
// called while no round runs: the jobs read the buffer.
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

// Starts the round at next_, keeping the input from keep on for the results being parsed.
// The first job continues the true search; it runs here when there is nothing to parse.
void MatchSearch::Launch(Round& round, std::int64_t keep, bool firstHere) {
    const std::int64_t first = next_;
    // The first job takes a warm-up's length more, as the others spend it before their
    // segment. A guessing job needs its warm-up's text buffer to hold input only.
    const std::int64_t firstCount =
        std::min(length_ - first, shape_.segment + (shape_.threads > 1 ? shape_.warmUp : 0));
    round.count = 0;
    std::int64_t end = first;
    while (round.count < shape_.threads && end < length_ &&
           (round.count == 0 || end - shape_.warmUp + kDicSize + kMaxMatch <= length_)) {
        if (static_cast<int>(round.jobs.size()) == round.count) {
            round.jobs.push_back(std::make_unique<Job>());
        }
        Job& job = *round.jobs[static_cast<std::size_t>(round.count)];
        job.first = end;
        job.count = round.count == 0 ? firstCount : std::min(shape_.segment, length_ - end);
        job.found.resize(static_cast<std::size_t>(job.count));
        if (round.count > 0 && !job.finder) {
            job.finder = std::make_unique<MatchFinder>();
            job.start = std::make_unique<MatchFinder>();
        }
        end += job.count;
        ++round.count;
    }
    Fill(std::max<std::int64_t>(0, keep), std::min(length_, end + kDicSize + kMaxMatch));
    round.input = View();

    const InputView* input = &round.input;
    MatchFinder* truth = true_.get();
    const std::int64_t warmUp = shape_.warmUp;
    for (int i = firstHere ? 1 : 0; i < round.count; ++i) {
        Job* job = round.jobs[static_cast<std::size_t>(i)].get();
        auto work = [job, input, truth, warmUp, i] {
            if (i == 0) {
                truth->Run(*input, job->count, job->found.data());
            } else {
                job->Guess(*input, warmUp);
            }
        };
        try {
            round.threads.emplace_back(work);
        } catch (const std::system_error&) {
            work();  // no thread to be had: the work is the same
        }
    }
    if (firstHere) {
        Job& job = *round.jobs[0];
        true_->Run(round.input, job.count, job.found.data());
    }
}

// Waits for the round and takes the guesses that hold, in order, up to the first that fails.
void MatchSearch::Finish(Round& round) {
    round.Join();
    round.ready = 1;
    while (round.ready < round.count) {
        const Job& job = *round.jobs[static_cast<std::size_t>(round.ready)];
        const MatchFinder& truth =
            round.ready == 1 ? *true_
                             : *round.jobs[static_cast<std::size_t>(round.ready - 1)]->finder;
        if (!job.start->SameState(truth)) break;
        ++round.ready;
    }
    report_.accepted += round.ready - 1;
    report_.rejected += round.count - round.ready;
    if (round.ready > 1) {
        std::swap(true_, round.jobs[static_cast<std::size_t>(round.ready - 1)]->finder);
    }
    const Job& last = *round.jobs[static_cast<std::size_t>(round.ready - 1)];
    next_ = last.first + last.count;
}

bool MatchSearch::Next(Stretch& stretch) {
    if (giving_ == nullptr || given_ == giving_->ready) {
        if (running_ == nullptr) {
            if (next_ >= length_) return false;
            true_ = std::make_unique<MatchFinder>();
            Fill(0, std::min<std::int64_t>(length_, kDicSize + kMaxMatch));
            true_->Start(View(), 0);
            running_ = rounds_[0].get();
            Launch(*running_, 0, true);
        }
        Finish(*running_);
        giving_ = running_;
        given_ = 0;
        running_ = nullptr;
        if (next_ < length_) {
            running_ = (giving_ == rounds_[0].get() ? rounds_[1] : rounds_[0]).get();
            Launch(*running_, giving_->jobs[0]->first - 1, false);
        }
    }
    const Job& job = *giving_->jobs[static_cast<std::size_t>(given_++)];
    stretch = Stretch{job.first, job.count, job.found.data(), View()};
    return true;
}

}  // namespace pomix::lh5
