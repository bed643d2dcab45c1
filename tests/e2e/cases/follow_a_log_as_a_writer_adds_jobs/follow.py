# Runs `jobview -f` against a writer process that changes the log under the
# accounting lock, and prints what jobview shows after each change. Output
# is awaited with a deadline that only a failure reaches.
import json, os, select, signal, subprocess, sys, time

JOBVIEW = os.environ["JOBVIEW_BINARY"]
DEADLINE = 20.0
WRITER = r"""
import fcntl, json, os, sys, time
path, how = sys.argv[1:]
first, second = json.load(sys.stdin)
with open(os.environ["JOBVIEW_LOCK_DIR"] + "/accounting.lock", "a") as lock:
    fcntl.flock(lock, fcntl.LOCK_EX)
    target = path + ".new" if how == "rename" else path
    with open(target, "a" if how == "append" else "w") as log:
        # Two writes with a pause between, both under the lock: no reader may
        # see the first alone.
        log.write(first); log.flush(); time.sleep(0.05); log.write(second)
    if how == "rename":
        os.rename(target, path)
"""


def write(path, how, first, second=""):
    texts = json.dumps([first, second]).encode()
    subprocess.run([sys.executable, "-c", WRITER, path, how], input=texts, check=True, timeout=DEADLINE)


class Follower:
    def __init__(self, *args):
        # Through bash's exec, which also starts a wrapper script that has no
        # #! line (as the memory checker's has), in this same process.
        command = ["bash", "-c", 'exec -a jobview "$0" "$@"', JOBVIEW, "-f", *args]
        self.proc = subprocess.Popen(command, stdout=subprocess.PIPE)
        self.seen = b""

    def expect(self, label, count, width=80):
        """Waits for `count` more lines and prints them."""
        end = time.monotonic() + DEADLINE
        while self.seen.count(b"\n") < count and time.monotonic() < end:
            ready, _, _ = select.select([self.proc.stdout], [], [], end - time.monotonic())
            chunk = os.read(self.proc.stdout.fileno(), 65536) if ready else b""
            if not chunk:
                break
            self.seen += chunk
        lines = self.seen.split(b"\n")
        shown, self.seen = b"\n".join(lines[:count]), b"\n".join(lines[count:])
        print(label + ":")
        for line in shown.decode().split("\n")[:count]:
            print(line if len(line) < width else "%s... (%d bytes)" % (line[:20], len(line)))
        sys.stdout.flush()

    def stop(self, signal_number=signal.SIGINT):
        self.proc.send_signal(signal_number)
        print("status", self.proc.wait(DEADLINE), "leftover", repr(self.proc.stdout.read()))


job = lambda n: "j:%d\n  user-name u%d\n" % (n, n)
doc = lambda n: "d.%d\n  document-name doc%d\n" % (n, n)
banner = " Job Log created %s\n %d\n"

write("a.log", "new", banner % ("A", 1) + doc(1) + job(1) + doc(2) + job(2) + doc(3))
f = Follower("-m", "1", "-r", "2", "-t", "t.tpl", "a.log")
f.expect("first display: the newest job, the document after it held", 3)
write("a.log", "append", job(3))
f.expect("job 3 with the document held for it", 2)
write("a.log", "append", doc(4), job(4) + doc(5))
f.expect("job 4 after its document, the header again after two jobs", 3)
write("a.log", "rename", banner % ("B", 2) + job(5), job(6))
f.expect("renamed over: the new file from its start; document 5 waits in the old", 3)
write("a.log", "new", banner % ("B", 3), job(7))
f.expect("cut shorter: read from its start", 1)
f.stop()

for number in (signal.SIGTERM, signal.SIGHUP):
    f = Follower("-R", "a.log")
    f.expect("raw, until " + signal.Signals(number).name, 2)
    f.stop(number)

# A reader that reads nothing: jobview blocks writing a large job, never
# holding the lock while it does, so the next writer is not held up.
f = Follower("-R", "a.log")
f.expect("a reader that reads nothing yet", 2)
write("a.log", "append", "j:9\n  x " + "x" * 300000 + "\n")
write("a.log", "append", job(10))
print("the next writer had the lock")
f.expect("then reads", 4)
f.stop()

f = Follower("-t", "t.tpl", "a.log")
f.expect("a reader that goes away", 2)
f.proc.stdout.close()
write("a.log", "append", job(8))
print("ended with status", f.proc.wait(DEADLINE))

f = Follower("-R", "--owner", "u12", "a.log")
write("a.log", "append", job(11) + job(12) + job(13))
f.expect("--owner u12: the chosen job only", 2)
f.stop()

# JSON lines in batches too, each with its log's stamp and number (also
# after a rotation that changes only one of them); the cursor file holds
# where the last batch written ended.
write("c.log", "new", banner % ("C", 4) + job(20))
f = Follower("--json", "--cursor-file", "cursor", "c.log")
f.expect("--json with a cursor file", 1, 200)
write("c.log", "append", doc(21) + job(21))
f.expect("the job added, then its document", 2, 200)
write("c.log", "rename", banner % ("D", 4) + job(22))
f.expect("renamed over by a log of the same number: the new stamp", 1, 200)
write("c.log", "rename", banner % ("D", 5) + job(23))
f.expect("and by one of the same stamp: the new number", 1, 200)
f.stop()
print(open("cursor").read(), end="")
