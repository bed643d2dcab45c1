# What a careful user would write instead of jobview: the built-in display of
# one job log, newest job first, for the system's awk (mawk or any POSIX awk).
#   TZ=UTC awk -f bench/peer.awk LOG
# It reads each record once and keeps the attributes the display needs, so it
# gives jobview's output for logs whose lines fit in one 254-character read,
# end with a newline and hold no NUL byte. Times are shown in UTC.

BEGIN {
    fill = "??????????????????????????"
    rule = "\n" sprintf("%80s", "") "\n"
    gsub(/ /, "=", rule)
    dashes = sprintf("%80s", "")
    gsub(/ /, "-", dashes)
    split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", month_name, " ")
    split("31 28 31 30 31 30 31 31 30 31 30 31", month_days, " ")
    n = split("user-name job-type media-sheets-completed number-of-documents " \
              "submission-time job-state-reasons processing-time total-job-octets " \
              "job-copy-count completion-time job-name", names, " ")
    for (i = 1; i <= n; i++) wanted[names[i]] = 1
    in_job = 0
    records = 0
    jobs = 0
}

NR == 1 {
    if (substr($0, 1, 17) != " Job Log created ") {
        printf "The file '%s' is not a job log.\n", FILENAME > "/dev/stderr"
        failed = 1
        exit 1
    }
    next
}

# An attribute line: it begins with white space (an empty line begins with its
# newline). Its name is the first field (awk's default fields end at a space,
# tab or newline, as jobview's names do). Only the first line of an attribute
# counts; the value follows the one blank that ends the name, then any spaces
# and '=', and loses its quotes.
/^[ \t\v\f\r]/ || $0 == "" {
    if (in_job && ($1 in wanted) && !($1 in value))
        value[$1] = unquote(substr($0, index($0, $1) + length($1) + 1), 1)
    next
}

# A record header line.
{
    finish_record()
    records++
    header = $0
    in_job = match(header, /[:.][^:.]*$/) && substr(header, RSTART, 1) == ":"
    if (in_job) split("", value)
}

END {
    if (failed) exit 1
    finish_record()
    if (records == 0) exit 0
    printf "%s", rule
    printf "%s", "       Owner                            JobType  MediaCnt DocCnt   Submitted\n"
    printf "%s", " Ident Status                           ProcTime   Size    Copy    Completed"
    printf "%s", rule
    for (i = jobs; i >= 1; i--) printf "%s", shown[i]
}

function unquote(v, skip_equals,    first, last) {
    if (skip_equals) sub(/^[ =]+/, "", v)
    first = index(v, "\"")
    if (first && match(v, /"[^"]*$/) && RSTART != first) v = substr(v, first + 1, RSTART - first - 1)
    return v
}

function get(name) {
    return (name in value) ? value[name] : fill
}

function finish_record(    text, id) {
    if (!in_job) return
    in_job = 0
    text = unquote(header, 0)
    match(text, /[0-9.]*$/)
    id = substr(text, RSTART)
    shown[++jobs] = sprintf("%6.6s %-32.32s %7.7s    %6.6s  %3.3s  %16s\n       " \
                            "%-32.32s %7.7s  %8.8s  %3.3s  %16s\n      *%-72s\n%s\n",
                            id, get("user-name"), get("job-type"),
                            get("media-sheets-completed"), get("number-of-documents"),
                            show_time(get("submission-time")), get("job-state-reasons"),
                            get("processing-time"), get("total-job-octets"),
                            get("job-copy-count"), show_time(get("completion-time")),
                            get("job-name"), dashes)
}

# A generalized time YYYYMMDDHH[MM[SS]][.fraction][Z|+HH|-HH|+HHMM|-HHMM] as
# "Mon DD, HH:MM:SS" in UTC; anything unreadable shows as the epoch.
function show_time(text,    t, days, secs, y, m, d, era, doe, yoe, doy, mp) {
    t = epoch(text)
    days = int(t / 86400)
    secs = t - days * 86400
    if (secs < 0) { secs += 86400; days-- }
    days += 719468
    era = int((days >= 0 ? days : days - 146096) / 146097)
    doe = days - era * 146097
    yoe = int((doe - int(doe / 1460) + int(doe / 36524) - int(doe / 146096)) / 365)
    doy = doe - (365 * yoe + int(yoe / 4) - int(yoe / 100))
    mp = int((5 * doy + 2) / 153)
    d = doy - int((153 * mp + 2) / 5) + 1
    m = mp < 10 ? mp + 3 : mp - 9
    return sprintf("%s %02d, %02d:%02d:%02d", month_name[m], d,
                   int(secs / 3600), int(secs / 60) % 60, secs % 60)
}

function epoch(s,    y, mo, d, h, mi, se, rest, offset, sign, oh, om, leap, mdays, yy, era, yoe, doy, days) {
    sub(/^[ \t\n\v\f\r]+/, "", s)
    sub(/[ \t\n\v\f\r]+$/, "", s)
    if (s !~ /^[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]/) return 0
    y = substr(s, 1, 4) + 0; mo = substr(s, 5, 2) + 0; d = substr(s, 7, 2) + 0
    h = substr(s, 9, 2) + 0; mi = 0; se = 0
    rest = substr(s, 11)
    if (rest ~ /^[0-9][0-9]/) {
        mi = substr(rest, 1, 2) + 0; rest = substr(rest, 3)
        if (rest ~ /^[0-9][0-9]/) { se = substr(rest, 1, 2) + 0; rest = substr(rest, 3) }
    }
    if (rest ~ /^[.,][0-9]/) sub(/^[.,][0-9]+/, "", rest)
    offset = 0
    if (rest == "Z") {
        rest = ""
    } else if (rest ~ /^[+-][0-9][0-9]$/ || rest ~ /^[+-][0-9][0-9][0-9][0-9]$/) {
        sign = substr(rest, 1, 1) == "-" ? -1 : 1
        oh = substr(rest, 2, 2) + 0
        om = length(rest) == 5 ? substr(rest, 4, 2) + 0 : 0
        if (oh > 23 || om > 59) return 0
        offset = sign * (oh * 3600 + om * 60)
        rest = ""
    }
    if (rest != "") return 0
    leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0
    mdays = month_days[mo] + (mo == 2 && leap)
    if (mo < 1 || mo > 12 || d < 1 || d > mdays || h > 23 || mi > 59 || se > 60) return 0
    yy = y - (mo <= 2)
    era = int((yy >= 0 ? yy : yy - 399) / 400)
    yoe = yy - era * 400
    doy = int((153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5) + d - 1
    days = era * 146097 + yoe * 365 + int(yoe / 4) - int(yoe / 100) + doy - 719468
    return days * 86400 + h * 3600 + mi * 60 + se - offset
}
