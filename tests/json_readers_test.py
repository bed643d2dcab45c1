#!/usr/bin/env python3
# Every line of --json is read by Python's json module and by jq, on a
# generated log of awkward names and values (control bytes, quotes,
# backslashes, ill-formed UTF-8, names of up to 255 bytes, repeated names,
# CRLF line ends, lines about 64 bytes long, records of every size, a line
# longer than the read window, thousands of repeated names in one large
# record), and holds exactly what the log says: every attribute line, in
# order, repeated names as arrays. Exit 77 (a skip) without jq.
# Usage: json_readers_test.py JOBVIEW
import json, os, random, shutil, subprocess, sys, tempfile

jobview = os.path.abspath(sys.argv[1])
if shutil.which("jq") is None:
    print("jq not installed")
    sys.exit(77)
rng = random.Random(19)
PIECES = [b"plain", b'"q"', b"\\", b"\x01\x1b\x7f", b"\xff\xfe", b"\xe2\x82", b"\xed\xa0\x80",
          b"\xc3\xbc\xe2\x82\xac", b"a=b", b"\t", b" ", b"\r", b"w" * 61]
NAMES = [b"user-name", b"job-state-reasons", b"we\"ird\\name", b"ctl\x02\xffname", b"x",
         b"a-name-longer-than-one-copy-of-32", b"n" * 255]


def value_of(v):
    # What the display shows of a line's value: between its first and last
    # double quote when it holds two, cut at 4,096 bytes.
    if v.count(b'"') >= 2:
        v = v[v.index(b'"') + 1:v.rindex(b'"')]
    return v[:4096].decode("utf-8", "replace")


def record(header, filler):
    lines, attributes = [header], {}
    for _ in range(rng.randint(0, 8)):
        name = rng.choice(NAMES)
        raw = b"".join(rng.choice(PIECES) for _ in range(rng.randint(0, 5))).lstrip(b" =\t")
        if filler and rng.random() < 0.2:
            raw = b"z" * filler
        end = b"\r\n" if rng.random() < 0.3 else b"\n"
        if raw.endswith(b"\r") and end == b"\n":
            raw += b"."  # a value never ends in the carriage return of a line end
        lines.append(b"    " + name + b" = " + raw + end)
        attributes.setdefault(name.decode("utf-8", "replace"), []).append(value_of(raw))
    lines[0] += b"\n"
    return b"".join(lines), {k: v[0] if len(v) == 1 else v for k, v in attributes.items()}


work = tempfile.mkdtemp()
try:
    parts, expected = [b" Job Log created DEV \"Q\"\r\n  4\n"], []
    for number in range(1, 201):
        # Records of a few hundred bytes, of tens of kilobytes, and longer than the read window.
        text, attributes = record(b"jobs:%d" % number, {0: 300000, 25: 30000}.get(number % 50))
        expected.insert(0, ("job", str(number), sum(map(len, parts)), attributes))
        parts.append(text)
    # A record longer than the read window, with a name met exactly twice.
    expected.insert(0, ("job", "201", sum(map(len, parts)),
                        {"long": "z" * 4096, "twice": ["a", "b"], "x": ""}))
    parts.append(b"jobs:201\n    long " + b"z" * 300000 + b"\n    twice = a\n    x\n    twice \"b\"\r\n")
    # A record longer than half the read window with thousands of repeated
    # names whose values pass what one walk keeps: arrays gathered a batch of
    # names at a time. The second lines of k1 to k799 come in reverse order,
    # after k0's: a walk for k0 goes on to the latest last line it keeps.
    body, many = [], {}
    for i in range(800):
        many["k%d" % i] = ["%d" % i + "a" * 2000, "%d" % i + "b" * 2000]
    for i in range(3000):
        many["s%d" % i] = ["x%d" % i, "y%d" % i]
    body += [b"  k%d %s\n" % (i, many["k%d" % i][0].encode()) for i in range(800)]
    body += [b"  s%d \"%s\"\n" % (i, many["s%d" % i][0].encode()) for i in range(3000)]
    body += [b"  k%d %s\n" % (i, many["k%d" % i][1].encode()) for i in [0] + list(range(799, 0, -1))]
    body += [b"  s%d %s\n" % (i, many["s%d" % i][1].encode()) for i in range(3000)]
    expected.insert(0, ("job", "202", sum(map(len, parts)), many))
    parts.append(b"jobs:202\n" + b"".join(body))
    path = os.path.join(work, "j.log")
    with open(path, "wb") as f:
        f.write(b"".join(parts))
    env = dict(os.environ, JOBVIEW_LOCK_DIR=work)
    out = subprocess.run([jobview, "--json", path], stdout=subprocess.PIPE, env=env, check=True).stdout
    lines = out.split(b"\n")
    assert lines.pop() == b"" and len(lines) == len(expected), len(lines)
    for line, (kind, number, offset, attributes) in zip(lines, expected):
        got = json.loads(line)
        want = {"record": kind, "identifier": number, "log": path, "stamp": 'DEV "Q"',
                "log_number": 4, "offset": offset, "attributes": attributes}
        assert got == want, (got, want)
        assert list(got) == list(want) and list(got["attributes"]) == list(attributes), got
        # No white space outside strings, escapes in their shortest form.
        assert json.dumps(got, ensure_ascii=False, separators=(",", ":")).encode() == line, line
    # jq reads the same objects, one a line.
    jq = subprocess.run(["jq", "-c", "."], input=out, stdout=subprocess.PIPE, check=True).stdout
    assert [json.loads(l) for l in jq.splitlines()] == [json.loads(l) for l in lines]
    # Each record carries its own log's fields, whichever of them the log
    # before shares: its name, its stamp, its number.
    logs = [("c1.log", "DEV", 4), ("c2.log", "DEV", 4), ("c3.log", "DEV2", 4), ("c4.log", "DEV2", 5)]
    for name, stamp, number in logs:
        with open(os.path.join(work, name), "w") as f:
            f.write(" Job Log created %s\n  %d\njobs:1\n  a = 1\n" % (stamp, number))
    out = subprocess.run([jobview, "--json"] + [name for name, _, _ in logs], cwd=work,
                         stdout=subprocess.PIPE, env=env, check=True).stdout
    got = [json.loads(line) for line in out.splitlines()]
    assert [(o["log"], o["stamp"], o["log_number"]) for o in got] == logs, got
finally:
    shutil.rmtree(work)
