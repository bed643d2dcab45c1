#pragma once

#include <cstddef>

#include "driver/run_settings.h"
#include "joblog/record_index.h"
#include "select/job_selection.h"
#include "template/display_template.h"

// Shows the records of a non-empty index: each job followed by the documents
// after it in the index, the header at the start and every job_count jobs,
// up to max_jobs jobs, then the trailer after at least one job. Stops early
// once standard output has failed. In raw mode it stops, with no trailer, at
// a record that its log no longer holds where the scan found it (a writer
// that ignored the lock cut or rewrote it): then, with the message "The file
// '%s' changed while it was shown.", it returns false. With `selected`, only
// the jobs it shows are shown, each with its documents, and documents with no
// job before them in the index are not; counts are of the jobs shown.
//
// In follow mode the documents at the head of the index (those no job follows
// yet) wait for their job, no trailer is written, and `count` tells the
// follow loop how far the display came.
struct DisplayCount {
  unsigned long jobs_shown = 0;
  bool header_written = false;
};
bool show_records(const RecordIndex& index, const RunSettings& settings, const DisplayTemplate& tpl,
                  const SelectedJobs* selected = nullptr, DisplayCount* count = nullptr);

// A display of more than four stretches of `groups` groups is made on two
// threads, a stretch at a time: 512 on a machine with a second processor,
// else none. For tests and fuzz targets, which compare both ways on small logs.
void set_display_stretch(size_t groups);
