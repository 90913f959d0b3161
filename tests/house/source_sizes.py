#!/usr/bin/env python3
"""Holds the sources to their sizes: no file over MAX_FILE_LINES lines and no function over
MAX_FUNCTION_LINES lines, a function counted from its first line to its closing brace.

    source_sizes.py ROOT [FOLDER...]         (folders relative to ROOT; src and tools by default)

Every function is found by the compiler's own parser (libclang, through ctypes), so that what a
regular-expression tagger misreads is counted too: functions behind calling-convention macros,
operators, conversions, constructors with initializer lists, templates, and lambdas. The files are
parsed as the MinGW-w64 cross compiler would compile them, so that the Win32 layer parses with its
headers. A file that does not parse fails the check: a parse that stopped early could hide a function.

Prints one line per violation, "path:line: function: N lines (limit M)", and exits 1 when there is one.
"""

import ctypes
import ctypes.util
import glob
import os
import re
import subprocess
import sys
import tempfile

MAX_FILE_LINES = 400
MAX_FUNCTION_LINES = 60

# What may still be over a limit, as "path" or "path:function", each to be split by its owner. Only
# tools/ may appear here; src/ has none.
KNOWN_EXCEPTIONS = set()

SOURCE_SUFFIXES = (".cpp", ".h")
TEXT_SUFFIXES = SOURCE_SUFFIXES + (".java",)
CROSS_COMPILER = "x86_64-w64-mingw32-g++-posix"
JDK_INCLUDE = "/usr/lib/jvm/java-17-openjdk-amd64/include"


class CXCursor(ctypes.Structure):
    _fields_ = [("kind", ctypes.c_int), ("xdata", ctypes.c_int), ("data", ctypes.c_void_p * 3)]


class CXSourceLocation(ctypes.Structure):
    _fields_ = [("ptr_data", ctypes.c_void_p * 2), ("int_data", ctypes.c_uint)]


class CXSourceRange(ctypes.Structure):
    _fields_ = [("ptr_data", ctypes.c_void_p * 2), ("begin_int_data", ctypes.c_uint), ("end_int_data", ctypes.c_uint)]


class CXString(ctypes.Structure):
    _fields_ = [("data", ctypes.c_void_p), ("private_flags", ctypes.c_uint)]


VISITOR = ctypes.CFUNCTYPE(ctypes.c_int, CXCursor, CXCursor, ctypes.c_void_p)
CHILD_CONTINUE, CHILD_RECURSE = 1, 2

# Cursor kinds (Index.h): the kinds that have a body, and those whose children can hold one.
FUNCTION_KINDS = {8: "function", 21: "method", 24: "constructor", 25: "destructor", 26: "conversion",
                  30: "function template", 144: "lambda"}
SCOPE_KINDS = {2, 3, 4, 22, 31, 32, 33}  # struct, union, class, namespace, class templates, linkage spec
SEVERITY_ERROR = 3
PARSE_OPTIONS = 0x200  # CXTranslationUnit_KeepGoing: report every error, not just the first
FOR_SERIALIZATION = 0x08  # CXTranslationUnit_ForSerialization: the unit is to be saved as a precompiled header
PREPROCESSOR_LINE = re.compile(r"^\s*#\s*(\w+)\s*(.*)")


def load_libclang():
    """libclang and the folder of its own headers (intrinsics, stddef.h)."""
    names = [os.environ.get("VORNIC_LIBCLANG")] + sorted(glob.glob("/usr/lib/llvm-*/lib/libclang.so.1"), reverse=True)
    names += [ctypes.util.find_library("clang"), "libclang.so.1"]
    for name in filter(None, names):
        try:
            library = ctypes.CDLL(name)
            break
        except OSError:
            continue
    else:
        sys.exit("source_sizes: libclang not found (Debian package libclang1-14)")
    resources = sorted(glob.glob(os.path.join(os.path.dirname(os.path.abspath(name)), "clang", "*", "include")))
    signatures = {
        "clang_createIndex": (ctypes.c_void_p, [ctypes.c_int, ctypes.c_int]),
        "clang_parseTranslationUnit": (ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_char_p,
                                                         ctypes.POINTER(ctypes.c_char_p), ctypes.c_int,
                                                         ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint]),
        "clang_disposeTranslationUnit": (None, [ctypes.c_void_p]),
        "clang_saveTranslationUnit": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_uint]),
        "clang_getTranslationUnitCursor": (CXCursor, [ctypes.c_void_p]),
        "clang_visitChildren": (ctypes.c_uint, [CXCursor, VISITOR, ctypes.c_void_p]),
        "clang_isCursorDefinition": (ctypes.c_uint, [CXCursor]),
        "clang_getCursorExtent": (CXSourceRange, [CXCursor]),
        "clang_getCursorLocation": (CXSourceLocation, [CXCursor]),
        "clang_getRangeStart": (CXSourceLocation, [CXSourceRange]),
        "clang_getRangeEnd": (CXSourceLocation, [CXSourceRange]),
        "clang_getExpansionLocation": (None, [CXSourceLocation, ctypes.POINTER(ctypes.c_void_p),
                                              ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
                                              ctypes.POINTER(ctypes.c_uint)]),
        "clang_getFileName": (CXString, [ctypes.c_void_p]),
        "clang_getCursorSpelling": (CXString, [CXCursor]),
        "clang_getCursorSemanticParent": (CXCursor, [CXCursor]),
        "clang_getCString": (ctypes.c_char_p, [CXString]),
        "clang_disposeString": (None, [CXString]),
        "clang_getNumDiagnostics": (ctypes.c_uint, [ctypes.c_void_p]),
        "clang_getDiagnostic": (ctypes.c_void_p, [ctypes.c_void_p, ctypes.c_uint]),
        "clang_getDiagnosticSeverity": (ctypes.c_int, [ctypes.c_void_p]),
        "clang_formatDiagnostic": (CXString, [ctypes.c_void_p, ctypes.c_uint]),
        "clang_disposeDiagnostic": (None, [ctypes.c_void_p]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library, (os.path.dirname(resources[-1]) if resources else None)


class Parser:
    def __init__(self, root):
        self.clang, resource_folder = load_libclang()
        self.index = self.clang.clang_createIndex(0, 0)
        self.root = os.path.realpath(root)
        # The definitions the Windows presets compile with: without UNICODE, the wide calls' macro
        # arguments (IDC_ARROW, RT_DIALOG) take the narrow type and the Win32 layer does not parse.
        self.arguments = ["-x", "c++", "-std=c++20", "--target=x86_64-w64-mingw32", "-nostdinc++",
                          "-DUNICODE", "-D_UNICODE", "-DNOMINMAX", "-DWIN32_LEAN_AND_MEAN", "-D_WIN32_WINNT=0x0601",
                          "-I" + os.path.join(self.root, "src"), "-I" + os.path.join(self.root, "tools"),
                          "-I" + os.path.join(self.root, "tools", "vornicpack"),
                          "-I" + os.path.join(self.root, "src", "jvm", "jni_md"), "-I" + JDK_INCLUDE]
        self.arguments += ["-isystem" + folder for folder in cross_include_folders()]
        if resource_folder:
            self.arguments += ["-resource-dir", resource_folder]
        self.prefix = []

    def precompile(self, headers, folder):
        """Parses the system's and the runtime's `headers` once, into a precompiled header that every
        later parse starts from: they are most of each file's parse. A parse with it that fails is
        made again without it (functions)."""
        if not headers:
            return
        source, output = os.path.join(folder, "prefix.h"), os.path.join(folder, "prefix.pch")
        with open(source, "w") as file:
            file.writelines(f"#include <{header}>\n" for header in headers)
        unit = self.parse(source, PARSE_OPTIONS | FOR_SERIALIZATION)
        errors = self.parse_errors(unit) if unit else ["libclang could not parse it"]
        try:
            if not errors and self.clang.clang_saveTranslationUnit(unit, output.encode(), 0) == 0:
                self.prefix = ["-include-pch", output]
            else:
                print("source_sizes: no precompiled prefix, each file is parsed whole:", *errors[:1], file=sys.stderr)
        finally:
            if unit:
                self.clang.clang_disposeTranslationUnit(unit)

    def parse(self, path, options, extra=()):
        arguments = self.arguments + list(extra)
        array = (ctypes.c_char_p * len(arguments))(*[a.encode() for a in arguments])
        return self.clang.clang_parseTranslationUnit(self.index, path.encode(), array, len(arguments), None, 0, options)

    def parse_errors(self, unit):
        errors = []
        for i in range(self.clang.clang_getNumDiagnostics(unit)):
            diagnostic = self.clang.clang_getDiagnostic(unit, i)
            if self.clang.clang_getDiagnosticSeverity(diagnostic) >= SEVERITY_ERROR:
                errors.append(self.text(self.clang.clang_formatDiagnostic(diagnostic, 1)))  # with its file and line
            self.clang.clang_disposeDiagnostic(diagnostic)
        return errors

    def text(self, string):
        value = self.clang.clang_getCString(string)
        self.clang.clang_disposeString(string)
        return value.decode("utf-8", "replace") if value else ""

    def where(self, location):
        file, line = ctypes.c_void_p(), ctypes.c_uint()
        self.clang.clang_getExpansionLocation(location, ctypes.byref(file), ctypes.byref(line), None, None)
        return (self.text(self.clang.clang_getFileName(file)) if file.value else ""), line.value

    def qualified_name(self, cursor):
        parts = []
        while cursor.kind in FUNCTION_KINDS or cursor.kind in SCOPE_KINDS:
            spelling = self.text(self.clang.clang_getCursorSpelling(cursor))
            parts.append(spelling or ("lambda" if cursor.kind == 144 else "(anonymous)"))
            cursor = self.clang.clang_getCursorSemanticParent(cursor)
        return "::".join(reversed(parts))

    def functions(self, path):
        """(file, first line, name, lines) of every function defined in the project's own files that
        `path` includes, the project's files it includes, and the errors of its parse."""
        unit = self.parse(path, PARSE_OPTIONS, self.prefix)
        errors = self.parse_errors(unit) if unit else []
        if self.prefix and (not unit or errors):
            # A file that the prefix's macros or declarations do not fit: its errors are its own.
            if unit:
                self.clang.clang_disposeTranslationUnit(unit)
            unit = self.parse(path, PARSE_OPTIONS)
            errors = self.parse_errors(unit) if unit else []
        if not unit:
            return [], set(), [path + ": libclang could not parse it"]
        try:
            found = []
            included = set()

            def visit(cursor, _parent, _data):
                file, _ = self.where(self.clang.clang_getCursorLocation(cursor))
                if not file.startswith(self.root + os.sep):
                    return CHILD_CONTINUE  # the system's and the runtime's headers
                included.add(os.path.relpath(file, self.root))
                if cursor.kind in FUNCTION_KINDS and (cursor.kind == 144 or self.clang.clang_isCursorDefinition(cursor)):
                    extent = self.clang.clang_getCursorExtent(cursor)
                    begin_file, begin = self.where(self.clang.clang_getRangeStart(extent))
                    _, end = self.where(self.clang.clang_getRangeEnd(extent))
                    found.append((os.path.relpath(begin_file, self.root), begin, self.qualified_name(cursor),
                                  end - begin + 1))
                return CHILD_RECURSE

            self.clang.clang_visitChildren(self.clang.clang_getTranslationUnitCursor(unit), VISITOR(visit), None)
            return found, included, errors
        finally:
            self.clang.clang_disposeTranslationUnit(unit)


def cross_include_folders():
    """The library and system include folders of the cross compiler, in its order."""
    try:
        result = subprocess.run([CROSS_COMPILER, "-x", "c++", "-E", "-v", "-"], input="", capture_output=True,
                                text=True, check=False)
    except FileNotFoundError:
        sys.exit("source_sizes: " + CROSS_COMPILER + " not found (the MinGW-w64 cross compiler)")
    lines = result.stderr.splitlines()
    try:
        first = lines.index("#include <...> search starts here:") + 1
        last = lines.index("End of search list.")
    except ValueError:
        sys.exit("source_sizes: " + CROSS_COMPILER + " names no include folders")
    folders = [os.path.normpath(line.strip()) for line in lines[first:last]]
    # The compiler's own intrinsics headers are for it alone; libclang brings its own.
    return [f for f in folders if "/c++" in f or "/lib/gcc/" not in f]


def source_files(root, folders):
    for folder in folders:
        for directory, subfolders, names in os.walk(os.path.join(root, folder)):
            subfolders.sort()
            for name in sorted(names):
                if name.endswith(TEXT_SUFFIXES):
                    yield os.path.relpath(os.path.join(directory, name), root)


def excepted(path, function=None):
    return path in KNOWN_EXCEPTIONS or (function is not None and path + ":" + function in KNOWN_EXCEPTIONS)


def check(root, folders):
    """The violations, each a line of the report, and the errors that make the count untrustworthy."""
    violations, errors = [], []
    files = list(source_files(root, folders))
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as file:
            count = sum(1 for _ in file)
        if count > MAX_FILE_LINES and not excepted(path):
            violations.append(f"{path}:1: the file: {count} lines (limit {MAX_FILE_LINES})")

    parser = Parser(root)
    with tempfile.TemporaryDirectory() as folder:
        parser.precompile(system_headers(root, files), folder)
        return check_functions(parser, files, violations, errors)


def system_headers(root, files):
    """The <headers> that the files include outside every #if, <windows.h> first (the system's other
    headers build on it). What only one system's build includes stays out."""
    headers = {}
    for path in files:
        depth = 0
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as file:
            for line in file:
                directive = PREPROCESSOR_LINE.match(line)
                if not directive:
                    continue
                keyword, rest = directive.groups()
                if keyword in ("if", "ifdef", "ifndef"):
                    depth += 1
                elif keyword == "endif":
                    depth -= 1
                elif keyword == "include" and depth == 0 and rest.startswith("<"):
                    headers[rest[1:].split(">")[0]] = None
    return sorted(headers, key=lambda header: header != "windows.h")


def check_functions(parser, files, violations, errors):
    seen = set()
    in_scope = set(files)
    # Every .cpp, then each header that no .cpp includes: a header is parsed with each file that
    # includes it, and its functions are counted once.
    sources = [p for p in files if p.endswith(".cpp")]
    sources += [p for p in files if p.endswith(".h")]
    parsed_headers = set()
    for path in sources:
        if path.endswith(".h") and path in parsed_headers:
            continue
        found, included, parse_errors = parser.functions(os.path.join(parser.root, path))
        errors += parse_errors
        parsed_headers |= included
        for file, line, name, lines in found:
            if file not in in_scope or (file, line, name) in seen:
                continue
            seen.add((file, line, name))
            short = name.rsplit("::", 1)[-1]
            if lines > MAX_FUNCTION_LINES and not excepted(file, short):
                violations.append(f"{file}:{line}: {name}: {lines} lines (limit {MAX_FUNCTION_LINES})")
    return sorted(violations), errors


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    root = argv[1]
    if any(exception.startswith("src/") for exception in KNOWN_EXCEPTIONS):
        sys.exit("source_sizes: src/ may have no exceptions")
    violations, errors = check(root, argv[2:] or ["src", "tools"])
    for error in errors:
        print("parse error: " + error)
    for violation in violations:
        print(violation)
    return 1 if violations or errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
