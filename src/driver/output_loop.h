#pragma once

#include "driver/run_settings.h"
#include "joblog/record_index.h"
#include "template/display_template.h"

// Shows the records of a non-empty index: each job followed by the documents
// after it in the index, the header at the start and every job_count jobs,
// up to max_jobs jobs, then the trailer after at least one job. Stops early
// once standard output has failed.
void show_records(const RecordIndex& index, const RunSettings& settings,
                  const DisplayTemplate& tpl);
