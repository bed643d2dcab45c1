#include "log_generator.h"

#include <cinttypes>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

const char* const kWords[] = {
    "quarterly", "report", "draft",   "final",  "invoice", "minutes",  "board",    "meeting",
    "scan",      "copy",   "budget",  "2026",   "v2",      "signed",   "contract", "notes",
    "slides",    "label",  "poster",  "A3",     "review",  "archive",  "batch",    "payroll",
    "summary",   "plan",   "roadmap", "letter", "form",    "scan0042", "photo",    "chart"};
const char* const kUsers[] = {"guest",    "jdoe",          "asmith",  "operator", "admin",
                              "m.keller", "print-service", "r.ortiz", "lwong",    "svc-scan"};
const char* const kJobTypes[] = {"print", "copy", "scan", "fax-in", "fax-out", "report"};
const char* const kReasons[] = {"job-completed-successfully",
                                "job-printing",
                                "media-empty-error",
                                "job-canceled-by-user",
                                "processing-to-stop-point",
                                "queued-in-device",
                                "job-incoming",
                                "printer-stopped-partly",
                                "toner-low-warning",
                                "job-data-insufficient"};
const char* const kFormats[] = {"application/pdf", "application/postscript", "image/pwg-raster",
                                "image/jpeg", "text/plain"};

template <size_t N>
const char* pick(const char* const (&list)[N], uint64_t r) {
  return list[r % N];
}

// The civil date of a day count since 1970-01-01 (proleptic Gregorian).
void civil_from_days(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string digits_of_clock(int64_t t, bool with_seconds) {
  int64_t days = t / 86400;
  int64_t secs = t % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  int year, month, day;
  civil_from_days(days, year, month, day);
  char text[32];
  if (with_seconds) {
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", year, month, day,
                  static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                  static_cast<int>(secs % 60));
  } else {
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", year, month, day,
                  static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60));
  }
  return text;
}

}  // namespace

LogGenerator::LogGenerator(const LogShape& shape) : shape_(shape), state_(shape.seed) {}

uint64_t LogGenerator::random() {
  // splitmix64: the same sequence on every platform and library.
  uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

bool LogGenerator::next(std::string& out) {
  if (done_) return false;
  const size_t before = out.size();
  if (!started_) {
    started_ = true;
    banner(out);
  } else {
    job(out);
    if (counts_.bytes + (out.size() - before) >= shape_.size) {
      if (shape_.trailing_documents) {
        const uint64_t extra = 1 + below(3);
        for (uint64_t d = 1; d <= extra; ++d) document(out, d);
      }
      if (shape_.no_final_newline && out.size() > before && out.back() == '\n') out.pop_back();
      done_ = true;
    }
  }
  counts_.bytes += out.size() - before;
  return true;
}

void LogGenerator::line_end(std::string& out) { out += shape_.crlf ? "\r\n" : "\n"; }

void LogGenerator::banner(std::string& out) {
  out += " Job Log created ";
  out += digits_of_clock(clock_, true);
  out += "Z device-";
  out += std::to_string(shape_.seed % 1000);
  line_end(out);
  if (!shape_.bare_log_number) out += "  ";
  out += std::to_string(shape_.log_number);
  line_end(out);
  if (shape_.bare_log_number) ++counts_.header_lines;
}

std::string LogGenerator::words(size_t min_length, size_t max_length) {
  const size_t length = min_length + below(max_length - min_length + 1);
  std::string text;
  while (text.size() < length) {
    if (!text.empty()) text += chance(80) ? ' ' : '_';
    text += pick(kWords, random());
  }
  text.resize(length);
  while (!text.empty() && text.back() == ' ') text.back() = 'x';
  return text;
}

std::string LogGenerator::job_name() {
  if (shape_.long_lines && chance(25)) return words(240, 700);
  std::string name = chance(15) ? words(90, 190) : words(4, 40);
  if (chance(10)) name = "\"" + name.substr(0, name.size() / 2) + "\" " + name;
  if (chance(5)) name += ".pdf";
  // Long, but the whole line still within one read.
  if (name.size() > 200) name.resize(200);
  if (name.back() == ' ') name.back() = 'x';
  return name;
}

std::string LogGenerator::uri() {
  const size_t size = 300 + below(724);
  std::string text = "ipp://host-" + std::to_string(below(64)) + ".local:631/printers/";
  while (text.size() < size) text += words(3, 12) + "/";
  text.resize(size);
  for (char& c : text) c = c == ' ' ? '-' : c;
  return text;
}

std::string LogGenerator::time_value(int64_t epoch) {
  const uint64_t form = below(100);
  if (form < 78) return digits_of_clock(epoch, true) + "Z";
  if (form < 86) return digits_of_clock(epoch, true) + "." + std::to_string(below(1000)) + "Z";
  if (form < 90) return digits_of_clock(epoch + 5400, true) + "+0130";
  if (form < 93) return digits_of_clock(epoch - 5 * 3600, true) + "-05";
  if (form < 96) return digits_of_clock(epoch, true);  // local time: UTC under TZ=UTC
  if (form < 98) return digits_of_clock(epoch, false) + "Z";
  if (form < 99) return "20261332250000Z";  // out of range: unreadable
  return "unknown";
}

void LogGenerator::attribute(std::string& body, const char* name, const std::string& value) {
  const char* const indents[] = {"\t", "  ", "    ", " "};
  const char* indent = indents[below(4)];
  std::string line;
  if (value.empty()) {
    line = std::string(indent) + name;
  } else {
    switch (below(6)) {
      case 0:
        line = std::string(indent) + name + " = \"" + value + "\"";
        break;
      case 1:
        line = std::string(indent) + name + " = " + value;
        break;
      case 2:
        line = std::string(indent) + name + " " + value;
        break;
      case 3:
        line = std::string(indent) + name + " \"" + value + "\"";
        break;
      case 4:
        line = std::string(indent) + name + "\t" + value;
        break;
      default:
        line = std::string(indent) + name + " == " + value;
        break;
    }
  }
  if (shape_.nul_bytes && chance(3)) line.insert(1 + below(line.size()), 1, '\0');
  if (shape_.long_lines && chance(3)) {
    // Exactly one read long, one byte over, or far over, with or without a
    // white space where the second read begins.
    const size_t sizes[] = {253, 254, 255, 300};
    const size_t target = sizes[below(4)];
    if (line.size() < target) line += std::string(target - line.size(), chance(50) ? ' ' : 'z');
  }
  body += line;
  line_end(body);
  if (shape_.blank_lines && chance(8)) {
    const char* const blanks[] = {"", "   ", "\t"};
    body += blanks[below(3)];
    line_end(body);
  }
}

void LogGenerator::finish_record(std::string& out, const std::string& header, std::string& body) {
  out += header;
  line_end(out);
  out += body;
  ++counts_.header_lines;
}

void LogGenerator::document(std::string& out, uint64_t document_number) {
  ++counts_.documents;
  std::vector<std::pair<const char*, std::string>> attrs = {
      {"document-number", std::to_string(document_number)},
      {"document-name", words(4, 60)},
      {"document-format", pick(kFormats, random())},
      {"document-state", chance(90) ? "completed" : "aborted"},
      {"impressions-completed", std::to_string(below(400))},
      {"media-sheets-completed", std::to_string(below(200))},
      {"k-octets-processed", std::to_string(below(90000))},
      {"document-octets", std::to_string(below(90000000))},
      {"time-at-creation", time_value(clock_)},
      {"time-at-processing", time_value(clock_ + 1)},
      {"time-at-completed", time_value(clock_ + 2 + static_cast<int64_t>(below(300)))},
      {"copies", std::to_string(1 + below(3))},
      {"sides", chance(50) ? "one-sided" : "two-sided-long-edge"},
      {"media", chance(70) ? "iso_a4_210x297mm" : "na_letter_8.5x11in"},
      {"print-quality", std::to_string(3 + below(3))},
      {"compression", "none"},
      {"document-charset", "utf-8"},
      {"last-document", "false"},
  };
  const size_t extra = below(6);
  for (size_t i = 0; i < extra; ++i) attrs.push_back({"document-message", words(5, 40)});
  if (shape_.long_uris) {
    attrs.push_back({"document-uri", uri()});
    attrs.push_back({"document-source-uri", uri()});
  }
  std::string body;
  for (const auto& a : attrs) {
    if (!chance(4)) attribute(body, a.first, a.second);
  }
  std::string header =
      "jobs:" + std::to_string(job_number_ + 1) + "." + std::to_string(document_number);
  if (shape_.nul_bytes && chance(2)) header.insert(below(header.size()), 1, '\0');
  finish_record(out, header, body);
}

void LogGenerator::job(std::string& out) {
  const uint64_t documents = chance(10) ? 0 : 1 + below(chance(80) ? 1 : 3);
  for (uint64_t d = 1; d <= documents; ++d) document(out, d);

  ++job_number_;
  ++counts_.jobs;
  clock_ += 1 + static_cast<int64_t>(below(600));
  const int64_t processing = static_cast<int64_t>(below(900));
  std::vector<std::pair<const char*, std::string>> attrs = {
      {"job-identifier", std::to_string(job_number_)},
      {"user-name", chance(5) ? words(33, 60) : pick(kUsers, random())},
      {"job-type", pick(kJobTypes, random())},
      {"media-sheets-completed", std::to_string(below(chance(5) ? 10000000 : 300))},
      {"number-of-documents", std::to_string(documents)},
      {"submission-time", time_value(clock_)},
      {"processing-time", std::to_string(processing)},
      {"total-job-octets", std::to_string(below(chance(10) ? 9000000000ULL : 9000000))},
      {"job-copy-count", std::to_string(1 + below(chance(3) ? 2000 : 4))},
      {"completion-time", time_value(clock_ + processing)},
      {"job-name", job_name()},
      {"job-originating-host-name", "host-" + std::to_string(below(64)) + ".local"},
      {"job-priority", std::to_string(1 + below(100))},
      {"job-uuid", "urn:uuid:" + std::to_string(random())},
      {"job-account-id", chance(20) ? "" : std::to_string(below(5000))},
      {"job-impressions-completed", std::to_string(below(600))},
      {"job-state", chance(85) ? "completed" : "aborted"},
  };
  const uint64_t reasons = 1 + below(4);
  for (uint64_t r = 0; r < reasons; ++r)
    attrs.push_back({"job-state-reasons", pick(kReasons, random())});
  const size_t extra = below(9);
  for (size_t i = 0; i < extra; ++i) {
    attrs.push_back({chance(50) ? "job-message" : "job-printer-state-message", words(8, 60)});
  }
  if (shape_.long_uris) {
    attrs.push_back({"job-uri", uri()});
    attrs.push_back({"job-printer-uri", uri()});
    const uint64_t more = 1 + below(3);
    for (uint64_t i = 0; i < more; ++i) attrs.push_back({"job-more-info", uri()});
  }
  // Devices write attributes in no fixed order, so a lookup may have to read
  // the whole body.
  for (size_t i = attrs.size(); i > 1; --i) std::swap(attrs[i - 1], attrs[below(i)]);

  std::string body;
  for (const auto& a : attrs) {
    if (chance(4)) continue;  // some records lack some attributes
    attribute(body, a.first, a.second);
    if (shape_.odd_lines && chance(4)) {
      // Near misses: no blank before '=', a longer name, another case, a
      // vertical tab that the token keeps.
      const std::string name = a.first;
      const std::string odd[] = {
          "  " + name + "=" + a.second, "  " + name + "s " + a.second,
          "\t" + std::string(1, static_cast<char>(name[0] - 32)) + name.substr(1) + " x",
          "\v" + name + " odd"};
      body += odd[below(4)];
      line_end(body);
    }
  }
  std::string header = "jobs:" + std::to_string(job_number_);
  if (shape_.long_lines && job_number_ % 5 == 2) header = words(250, 300) + ":" + header;
  if (shape_.nul_bytes && chance(2)) header.insert(below(header.size()), 1, '\0');
  finish_record(out, header, body);
}

std::string generate_log(const LogShape& shape) {
  LogGenerator generator(shape);
  std::string text;
  while (generator.next(text)) {
  }
  return text;
}
