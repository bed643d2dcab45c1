#include "render/time_value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "joblog/log_line.h"
#include "platform/generalized_time.h"

namespace {

// strftime's limit in the display: 255 bytes with the terminator.
constexpr size_t kMaxFormatted = 254;

void two_digits(int value, char* p) {
  p[0] = static_cast<char>('0' + value / 10);
  p[1] = static_cast<char>('0' + value % 10);
}

// A time formatted the way strftime does in the C locale, for the conversions
// a display template usually holds; the places of its minutes and seconds
// are noted. False for anything else, which goes to strftime.
struct Formatted {
  char text[kMaxFormatted + 24];  // room for the longest conversion past the limit
  size_t size = 0;
  uint8_t minute_at[4];  // where %M and %S wrote their digits, the first four of each
  uint8_t second_at[4];
  size_t minutes = 0;
  size_t seconds = 0;
  bool epoch = false;  // it holds %s, which differs in every second
};

// The decimal digits of `value`, a '-' before them when negative, ending at
// `end`; returns where they begin.
char* decimal_before(char* end, int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    *--end = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--end = '-';
  return end;
}

// The C library's strftime computes %s through mktime, which on 32-bit
// devices fails past 2038 even with a 64-bit time_t. The seconds are known
// here, so %s is written here, as the C library writes it: the number, then
// on the left the padding to a width (zeros after a last pad flag '0', else
// blanks). A directive is '%', flags, a width, a modifier E or O, then one
// conversion character, the way the C library reads one.
struct Directive {
  size_t length = 1;  // of the directive, or 1 for a character outside any
  bool epoch = false;
  char pad = ' ';
  size_t width = 0;  // at most kMaxFormatted + 1: any wider does not fit either
};

Directive read_directive(const char* f) {
  Directive d;
  if (*f != '%') return d;
  const char* p = f + 1;
  for (; *p == '_' || *p == '-' || *p == '0' || *p == '^' || *p == '#'; ++p) {
    if (*p != '^' && *p != '#') d.pad = *p == '0' ? '0' : ' ';
  }
  for (; *p >= '0' && *p <= '9'; ++p) {
    d.width = std::min(d.width * 10 + static_cast<size_t>(*p - '0'), kMaxFormatted + 1);
  }
  if (*p == 'E' || *p == 'O') ++p;
  d.epoch = *p == 's';
  if (*p != '\0') ++p;
  d.length = static_cast<size_t>(p - f);
  return d;
}

// strftime with %s written here; 0 when the text does not fit in kMaxFormatted.
size_t format_by_library(const char* format, const std::tm& t, std::time_t seconds, char* out) {
  bool has_epoch = false;
  for (const char* f = format; *f != '\0' && !has_epoch; f += read_directive(f).length) {
    has_epoch = read_directive(f).epoch;
  }
  if (!has_epoch) return std::strftime(out, kMaxFormatted + 1, format, &t);
  // The pieces between are formatted after a mark, so that strftime's 0 can
  // only mean that a piece does not fit.
  size_t size = 0;
  std::string piece = "x";
  auto put_piece = [&] {
    char room[kMaxFormatted + 2];
    const size_t n = piece.size() > 1 ? std::strftime(room, sizeof room, piece.c_str(), &t) : 1;
    if (n == 0 || size + n - 1 > kMaxFormatted) return false;
    std::memcpy(out + size, room + 1, n - 1);
    size += n - 1;
    piece = "x";
    return true;
  };
  for (const char* f = format; *f != '\0';) {
    const Directive d = read_directive(f);
    if (!d.epoch) {
      piece.append(f, d.length);
    } else {
      char digits[24];
      const char* const number = decimal_before(digits + sizeof digits, seconds);
      const size_t length = static_cast<size_t>(digits + sizeof digits - number);
      const size_t padding = d.width > length ? d.width - length : 0;
      if (!put_piece() || size + padding + length > kMaxFormatted) return 0;
      std::memset(out + size, d.pad, padding);
      std::memcpy(out + size + padding, number, length);
      size += padding + length;
    }
    f += d.length;
  }
  return put_piece() ? size : 0;
}

bool format_common(const char* format, const std::tm& t, std::time_t seconds, Formatted& out) {
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  char* const text = out.text;
  char* p = text;
  out.minutes = out.seconds = 0;
  out.epoch = false;
  for (const char* f = format; *f != '\0'; ++f) {
    if (p - text > static_cast<std::ptrdiff_t>(kMaxFormatted)) return false;
    if (*f != '%') {
      *p++ = *f;
      continue;
    }
    switch (*++f) {
      case 'b':
      case 'h':
        if (t.tm_mon < 0 || t.tm_mon > 11) return false;
        std::memcpy(p, kMonths + 3 * t.tm_mon, 3);
        p += 3;
        break;
      case 'd':
        two_digits(t.tm_mday, p);
        p += 2;
        break;
      case 'H':
        two_digits(t.tm_hour, p);
        p += 2;
        break;
      case 'M':
        if (out.minutes == 4) return false;
        out.minute_at[out.minutes++] = static_cast<uint8_t>(p - text);
        two_digits(t.tm_min, p);
        p += 2;
        break;
      case 'S':
        if (out.seconds == 4) return false;
        out.second_at[out.seconds++] = static_cast<uint8_t>(p - text);
        two_digits(t.tm_sec, p);
        p += 2;
        break;
      case 'm':
        two_digits(t.tm_mon + 1, p);
        p += 2;
        break;
      case 'Y':
        if (t.tm_year < 1000 - 1900 || t.tm_year > 9999 - 1900) return false;
        two_digits((t.tm_year + 1900) / 100, p);
        two_digits((t.tm_year + 1900) % 100, p + 2);
        p += 4;
        break;
      case 's': {
        char digits[24];
        const char* const number = decimal_before(digits + sizeof digits, seconds);
        const size_t length = static_cast<size_t>(digits + sizeof digits - number);
        std::memcpy(p, number, length);
        p += length;
        out.epoch = true;
        break;
      }
      case '%':
        *p++ = '%';
        break;
      default:
        return false;
    }
  }
  out.size = static_cast<size_t>(p - text);
  return out.size <= kMaxFormatted;
}

// The local hours of the last few times shown, each with the text of the last
// format used in it. Within an hour whose UTC offset does not change, only
// the minutes and seconds differ: the C library is asked again only when a
// time falls outside them, and a format is applied again only for another
// hour or another format. (Two times of a record often lie in two hours.)
class LocalHours {
 public:
  // The text of `seconds` in local time through `format` (in `scratch` when
  // strftime makes it); false when localtime_r cannot break it down.
  bool format(std::time_t seconds, const char* format, std::string_view& text, char* scratch) {
    Hour* hour = find(seconds);
    if (hour != nullptr && hour->state == kUnchecked) {
      // A second time in the same hour: now it pays to check the hour once.
      hour->state = is_regular(*hour) ? kRegular : kNone;
    }
    std::tm local;
    if (hour != nullptr && hour->state == kRegular) {
      Formatted& f = hour->text;
      // The format is compared by its text, not its address: a template's
      // items each hold a copy of a format they share, and another template
      // may later hold a different format at the same address.
      if (hour->has_format && hour->format == format) {
        // The hour's text, with this time's minutes and seconds.
        const int into = static_cast<int>(seconds - hour->start);
        for (size_t i = 0; i < f.minutes; ++i) two_digits(into / 60, f.text + f.minute_at[i]);
        for (size_t i = 0; i < f.seconds; ++i) two_digits(into % 60, f.text + f.second_at[i]);
        text = std::string_view(f.text, f.size);
        return true;
      }
      local = hour->broken_down;
      local.tm_min = static_cast<int>((seconds - hour->start) / 60);
      local.tm_sec = static_cast<int>((seconds - hour->start) % 60);
    } else {
      if (localtime_r(&seconds, &local) == nullptr) return false;
      if (hour == nullptr) hour = &load(seconds, local);
    }
    hour->has_format = false;
    if (!format_common(format, local, seconds, hour->text)) {
      text = std::string_view(scratch, format_by_library(format, local, seconds, scratch));
      return true;
    }
    if (hour->state == kRegular && !hour->text.epoch) {
      hour->format = format;
      hour->has_format = true;
    }
    text = std::string_view(hour->text.text, hour->text.size);
    return true;
  }

 private:
  enum State { kNone, kUnchecked, kRegular };
  struct Hour {
    State state = kNone;
    std::time_t start = 0;
    std::tm broken_down{};  // its first second
    bool has_format =
        false;  // whether `text` is the hour in `format` (only when the hour is regular)
    std::string format;
    Formatted text;
  };

  Hour* find(std::time_t seconds) {
    for (Hour& hour : hours_) {
      if (hour.state != kNone && seconds >= hour.start && seconds - hour.start < 3600) return &hour;
    }
    return nullptr;
  }

  // Notes the hour of `seconds` (broken down as `local`) in place of the one
  // noted longest ago.
  Hour& load(std::time_t seconds, const std::tm& local) {
    Hour& hour = hours_[next_];
    next_ = (next_ + 1) % kHours;
    hour.state = local.tm_sec > 59 ? kNone : kUnchecked;  // no regular hour around a leap second
    hour.start = seconds - local.tm_min * 60 - local.tm_sec;
    hour.broken_down = local;
    hour.broken_down.tm_min = 0;
    hour.broken_down.tm_sec = 0;
    return hour;
  }

  // The whole hour shares one offset and runs from :00:00 to :59:59.
  static bool is_regular(const Hour& hour) {
    std::tm first, last;
    const std::time_t end = hour.start + 3599;
    if (localtime_r(&hour.start, &first) == nullptr || localtime_r(&end, &last) == nullptr) {
      return false;
    }
    const std::tm& h = hour.broken_down;
    return first.tm_gmtoff == h.tm_gmtoff && last.tm_gmtoff == h.tm_gmtoff &&
           first.tm_isdst == h.tm_isdst && last.tm_isdst == h.tm_isdst &&
           first.tm_hour == h.tm_hour && last.tm_hour == h.tm_hour && first.tm_min == 0 &&
           first.tm_sec == 0 && last.tm_min == 59 && last.tm_sec == 59;
  }

  static constexpr size_t kHours = 4;
  Hour hours_[kHours];
  size_t next_ = 0;
};

thread_local LocalHours local_hours;  // each thread of the display has its own

}  // namespace

std::string_view format_time_value(std::string_view value, const char* format, bool* unreadable) {
  // The time conversion reads a C string; a value holds no NUL byte.
  thread_local char text[kValueMax + 1];
  thread_local char shown[kMaxFormatted + 1];
  const size_t size = value.size() < kValueMax ? value.size() : kValueMax;
  std::memcpy(text, value.data(), size);
  text[size] = '\0';
  const std::time_t seconds = oa_epoch_from_generalized(text);
  if (unreadable != nullptr) *unreadable = seconds == 0;
  std::string_view result;
  if (!local_hours.format(seconds, format, result, shown)) return {};
  return result;
}

void forget_local_times() {
  local_hours = LocalHours{};
  forget_local_offsets();
}
