"""The peer workloads in Python's turtle module.

usage: turtle_peer.py MODE WORKLOAD [DONE_FILE]
  MODE      tracer0: nothing is shown until one update at the end;
            live: speed(0) and delay(0), every step drawn as it happens
  WORKLOAD  empty, w1 ... w5 (the same drawings as the .kv and .lg files)
  DONE_FILE when given, the file is created once the drawing is on screen and the
            window stays open (for a screenshot); otherwise the process ends there.
Heading 0 points up and right turns are clockwise (logo mode), as in the others.
"""

import sys
import turtle


def empty(t):
    pass


def star(t):
    for _ in range(36):
        t.fd(100)
        t.rt(190)


def spiral(t):
    length = 200
    for _ in range(70):
        t.fd(length)
        t.rt(90)
        length -= 3


def small_steps(t):
    for _ in range(100000):
        t.fd(1)
        t.rt(1)


def far_line(t):
    t.fd(2000000000)
    t.rt(90)
    t.fd(1)


def flower(t):
    for _ in range(100):
        for _ in range(36):
            t.fd(5)
            t.rt(10)
        t.rt(4)


WORKLOADS = {"empty": empty, "w1": star, "w2": spiral, "w3": small_steps, "w4": far_line, "w5": flower}


def main():
    mode, name = sys.argv[1], sys.argv[2]
    done_file = sys.argv[3] if len(sys.argv) > 3 else None
    turtle.mode("logo")
    if mode == "tracer0":
        turtle.tracer(0)
    elif mode == "live":
        turtle.delay(0)
    else:
        sys.exit("unknown mode " + mode)
    t = turtle.Turtle()
    if mode == "live":
        t.speed(0)
    WORKLOADS[name](t)
    turtle.update()
    if done_file:
        open(done_file, "w").close()
        turtle.done()


main()
