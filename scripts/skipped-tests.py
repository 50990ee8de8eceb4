#!/usr/bin/env python3
"""Counts the tests of the last ctest run that skipped, with their reasons.

Reads Testing/Temporary/LastTest.log of a build folder and prints how many
tests were skipped and why. Exits 1 when a test skipped because a file of
the test corpora (tests/corpus/) was missing: the corpora are part of the
repository, so such a skip means a broken checkout, never a machine without
some tool.

  python3 scripts/skipped-tests.py BUILD_DIR
"""
import collections
import pathlib
import re
import sys

CORPUS_MISSING = "corpus missing"


def skips(log_text):
    """(test name, reason) of every skipped test in a LastTest.log."""
    out = []
    # Each test's block starts with "N/M Testing: NAME" and its output sits
    # between "Output:" and "<end of output>".
    for block in re.split(r"^\d+/\d+ Testing: ", log_text, flags=re.M)[1:]:
        name = block.split("\n", 1)[0].strip()
        body = block.split("<end of output>", 1)[0]
        if "[  SKIPPED ]" not in body:
            continue
        # GoogleTest prints "file:line: Skipped" and the reason on the lines after.
        m = re.search(r": Skipped\n(.*?)\n(?:\[|$)", body, flags=re.S)
        reason = m.group(1).strip() if m and m.group(1).strip() else "(no reason given)"
        out.append((name, reason.splitlines()[0]))
    return out


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build")
    log = build / "Testing" / "Temporary" / "LastTest.log"
    if not log.exists():
        print(f"skipped tests: no test log at {log}")
        return 1
    found = skips(log.read_text(errors="replace"))
    print(f"{len(found)} test(s) skipped")
    by_reason = collections.Counter(reason for _, reason in found)
    for reason, n in by_reason.most_common():
        print(f"  {n:4d}  {reason}")
    corpus = [name for name, reason in found if reason.startswith(CORPUS_MISSING)]
    if corpus:
        print("ERROR: tests skipped for a missing corpus file: " + ", ".join(corpus))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
