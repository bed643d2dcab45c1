#pragma once

#include <memory>

#include "diag/output_channel.h"
#include "joblog/record_index.h"
#include "template/display_template.h"

// Writes the display: records laid out by a display list, header and trailer
// texts, and in raw mode records exactly as stored. Everything goes to `out`,
// the output channel unless a part of the display is gathered elsewhere; no
// location prefix applies during the display.
class RecordRenderer {
 public:
  RecordRenderer(const DisplayTemplate& tpl, bool raw_mode, OutputChannel& out = output_channel());
  ~RecordRenderer();
  RecordRenderer(const RecordRenderer&) = delete;
  RecordRenderer& operator=(const RecordRenderer&) = delete;

  // Writes the record of `entry` through `items` (the job or the document list
  // of the template given to the constructor); in raw mode, as stored. False
  // when its log no longer holds the raw record where the scan found it
  // (render/raw_record.h): the display is to stop there.
  bool render_record(const DisplayList& items, const JobEntry& entry);

  // Writes the texts of a header or trailer list, nothing added.
  void print_text_list(const DisplayList& list);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
