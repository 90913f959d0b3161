#!/usr/bin/env python3
"""The size check on a tree of its own: every kind of function it must see, a file over the limit,
and the limits themselves (a function of exactly 60 lines and a file of 400 pass)."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import source_sizes  # noqa: E402


def body(lines):
    """A brace block of `lines` lines in all, the opening line included."""
    return "{\n" + "    ;\n" * (lines - 2) + "}\n"


# Each definition is LONG lines from its first line to its closing brace, or exactly the limit.
LONG = source_sizes.MAX_FUNCTION_LINES + 1
SOURCE = f"""#include <windows.h>
#define CALLBACK_STYLE __stdcall
namespace outer {{ namespace {{
DWORD WINAPI threadMain(void*)
{body(LONG - 1)}}} }}
template <typename T> struct Holder {{
    Holder(int a, int b) : a_(a), b_(b)
    {body(LONG - 1)}    bool operator()(const T&) const
    {body(LONG - 1)}    explicit operator bool() const
    {body(LONG - 1)}    int a_, b_;
}};
extern "C" int CALLBACK_STYLE exported(int)
{body(LONG - 1)}auto trailing() -> int
{body(LONG - 1)}static const auto handler = [](int code) -> int
{body(LONG - 1).rstrip()};
int atTheLimit()
{body(source_sizes.MAX_FUNCTION_LINES - 1)}"""

EXPECTED = {"outer::(anonymous)::threadMain", "Holder::Holder<T>", "Holder::operator()", "Holder::operator bool",
            "exported", "trailing", "lambda"}


class SourceSizesTest(unittest.TestCase):
    def test_every_kind_of_function_and_file_over_a_limit_is_reported(self):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "src", "app"))
            with open(os.path.join(root, "src", "app", "kinds.cpp"), "w") as file:
                file.write(SOURCE)
            with open(os.path.join(root, "src", "app", "long.h"), "w") as file:
                file.write("#pragma once\n" + "// line\n" * source_sizes.MAX_FILE_LINES)
            with open(os.path.join(root, "src", "app", "fits.h"), "w") as file:
                file.write("#pragma once\n" + "// line\n" * (source_sizes.MAX_FILE_LINES - 1))

            violations, errors = source_sizes.check(root, ["src"])

        self.assertEqual(errors, [])
        functions = [v for v in violations if "kinds.cpp" in v and "the file" not in v]
        self.assertEqual({v.split(": ")[1] for v in functions}, EXPECTED, functions)
        self.assertTrue(all(f": {LONG} lines" in v for v in functions), functions)
        self.assertIn(f"src/app/long.h:1: the file: {source_sizes.MAX_FILE_LINES + 1} lines", "\n".join(violations))
        self.assertFalse(any("fits.h" in v or "atTheLimit" in v for v in violations), violations)

    def test_a_file_that_does_not_parse_fails_the_check(self):
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "src"))
            with open(os.path.join(root, "src", "broken.cpp"), "w") as file:
                file.write('#include "missing.h"\nint f() { return 0; }\n')
            _, errors = source_sizes.check(root, ["src"])
        self.assertTrue(any("missing.h" in error for error in errors), errors)


if __name__ == "__main__":
    unittest.main()
