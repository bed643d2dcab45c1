#include "driver/output_loop.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "diag/diagnostics.h"
#include "diag/output_channel.h"
#include "platform/processors.h"
#include "render/record_json.h"
#include "render/record_renderer.h"

namespace {

// The display goes through the index a group at a time: the header when it is
// due, a job, and the documents after it in the index (only the head of the
// index can be a document without a job before it).
struct Position {
  RecordIndex::Cursor cursor;
  unsigned long jobs_shown = 0;
  unsigned long jobs_passed = 0;  // job records the cursor has passed, shown or not
  bool header_pending = true;
  // Set when a raw record was no longer in this log where the scan found it:
  // the display stops there.
  const LogFile* changed_log = nullptr;
};

// Large displays are made in stretches of this many groups, in turn on this
// thread and on a second one, and written out in order. 0 until the first
// display or a test sets it.
size_t stretch_groups = 0;
constexpr size_t kNoStretches = SIZE_MAX / 8;  // more groups than any index holds
// What either thread gathers of a stretch at most: a group that would pass it
// (one large record, or a template that makes much of a small one) is left,
// with the rest of the stretch, to be made straight to standard output when
// the stretch is written. Memory stays bounded whatever a record holds.
constexpr size_t kGatheredMax = size_t{1} << 20;

class DisplayMaker {
 public:
  DisplayMaker(const RunSettings& settings, const DisplayTemplate& tpl,
               const SelectedJobs* selected, OutputChannel& out)
      : settings_(settings),
        tpl_(tpl),
        selected_(selected),
        out_(out),
        renderer_(tpl, settings.raw, out),
        json_(out),
        framed_(!settings.raw && !settings.json) {}

  // Whether another group follows `at`. Counts compare as unsigned: a limit of
  // -1 never stops the display.
  bool more(const Position& at) const {
    return !at.cursor.done() && at.jobs_shown < static_cast<unsigned long>(settings_.max_jobs) &&
           at.changed_log == nullptr;
  }

  // Makes the group at `at` and moves past it; with `render` false only moves.
  void group(Position& at, bool render) {
    if (selected_ != nullptr && !(at.cursor.entry().is_job && selected_->shows(at.jobs_passed))) {
      return pass(at);
    }
    // A negative repeat count divides only a count of 0.
    const unsigned long every = static_cast<unsigned long>(settings_.job_count);
    if (render && framed_ && (at.header_pending || (every != 0 && at.jobs_shown % every == 0))) {
      renderer_.print_text_list(tpl_.header_lines);
    }
    at.header_pending = false;
    if (at.cursor.entry().is_job) show(tpl_.job_items, at, render);
    while (!at.cursor.done() && !at.cursor.entry().is_job && at.changed_log == nullptr) {
      show(tpl_.document_items, at, render);
    }
  }

  // Up to `count` groups from `at` (the first whatever the limit), stopping
  // early once standard output has failed (formatting the rest would be lost
  // work). Returns how many were made.
  size_t groups(Position& at, size_t count) {
    size_t done = 0;
    while (done < count && (done == 0 || more(at))) {
      group(at, true);
      ++done;
      if (output_channel().failed()) break;
    }
    return done;
  }

  // groups() into a gathering channel, stopping before a group whose record
  // is larger than the channel's limit or whose bytes pass it; that group is
  // taken back whole (`at` stays before it). Possibly none is made.
  size_t gathered_groups(Position& at, size_t count) {
    size_t done = 0;
    while (done < count && (done == 0 || more(at))) {
      const JobEntry& head = at.cursor.entry();
      if (head.record_end - head.record_offset > static_cast<int64_t>(kGatheredMax)) break;
      const Position before = at;
      const size_t gathered = out_.gathered_size();
      group(at, true);
      if (out_.gather_overflowed()) {
        out_.rewind_gathered(gathered);
        at = before;
        break;
      }
      ++done;
    }
    return done;
  }

  // The trailer, unless the display stopped short; false when it did so at a
  // changed log, which is reported.
  bool finish(unsigned long jobs_shown, const LogFile* changed_log) {
    if (changed_log != nullptr) {
      error("The file '%s' changed while it was shown.\n", changed_log->name());
      return false;
    }
    if (jobs_shown != 0 && !settings_.follow && !settings_.json && !tpl_.trailer_lines.empty() &&
        !output_channel().failed()) {
      renderer_.print_text_list(tpl_.trailer_lines);
    }
    return true;
  }

 private:
  // Moves past a group that is not shown.
  void pass(Position& at) {
    if (at.cursor.entry().is_job) {
      at.cursor.next();
      ++at.jobs_passed;
    }
    while (!at.cursor.done() && !at.cursor.entry().is_job) at.cursor.next();
  }

  // Shows the entry under the cursor with `items` and moves on. While the job
  // list is empty nothing is shown, documents included.
  void show(const DisplayList& items, Position& at, bool render) {
    const JobEntry entry = at.cursor.entry();
    at.cursor.next();
    if (entry.is_job) ++at.jobs_passed;
    if (settings_.json) {
      if (render) json_.write(entry);
    } else {
      if (tpl_.job_items.empty()) return;  // nor is a job counted
      if (render && !renderer_.render_record(items, entry)) at.changed_log = entry.log;
    }
    if (entry.is_job) ++at.jobs_shown;
  }

  const RunSettings& settings_;
  const DisplayTemplate& tpl_;
  const SelectedJobs* selected_;
  OutputChannel& out_;
  RecordRenderer renderer_;
  RecordJsonWriter json_;
  const bool framed_;  // headers go with a display that a template lays out
};

// A stretch of the display, made into memory by either thread and written out
// in turn by this one.
struct Stretch {
  explicit Stretch(const Position& at) : start(at), end(at) {}
  Position start;
  Position end;       // where its maker stopped: short of `groups` when the bytes grew too many
  size_t groups = 0;  // as planned
  size_t made = 0;    // as made
  std::string bytes;
  enum { kPlanned, kTaken, kMade } state = kPlanned;
};

// Makes stretches into memory with a renderer, a read window and a time cache
// of its own (one for each thread).
class StretchMaker {
 public:
  StretchMaker(const RunSettings& settings, const DisplayTemplate& tpl,
               const SelectedJobs* selected, OutputChannel& like)
      : maker_(settings, tpl, selected, out_) {
    out_.gather_into(&gathered_, like, kGatheredMax);
  }

  void make(Stretch& stretch) {
    gathered_.swap(stretch.bytes);
    gathered_.clear();
    stretch.end = stretch.start;
    stretch.made = maker_.gathered_groups(stretch.end, stretch.groups);
    out_.flush();
    gathered_.swap(stretch.bytes);
  }

 private:
  std::string gathered_;
  OutputChannel out_;
  DisplayMaker maker_;
};

// Both threads take the earliest stretch not yet taken; this thread also plans
// stretches ahead (walking the index, which costs little) and writes out the
// made ones in order.
class ParallelDisplay {
 public:
  ParallelDisplay(const RunSettings& settings, const DisplayTemplate& tpl,
                  const SelectedJobs* selected, DisplayMaker& direct, const Position& start)
      : settings_(settings), tpl_(tpl), selected_(selected), direct_(direct), planned_(start) {
    for (size_t i = 0; i < kInFlight; ++i) ring_.emplace_back(start);
  }

  // False when no second thread could be started.
  bool show_all() {
    // Made here: whether standard output is a terminal is settled before the
    // second thread starts.
    StretchMaker maker(settings_, tpl_, selected_, output_channel());
    StretchMaker helper_maker(settings_, tpl_, selected_, output_channel());
    std::thread helper;
    try {
      helper = std::thread([this, &helper_maker] { help(helper_maker); });
    } catch (const std::system_error&) {
      return false;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    for (bool first = true;; first = false) {
      plan(first);
      if (written_ == planned_count_) break;
      Stretch& next = ring_[written_ % kInFlight];
      if (next.state == Stretch::kMade) {
        lock.unlock();
        const bool written = write(next);
        lock.lock();
        ++written_;
        if (!written) break;
      } else if (Stretch* stretch = take()) {
        lock.unlock();
        maker.make(*stretch);
        lock.lock();
        stretch->state = Stretch::kMade;
      } else {
        changed_.wait(lock);
      }
    }
    stopping_ = true;
    changed_.notify_all();
    lock.unlock();
    helper.join();
    return true;
  }

  unsigned long jobs_shown() const { return jobs_shown_; }
  const LogFile* changed_log() const { return changed_log_; }

 private:
  static constexpr size_t kInFlight = 4;

  // Walks the index for the stretches that have room in the ring.
  void plan(bool first) {
    for (; planned_count_ - written_ < kInFlight && (first || direct_.more(planned_));
         first = false) {
      Stretch& stretch = ring_[planned_count_ % kInFlight];
      stretch.start = planned_;
      stretch.state = Stretch::kPlanned;
      stretch.groups = 0;
      for (; stretch.groups < stretch_groups && (stretch.groups == 0 || direct_.more(planned_));
           ++stretch.groups) {
        direct_.group(planned_, false);
      }
      ++planned_count_;
      changed_.notify_all();
    }
  }

  // The earliest stretch not yet taken, now taken; null when there is none.
  Stretch* take() {
    for (size_t i = written_; i < planned_count_; ++i) {
      Stretch& stretch = ring_[i % kInFlight];
      if (stretch.state == Stretch::kPlanned) {
        stretch.state = Stretch::kTaken;
        return &stretch;
      }
    }
    return nullptr;
  }

  void help(StretchMaker& maker) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      Stretch* stretch = nullptr;
      changed_.wait(lock, [&] { return stopping_ || (stretch = take()) != nullptr; });
      if (stretch == nullptr) return;
      lock.unlock();
      maker.make(*stretch);
      lock.lock();
      stretch->state = Stretch::kMade;
      changed_.notify_all();
    }
  }

  // Writes a made stretch, and makes the rest of one that stopped short
  // straight to standard output. False once standard output has failed.
  bool write(Stretch& stretch) {
    output_channel().append(stretch.bytes);
    Position at = stretch.end;
    if (stretch.made < stretch.groups && !output_channel().failed() && at.changed_log == nullptr) {
      direct_.groups(at, stretch.groups - stretch.made);
    }
    jobs_shown_ = at.jobs_shown;
    changed_log_ = at.changed_log;
    return !output_channel().failed() && changed_log_ == nullptr;
  }

  const RunSettings& settings_;
  const DisplayTemplate& tpl_;
  const SelectedJobs* selected_;
  DisplayMaker& direct_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Stretch> ring_;
  Position planned_;  // where the next stretch to plan begins
  size_t planned_count_ = 0;
  size_t written_ = 0;
  bool stopping_ = false;
  unsigned long jobs_shown_ = 0;
  const LogFile* changed_log_ = nullptr;
};

}  // namespace

void set_display_stretch(size_t groups) { stretch_groups = groups > 0 ? groups : 1; }

bool show_records(const RecordIndex& index, const RunSettings& settings, const DisplayTemplate& tpl,
                  const SelectedJobs* selected, DisplayCount* count) {
  DisplayMaker direct(settings, tpl, selected, output_channel());
  Position at{index.begin()};
  if (settings.follow) {
    while (!at.cursor.done() && !at.cursor.entry().is_job) at.cursor.next();
  }
  if (at.cursor.done()) return true;
  if (count != nullptr) count->header_written = true;
  if (stretch_groups == 0) stretch_groups = has_second_processor() ? 512 : kNoStretches;
  if (index.size() > 4 * stretch_groups) {
    ParallelDisplay display(settings, tpl, selected, direct, at);
    if (display.show_all()) {
      if (count != nullptr) count->jobs_shown = display.jobs_shown();
      return direct.finish(display.jobs_shown(), display.changed_log());
    }
  }
  direct.groups(at, index.size());
  if (count != nullptr) count->jobs_shown = at.jobs_shown;
  return direct.finish(at.jobs_shown, at.changed_log);
}
