#!/usr/bin/env python3
"""Runs the same programs through kurovel-run and its WebAssembly twin and requires
the same exit status, standard error, state JSON and BMP bytes from both.

usage: compare_runs.py NATIVE_KUROVEL_RUN WEB_KUROVEL_RUN [COUNT]

The programs are the samples and COUNT generated ones (seeded, so every run checks
the same set): Japanese and ASCII command words, full-width digits and blanks,
variables, nested repetition, huge and fractional values, errors, unbalanced
repetition, and Shift-JIS, UTF-8 and UTF-16 files, run as a program or as typed
lines.

Then the hostile cases, each run by both in a folder of its own: Shift-JIS file
names, a closed standard input, paths through "..", repeated runs onto one output,
the permissions of new and replaced files, SIGINT, SIGTERM, SIGHUP and SIGPIPE
while the outputs are written, the state written to a pipe, a program larger than
a program file may be and a drawing larger than 2 GiB of memory. Both must end the
same way (exit status or signal, messages, standard output) and leave the same
files, with the same names, permissions and bytes, and no temporary file.
"""

import concurrent.futures
import hashlib
import os
import pathlib
import random
import signal
import stat
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
SEED = 20240601

MOVES = ["fd", "bk", "FD", "まえに", "前進", "うしろへ", "後ろ"]
TURNS = ["rt", "lt", "みぎ", "右へ", "ひだりに", "左"]
SINGLE = ["pu", "cls", "rp", "rdi", "sho", "ペンを上げる", "けす", "もとのいち", "やじるし", "pd"]
VARIABLE_OPS = ["inc", "dec", "mlt", "div", "ふやす", "へらす", "かける", "わる"]
NUMBERS = ["0", "1", "7", "45", "90", "100", "123", "-30", "1.5", "2.5", "-0.5", "1e3", "2147483647",
           "-2147483648", "4294967296", "99999999999999999999", "abc", "", "0x10", "３６０", "１００", "５"]
BLANKS = [" ", "  ", "\u3000", "\t", " \u3000 "]
statuses = {}  # exit status: how many programs ended with it
ENCODINGS = ["cp932"] * 6 + ["utf-8", "utf-8-sig", "utf-16"]


def number(rng):
    if rng.random() < 0.25:
        return "var%d" % rng.randint(1, 10)
    if rng.random() < 0.5:
        return str(rng.randint(-400, 400))
    return rng.choice(NUMBERS)


def command_line(rng):
    blank = rng.choice(BLANKS)
    kind = rng.random()
    if kind < 0.35:
        line = rng.choice(MOVES) + blank + number(rng)
    elif kind < 0.6:
        line = rng.choice(TURNS) + blank + number(rng)
    elif kind < 0.7:
        line = rng.choice(SINGLE) + (blank + number(rng) if rng.random() < 0.3 else "")
    elif kind < 0.8:
        line = "var%d%s%s" % (rng.randint(1, 10), blank, number(rng))
    elif kind < 0.9:
        line = "%s var%d %s" % (rng.choice(VARIABLE_OPS), rng.randint(1, 10), number(rng))
    elif kind < 0.95:
        line = "pos %s %s" % (number(rng), number(rng))
    else:
        line = rng.choice(["", "hello", "fd 10 rt 90 fd 20", "まえに５０　みぎ９０", "fd", "??", "ＦＤ　１０"])
    return line


def block(rng, depth):
    lines = []
    for _ in range(rng.randint(1, 5)):
        if depth < 3 and rng.random() < 0.3:
            count = rng.choice(["2", "3", "4", "5", "0", "-1", "var1", "１２", "1.5", "x", ""])
            word = rng.choice(["repeat", "REPEAT", "くりかえし", "繰り返し"])
            lines.append(word + " " + count if count else word)
            lines += block(rng, depth + 1)
            lines.append(rng.choice(["next", "NEXT", "ここまで", "つぎ"]))
        else:
            lines.append(command_line(rng))
    return lines


def generated_program(rng):
    lines = block(rng, 0)
    if rng.random() < 0.1:  # unbalanced: a next too many or too few
        if rng.random() < 0.5:
            lines.insert(rng.randrange(len(lines) + 1), "next")
        else:
            lines.insert(rng.randrange(len(lines) + 1), "repeat 2")
    break_ = rng.choice(["\r\n", "\r\n", "\n", "\r"])
    text = break_.join(lines) + (break_ if rng.random() < 0.5 else "")
    return text.encode(rng.choice(ENCODINGS), errors="replace")


def cases(count):
    rng = random.Random(SEED)
    samples = sorted((ROOT / "samples").glob("*.kv"))
    for sample in samples:
        yield sample.name, sample.read_bytes(), []
        yield sample.name + " --lines", sample.read_bytes(), ["--lines"]
    for i in range(count):
        options = []
        if rng.random() < 0.35:
            options.append("--lines")
        if rng.random() < 0.4:
            options += ["--size", "%dx%d" % (rng.randint(1, 300), rng.randint(1, 300))]
        if rng.random() < 0.05:
            options += ["--max-commands", str(rng.randint(1, 20))]
        if rng.random() < 0.1:
            options.append("--background")
        yield "generated %d" % i, generated_program(rng), options


def run(program, folder, source, options, background):
    # "--background" stands for the picture of an earlier run.
    options = [part for o in options for part in ((o, background) if o == "--background" else (o,))]
    bmp, state = folder / "out.bmp", folder / "out.json"
    done = subprocess.run([program, "--bmp", str(bmp), "--state", str(state), *options, str(source)],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    outputs = [p.read_bytes() if p.exists() else None for p in (bmp, state)]
    return done.returncode, done.stdout, done.stderr, outputs


def compare(native, web, work, index, name, source_bytes, options, background):
    folder = work / str(index)
    (folder / "native").mkdir(parents=True)
    (folder / "web").mkdir()
    source = folder / "program.kv"
    source.write_bytes(source_bytes)
    a = run(native, folder / "native", source, options, background)
    b = run(web, folder / "web", source, options, background)
    statuses[a[0]] = statuses.get(a[0], 0) + 1
    if a != b:
        parts = ["exit status", "standard output", "standard error", "outputs (BMP, JSON)"]
        differing = [parts[i] for i in range(4) if a[i] != b[i]]
        return "%s %s: %s differ (native %d, web %d)" % (name, options, ", ".join(differing), a[0], b[0])
    return None


# --- hostile cases ---------------------------------------------------------------

SJIS_NAME = "テスト".encode("cp932")  # bytes that are no UTF-8
PROGRAM = b"fd 10\nrt 90\nfd 20\n"
# The size limit of a program file (engine/limits.h kMaxProgramFileBytes).
MAX_PROGRAM_BYTES = 64 * 1024 * 1024


def listing(folder):
    """Every entry of folder as (name bytes, kind, permissions, SHA-256 of a file)."""
    entries = []
    for name in sorted(os.listdir(os.fsencode(folder))):
        info = os.lstat(os.path.join(os.fsencode(folder), name))
        digest = None
        if stat.S_ISREG(info.st_mode):
            with open(os.path.join(os.fsencode(folder), name), "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
        entries.append((name, stat.S_IFMT(info.st_mode), oct(stat.S_IMODE(info.st_mode)), digest))
    return entries


def ended(process_result):
    """Exit status, or the signal that ended the process."""
    code = process_result.returncode
    return "signal %d" % -code if code < 0 else "exit %d" % code


def run_in(program, folder, arguments, stdin=subprocess.DEVNULL, umask=0o022):
    """One run in folder: how it ended, its messages and standard output."""
    done = subprocess.run([program, *arguments], cwd=folder, stdin=stdin, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=600, preexec_fn=lambda: os.umask(umask))
    return ended(done), done.stderr, done.stdout


def write(folder, name, data, mode=None):
    path = os.path.join(os.fsencode(folder), name if isinstance(name, bytes) else name.encode())
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)


def shift_jis_names(program, folder):
    write(folder, SJIS_NAME + b".kv", PROGRAM)
    return [run_in(program, folder, ["--bmp", SJIS_NAME + b".bmp", "--state", SJIS_NAME + b".json",
                                     SJIS_NAME + b".kv"]),
            run_in(program, folder, ["--state", "o.json", SJIS_NAME + b"-missing.kv"]),
            run_in(program, folder, ["--background", SJIS_NAME + b".bmp", "--bmp", "b.bmp", SJIS_NAME + b".kv"])]


def closed_standard_input(program, folder):
    closed = lambda *arguments: subprocess.run(  # noqa: E731 - fd 0 closed by the shell
        ["sh", "-c", 'exec "$@" <&-', "sh", program, *arguments], cwd=folder,
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    # /dev/null opened for reading, as a shell's "<" opens it: an empty program. (The
    # twin cannot tell /dev/null opened for reading and writing from a closed
    # standard input: node puts that in its place.)
    with open(os.devnull, "rb") as empty:
        empty_program = run_in(program, folder, ["--state", "empty.json", "-"], stdin=empty)
    return [(ended(done), done.stderr) for done in (closed("-"), closed("--bmp", "o.bmp", "-"), closed())] + \
        [empty_program, listing(folder)]


def dot_dot_paths(program, folder):
    write(folder, "p.kv", PROGRAM)
    os.makedirs(os.path.join(folder, "sub", "dir"))
    os.symlink("sub/dir", os.path.join(folder, "link"))
    write(folder, "file", b"")
    runs = [run_in(program, folder, ["--bmp", bmp, "p.kv"])
            for bmp in ("./missing/../a.bmp", "./file/../b.bmp", "./link/../c.bmp", "sub/dir/../../d.bmp")]
    runs += [run_in(program, folder, ["--bmp", "./missing/../e", "--state", "e", "p.kv"]),
             run_in(program, folder, ["--bmp", "./sub/../f", "--state", "f", "p.kv"]),
             run_in(program, folder, ["./missing/../p.kv"])]
    return runs + [listing(os.path.join(folder, "sub"))]


def repeated_runs(program, folder):
    write(folder, "p.kv", PROGRAM)
    runs = []
    for _ in range(3):
        runs.append(run_in(program, folder, ["--bmp", "o.bmp", "--state", "o.json", "p.kv"]))
        runs.append(listing(folder))
    return runs


def permissions(program, folder):
    write(folder, "p.kv", PROGRAM)
    write(folder, "private.bmp", b"old", 0o600)
    write(folder, "shared.json", b"old", 0o664)
    write(folder, "locked.json", b"old", 0o444)
    return [run_in(program, folder, ["--bmp", "new022.bmp", "p.kv"], umask=0o022),
            run_in(program, folder, ["--bmp", "new077.bmp", "--state", "new077.json", "p.kv"], umask=0o077),
            run_in(program, folder, ["--bmp", "new000.bmp", "p.kv"], umask=0),
            run_in(program, folder, ["--bmp", "private.bmp", "--state", "shared.json", "p.kv"], umask=0o077),
            run_in(program, folder, ["--bmp", "kept.bmp", "--state", "locked.json", "p.kv"]),
            listing(folder)]


def ended_by_signals(program, folder):
    """Ended while the state waits for a reader of its pipe, the BMP's temporary file written."""
    write(folder, "p.kv", PROGRAM)
    os.mkfifo(os.path.join(folder, "pipe"))
    results = []
    for sent in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        child = subprocess.Popen([program, "--bmp", "o.bmp", "--state", "pipe", "p.kv"], cwd=folder,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 60
        while not any(name.startswith(".kv-") for name in os.listdir(folder)) and time.monotonic() < deadline:
            time.sleep(0.02)
        time.sleep(0.2)  # into the pipe's open
        child.send_signal(sent)
        _, error = child.communicate(timeout=60)
        results.append((ended(child), error, listing(folder)))
    return results


def broken_pipe(program, folder):
    """Standard output's reader has gone before the state is written to it."""
    write(folder, "p.kv", PROGRAM)
    read, written = os.pipe()
    os.close(read)
    done = subprocess.run([program, "--bmp", "o.bmp", "--state", "/dev/stdout", "p.kv"], cwd=folder,
                          stdin=subprocess.DEVNULL, stdout=written, stderr=subprocess.PIPE, timeout=120)
    os.close(written)
    return [ended(done), done.stderr, listing(folder)]


def state_on_a_pipe(program, folder):
    write(folder, "p.kv", PROGRAM)
    return [run_in(program, folder, ["--state", "/dev/stdout", "--bmp", "/dev/null", "p.kv"]), listing(folder)]


def too_large_programs(program, folder):
    write(folder, "big.kv", b"a" * MAX_PROGRAM_BYTES + b"b")
    with open(os.path.join(folder, "big.kv"), "rb") as big:
        from_stdin = run_in(program, folder, ["--state", "o.json", "-"], stdin=big)
    return [from_stdin, run_in(program, folder, ["--state", "o.json", "big.kv"]), listing(folder)]


def drawing_above_2_gib(program, folder):
    write(folder, "p.kv", PROGRAM)
    return [run_in(program, folder, ["--size", "16384x16384", "--bmp", "/dev/null", "--state", "o.json", "p.kv"]),
            listing(folder)]


HOSTILE_CASES = [shift_jis_names, closed_standard_input, dot_dot_paths, repeated_runs, permissions,
                 ended_by_signals, broken_pipe, state_on_a_pipe, too_large_programs, drawing_above_2_gib]


def temporary_files_left(observed):
    return b".kv-" in repr(observed).encode() or ".kv-" in repr(observed)


def hostile(native, web, work):
    """The hostile cases one after the other (the last two take gigabytes); their failures."""
    failures = []
    for case in HOSTILE_CASES:
        observed = []
        for name, program in (("native", native), ("web", web)):
            folder = work / "hostile" / case.__name__ / name
            folder.mkdir(parents=True)
            observed.append(case(os.path.abspath(program), folder))
        if observed[0] != observed[1]:
            failures.append("%s: native %r\n  web %r" % (case.__name__, observed[0], observed[1]))
        elif temporary_files_left(observed[0]):
            failures.append("%s: temporary files left: %r" % (case.__name__, observed[0]))
    return failures


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    native, web = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    with tempfile.TemporaryDirectory(prefix="kurovel-compare-") as temp:
        work = pathlib.Path(temp)
        background = work / "background.bmp"
        subprocess.run([native, "--size", "120x90", "--bmp", str(background), str(ROOT / "samples" / "star.kv")],
                       check=True)
        all_cases = list(cases(count))
        failures = []
        jobs = os.cpu_count() or 2
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            futures = [pool.submit(compare, native, web, work, i, name, data, options, str(background))
                       for i, (name, data, options) in enumerate(all_cases)]
            for future in futures:
                if (failure := future.result()) is not None:
                    failures.append(failure)
        hostile_failures = hostile(native, web, work)
        for failure in failures + hostile_failures:
            print("DIFFERENT:", failure)
        print("%d programs compared, %d different; exit statuses %s" %
              (len(all_cases), len(failures), dict(sorted(statuses.items()))))
        print("%d hostile cases compared, %d different" % (len(HOSTILE_CASES), len(hostile_failures)))
        sys.exit(1 if failures or hostile_failures else 0)


if __name__ == "__main__":
    main()
