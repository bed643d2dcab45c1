#include "render/record_renderer.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "diag/output_channel.h"
#include "render/attribute_lookup.h"
#include "render/field_format.h"
#include "render/job_identifier.h"
#include "render/log_fields.h"
#include "render/raw_record.h"
#include "render/time_value.h"
#include "render/value_escape.h"

namespace {

// A display item prepared once for the whole display.
struct CompiledItem {
  const DisplayItem* item;
  bool is_identifier;  // "job-identifier": built from the header text
  LogField log_field;  // a field of the record's log, never looked up in its lines
  int name_id;         // for other attributes: the id in the list's WantedNames
  FieldFormat format;
  std::string_view leading;  // written as C strings: up to a NUL, if one were there
  std::string_view trailing;
};

std::string_view text_of(const std::optional<std::string>& text) {
  return text ? std::string_view(text->c_str()) : std::string_view();
}

struct CompiledList {
  const DisplayList* source = nullptr;
  WantedNames wanted;
  std::vector<CompiledItem> items;
};

void compile(const DisplayList& list, CompiledList& out) {
  out.source = &list;
  for (const DisplayItem& item : list) {
    const std::string_view name = item.attribute_name ? *item.attribute_name : std::string_view{};
    const bool is_identifier = name == "job-identifier";
    const LogField log_field = log_field_named(name);
    const int id =
        is_identifier || log_field != LogField::kNone ? WantedNames::kNone : out.wanted.add(name);
    out.items.push_back(CompiledItem{&item, is_identifier, log_field, id,
                                     FieldFormat(item.field_width ? *item.field_width : ""),
                                     text_of(item.leading_text), text_of(item.trailing_text)});
  }
}

}  // namespace

struct RecordRenderer::Impl {
  const DisplayTemplate& tpl;
  bool raw_mode;
  CompiledList job_list;
  CompiledList document_list;
  CompiledList other_list;
  RecordView record;
  OutputChannel& out;
  std::string identifier;           // a value built by an identifier pattern
  std::string number;               // a log field's number as text
  const JobEntry* entry = nullptr;  // the record being shown

  Impl(const DisplayTemplate& t, bool raw, OutputChannel& o) : tpl(t), raw_mode(raw), out(o) {
    compile(tpl.job_items, job_list);
    compile(tpl.document_items, document_list);
  }

  const CompiledList& compiled_for(const DisplayList& list) {
    if (&list == job_list.source) return job_list;
    if (&list == document_list.source) return document_list;
    // Any other list is prepared when it comes and kept until another comes.
    if (&list != other_list.source) {
      other_list = CompiledList{};
      compile(list, other_list);
    }
    return other_list;
  }

  // Writes one value with its leading text, field and trailing text.
  void write_value(const CompiledItem& c, std::string_view text) {
    const DisplayItem& item = *c.item;
    out.append(c.leading);
    if (item.value_kind == ValueKind::kTime) {
      bool unreadable = false;
      text =
          format_time_value(text, item.value_format ? item.value_format->c_str() : "", &unreadable);
      // An export says that the time is not known rather than show 1970.
      if (unreadable && item.escaping != Escaping::kNone) {
        out.append(missing_value(item.escaping));
        out.append(c.trailing);
        return;
      }
    }
    if (item.escaping == Escaping::kNone) {
      c.format.write(text, out);
    } else {
      const FieldFormat::Placed field = c.format.place_whole_characters(text);
      write_escaped(item.escaping, field.left, field.text, field.right, out);
    }
    out.append(c.trailing);
  }

  // An export shows a missing value, whatever the fill, so that rows keep
  // their columns and no time stands in for it.
  void write_missing(const CompiledItem& c) {
    out.append(c.leading);
    out.append(missing_value(c.item->escaping));
    out.append(c.trailing);
  }

  void render_item(const CompiledItem& c) {
    const DisplayItem& item = *c.item;
    if (c.is_identifier) {
      const JobIdentifier id = split_job_identifier(record.header_text());
      if (item.value_kind == ValueKind::kIdentifier && item.value_format) {
        apply_identifier_pattern(id, *item.value_format, identifier);
        write_value(c, identifier);
      } else {
        write_value(c, id.number);
      }
      return;  // one identifier per record, also for a repeated ('+') item
    }
    if (c.log_field != LogField::kNone) {
      write_value(c, log_field_value(c.log_field, *entry, number));
      return;  // once per record, also for a repeated ('+') item
    }
    const size_t line = record.find_attribute(c.name_id);
    if (line == RecordView::npos) {
      if (item.escaping != Escaping::kNone) {
        write_missing(c);
      } else if (tpl.missing_fill) {
        write_value(c, *tpl.missing_fill);
      }
      return;  // with the fill off the item is left out altogether
    }
    if (item.value_kind != ValueKind::kRepeated) return write_value(c, record.value(line));
    record.for_each_value(c.name_id, [&](std::string_view value) { write_value(c, value); });
  }

  bool render(const DisplayList& items, const JobEntry& entry) {
    if (raw_mode) return dump_raw_record(entry, out);
    if (!items.empty()) {
      const CompiledList& list = compiled_for(items);
      this->entry = &entry;
      record.read(*entry.log, entry.record_offset, list.wanted, entry.record_end);
      for (const CompiledItem& c : list.items) render_item(c);
    }
    return true;
  }
};

RecordRenderer::RecordRenderer(const DisplayTemplate& tpl, bool raw_mode, OutputChannel& out)
    : impl_(std::make_unique<Impl>(tpl, raw_mode, out)) {}

RecordRenderer::~RecordRenderer() = default;

bool RecordRenderer::render_record(const DisplayList& items, const JobEntry& entry) {
  return impl_->render(items, entry);
}

void RecordRenderer::print_text_list(const DisplayList& list) {
  for (const DisplayItem& item : list) {
    if (item.trailing_text) impl_->out.append(item.trailing_text->c_str());
  }
}
