#pragma once

#include <cstdio>

#include "driver/output_loop.h"
#include "driver/run_settings.h"
#include "platform/named_lock.h"
#include "select/job_selection.h"
#include "template/display_template.h"

// Follow mode after the first display, entered with the lock held: shows each
// job that the log's writer adds, after its documents have come, until a stop
// signal (status 0), a reader that has gone away (0), a failed write or a
// lock not had within --wait (1). `stream` is the log the first display read;
// with `selection`, only the jobs it chooses are shown, with their documents.
int follow_log(const RunSettings& settings, const DisplayTemplate& tpl,
               const JobSelection* selection, std::FILE* stream, LockHandle lock,
               DisplayCount count);
