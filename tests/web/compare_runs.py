#!/usr/bin/env python3
"""Runs the same programs through kurovel-run and its WebAssembly twin and requires
the same exit status, standard error, state JSON and BMP bytes from both.

usage: compare_runs.py NATIVE_KUROVEL_RUN WEB_KUROVEL_RUN [COUNT]

The programs are the samples and COUNT generated ones (seeded, so every run checks
the same set): Japanese and ASCII command words, full-width digits and blanks,
variables, nested repetition, huge and fractional values, errors, unbalanced
repetition, and Shift-JIS, UTF-8 and UTF-16 files, run as a program or as typed
lines.
"""

import concurrent.futures
import os
import pathlib
import random
import subprocess
import sys
import tempfile

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
        for failure in failures:
            print("DIFFERENT:", failure)
        print("%d programs compared, %d different; exit statuses %s" %
              (len(all_cases), len(failures), dict(sorted(statuses.items()))))
        sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
