#!/usr/bin/env python3
# Real readers take both example exports of a generated log of a few hundred
# jobs with awkward values: Python's csv module in strict mode and json.loads
# read back every value as the log holds it, and sqlite3 imports the CSV
# without a word. Then the README's export example runs as written and prints
# what the README shows. Exit 77 (a skip) without sqlite3.
# Usage: export_readers_test.py JOBVIEW SOURCE_DIR
import csv, json, os, random, re, shutil, subprocess, sys, tempfile

jobview, source = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
if shutil.which("sqlite3") is None:
    print("sqlite3 not installed")
    sys.exit(77)
env = dict(os.environ, TZ="UTC", LC_ALL="C")
env.pop("JLOG_TEMPLATE", None)
rng = random.Random(4180)
PIECES = [b"Smith, John", b'He said "print it", so I did', b"a;b", b"tab\there", b" lead",
          b"trail ", b"C:\\dir\\", b"\xc3\xbc\xe2\x82\xac\xf0\x9d\x84\x9e", b"\xff\xfe x",
          b"\xe2\x82", b"\xed\xa0\x80", b"\xe0\x80\xaf\xf0\x8f\xbf\xbf\xf4\x90\x80\x80", b"\x01\x1b\x7f\x08\x0c", b"cr\rlf", b"= 1", b"%s%n", b"plain"]
JOB = ["user-name", "job-type", "media-sheets-completed", "number-of-documents",
       "submission-time", "completion-time", "job-state-reasons", "job-name"]
DOCUMENT = ["document-name", "document-format", "media-sheets-completed", "completion-time",
            "document-state-reasons"]


def value(name):
    if name.endswith("-time"):
        if rng.random() < 0.1:  # unreadable: never shown as 1970
            return rng.choice([b"2026-12-04", b"0", b"20261304101402Z"])
        return b"2026%02d%02d%02d%02d%02dZ" % (rng.randint(1, 12), rng.randint(1, 28),
                                               rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59))
    if name in ("media-sheets-completed", "number-of-documents"):
        return str(rng.randint(0, 500)).encode()
    return b"".join(rng.choice(PIECES) for _ in range(rng.randint(0, 4)))


def record(header, names):
    attributes = {n: value(n) for n in names if rng.random() < 0.8}
    lines = [header] + [b'    %s = "%s"' % (n.encode(), v) for n, v in attributes.items()]
    return b"\n".join(lines) + b"\n", attributes


def shown(name, attributes, decode):
    v = attributes.get(name)
    if v is None or not name.endswith("-time"):
        return None if v is None else v.decode("utf-8", decode)
    m = re.fullmatch(rb"(....)(..)(..)(..)(..)(..)Z", v)
    if m is None or m.group(2) > b"12":
        return None
    return "%s-%s-%s %s:%s:%s" % tuple(g.decode() for g in m.groups())


STAMP = "MFD-READERS 2026-12-04 00:00:00 UTC"
log, jobs = [b" Job Log created %s\r\n  9\n" % STAMP.encode()], []
for number in range(1, 301):
    documents = []
    for d in range(rng.randint(0, 2)):
        text, attributes = record(b"jobs:%d.%d" % (number, d + 1), DOCUMENT)
        log.append(text)
        documents.insert(0, ("%d.%d" % (number, d + 1), attributes))
    text, attributes = record(b"jobs:%d" % number, JOB)
    log.append(text)
    jobs.insert(0, (str(number), attributes, documents))  # newest first, as shown
work = tempfile.mkdtemp()
env["JOBVIEW_LOCK_DIR"] = work
try:
    os.chdir(work)
    with open("jobs.log", "wb") as f:
        f.write(b"".join(log))
    for name in ("csv", "json"):
        with open("jobs." + name, "wb") as out:
            subprocess.run([jobview, "-t", os.path.join(source, "examples", name + ".tpl"),
                            "jobs.log"], stdout=out, env=env, check=True)

    with open("jobs.csv", newline="", encoding="utf-8", errors="surrogateescape") as f:
        rows = list(csv.reader(f, strict=True))
    assert rows[0] == ["job", "owner", "type", "sheets", "documents", "submitted", "completed",
                       "state", "name", "stamp"], rows[0]
    assert len(rows) == len(jobs) + 1, len(rows)
    for row, (number, attributes, _) in zip(rows[1:], jobs):
        expected = [number] + [shown(n, attributes, "surrogateescape") or "" for n in JOB]
        expected.append(STAMP)
        assert row == expected, (row, expected)

    with open("jobs.json", "rb") as f:
        objects = [json.loads(line) for line in f]
    expected = []
    for number, attributes, documents in jobs:
        keys = ["owner", "type", "sheets", "documents", "submitted", "completed", "state", "name"]
        expected.append(dict(record="job", job=number, stamp=STAMP,
                             **{k: shown(n, attributes, "replace") for k, n in zip(keys, JOB)}))
        keys = ["name", "format", "sheets", "completed", "state"]
        expected += [dict(record="document", document=d, stamp=STAMP,
                          **{k: shown(n, a, "replace") for k, n in zip(keys, DOCUMENT)})
                     for d, a in documents]
    assert objects == expected, next((o, e) for o, e in zip(objects, expected) if o != e)

    imported = subprocess.run(["sqlite3", ":memory:", ".import --csv jobs.csv jobs",
                               "SELECT count(*) FROM jobs"], capture_output=True, text=True)
    assert (imported.stdout, imported.stderr) == ("%d\n" % len(jobs), ""), imported

    # The README's example, in a directory laid out like the repository.
    readme = open(os.path.join(source, "README.md")).read().split("## Exporting", 1)[1]
    command, output = re.search(r"```sh\n(.*?)```\s*```\n(.*?)```", readme, re.S).groups()
    os.mkdir("build")
    os.symlink(os.path.abspath(jobview), "build/jobview")
    os.symlink(os.path.join(source, "examples"), "examples")
    ran = subprocess.run(["bash", "-e", "-c", command], capture_output=True, text=True, env=env)
    assert (ran.stdout, ran.stderr) == (output, ""), ran
finally:
    shutil.rmtree(work)
