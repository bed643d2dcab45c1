#include "render/time_value.h"

#include <cstdint>
#include <cstring>
#include <ctime>

#include "platform/generalized_time.h"

namespace {

// strftime's limit in the display: 255 bytes with the terminator.
constexpr size_t kMaxFormatted = 254;

// localtime_r, remembering the local hour of the last call: within an hour
// whose UTC offset does not change, only the minutes and seconds differ, and
// the C library is asked again only when a time falls outside it.
class LocalTimeCache {
 public:
  bool convert(std::time_t seconds, std::tm& out) {
    if (state_ != kNone && seconds >= hour_start_ && seconds - hour_start_ < 3600) {
      // A second time in the same hour: now it pays to check the hour once.
      if (state_ == kUnchecked) state_ = hour_is_regular() ? kRegular : kNone;
      if (state_ == kRegular) {
        const std::time_t into = seconds - hour_start_;
        out = hour_;
        out.tm_min = static_cast<int>(into / 60);
        out.tm_sec = static_cast<int>(into % 60);
        return true;
      }
    }
    if (localtime_r(&seconds, &out) == nullptr) return false;
    state_ = out.tm_sec > 59 ? kNone : kUnchecked;  // no regular hour around a leap second
    hour_start_ = seconds - out.tm_min * 60 - out.tm_sec;
    hour_ = out;
    hour_.tm_min = 0;
    hour_.tm_sec = 0;
    return true;
  }

 private:
  enum State { kNone, kUnchecked, kRegular };

  // The whole hour shares one offset and runs from :00:00 to :59:59.
  bool hour_is_regular() const {
    std::tm first, last;
    const std::time_t end = hour_start_ + 3599;
    if (localtime_r(&hour_start_, &first) == nullptr || localtime_r(&end, &last) == nullptr) {
      return false;
    }
    return first.tm_gmtoff == hour_.tm_gmtoff && last.tm_gmtoff == hour_.tm_gmtoff &&
           first.tm_isdst == hour_.tm_isdst && last.tm_isdst == hour_.tm_isdst &&
           first.tm_hour == hour_.tm_hour && last.tm_hour == hour_.tm_hour && first.tm_min == 0 &&
           first.tm_sec == 0 && last.tm_min == 59 && last.tm_sec == 59;
  }

  State state_ = kNone;
  std::time_t hour_start_ = 0;
  std::tm hour_{};
};

LocalTimeCache local_time_cache;

void two_digits(int value, char*& p) {
  *p++ = static_cast<char>('0' + value / 10);
  *p++ = static_cast<char>('0' + value % 10);
}

// Formats the conversions a display template usually holds the way strftime
// does in the C locale. False for anything else, which goes to strftime.
bool format_common(const char* format, const std::tm& t, std::string& out) {
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  char text[kMaxFormatted + 16];
  char* p = text;
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
        break;
      case 'H':
        two_digits(t.tm_hour, p);
        break;
      case 'M':
        two_digits(t.tm_min, p);
        break;
      case 'S':
        two_digits(t.tm_sec, p);
        break;
      case 'm':
        two_digits(t.tm_mon + 1, p);
        break;
      case 'Y':
        if (t.tm_year < 1000 - 1900 || t.tm_year > 9999 - 1900) return false;
        two_digits((t.tm_year + 1900) / 100, p);
        two_digits((t.tm_year + 1900) % 100, p);
        break;
      case '%':
        *p++ = '%';
        break;
      default:
        return false;
    }
  }
  const size_t length = static_cast<size_t>(p - text);
  if (length > kMaxFormatted) return false;
  out.assign(text, length);
  return true;
}

}  // namespace

void format_time_value(const char* value, const char* format, std::string& out) {
  out.clear();
  const std::time_t seconds = oa_epoch_from_generalized(value);
  std::tm local;
  if (!local_time_cache.convert(seconds, local)) return;
  if (format_common(format, local, out)) return;
  char text[kMaxFormatted + 1];
  out.assign(text, std::strftime(text, sizeof text, format, &local));
}
