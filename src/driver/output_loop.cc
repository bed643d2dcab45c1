#include "driver/output_loop.h"

#include "diag/output_channel.h"
#include "render/record_renderer.h"

namespace {

class OutputLoop {
 public:
  OutputLoop(const RunSettings& settings, const DisplayTemplate& tpl)
      : settings_(settings), tpl_(tpl), renderer_(tpl, settings.raw) {}

  void show_all(RecordIndex::Cursor cursor) {
    // Counts compare as unsigned: a limit of -1 never stops the display, and
    // a negative repeat count divides only a count of 0.
    const unsigned long max_jobs = static_cast<unsigned long>(settings_.max_jobs);
    const unsigned long every = static_cast<unsigned long>(settings_.job_count);
    bool header_pending = true;
    do {
      if (!settings_.raw && (header_pending || (every != 0 && jobs_shown_ % every == 0))) {
        renderer_.print_text_list(tpl_.header_lines);
      }
      header_pending = false;
      // Only the head of the index can be a document here; it waits for the loop below.
      if (cursor.entry().is_job && !show(tpl_.job_items, cursor)) return;
      while (!cursor.done() && !cursor.entry().is_job) {
        if (!show(tpl_.document_items, cursor)) return;
      }
    } while (!cursor.done() && jobs_shown_ < max_jobs);
  }

  void finish() {
    if (jobs_shown_ != 0 && !tpl_.trailer_lines.empty() && !output_channel().failed()) {
      renderer_.print_text_list(tpl_.trailer_lines);
    }
  }

 private:
  // Shows the entry under the cursor with `items` and moves on. While the job
  // list is empty nothing is shown, documents included. False once standard
  // output has failed: formatting the rest would be lost work.
  bool show(const DisplayList& items, RecordIndex::Cursor& cursor) {
    const JobEntry entry = cursor.entry();
    cursor.next();
    if (tpl_.job_items.empty()) return true;
    renderer_.render_record(items, entry);
    if (entry.is_job) ++jobs_shown_;
    return !output_channel().failed();
  }

  const RunSettings& settings_;
  const DisplayTemplate& tpl_;
  RecordRenderer renderer_;
  unsigned long jobs_shown_ = 0;
};

}  // namespace

void show_records(const RecordIndex& index, const RunSettings& settings,
                  const DisplayTemplate& tpl) {
  if (index.empty()) return;
  OutputLoop loop(settings, tpl);
  loop.show_all(index.begin());
  loop.finish();
}
