"""The layer check on small trees: what it lets pass, and what it reports, with file and line."""

import pathlib
import tempfile
import unittest

import layer_check

README = """# Demo

## Layout

### Layers

| Layer | Name | Folders |
|---|---|---|
| 1 | base | `base` |
| 2 | parts | `left`, `right` |
| 3 | top | `top` |

## Next section

| 9 | not a layer | `ignored` |
"""


def tree(files, readme=README):
    """A repository in a temporary folder: README.md and `files` (path: text) under src/."""
    folder = tempfile.TemporaryDirectory()
    root = pathlib.Path(folder.name)
    (root / "README.md").write_text(readme, encoding="utf-8")
    for name in ("base", "left", "right", "top"):
        (root / "src" / name).mkdir(parents=True, exist_ok=True)
    for path, text in files.items():
        (root / "src" / path).parent.mkdir(parents=True, exist_ok=True)
        (root / "src" / path).write_text(text, encoding="utf-8")
    return folder


class LayerCheckTest(unittest.TestCase):
    def findings(self, files, readme=README):
        with tree(files, readme) as root:
            return layer_check.check(root)

    def test_includes_that_keep_the_layers_pass(self):
        files = {
            "top/app.cpp": '#include "top/app.h"\n#include "left/l.h"\n#include "base/b.h"\n',
            "left/l.cpp": '#include <windows.h>\n#include "l.h"\n#include "base/b.h"\n#include "jni.h"\n',
            "left/deep/x.h": '#include "left/l.h"\n',
            "base/b.h": '// #include "top/app.h" is only a comment\n',
        }
        self.assertEqual(self.findings(files), [])

    def test_each_broken_rule_is_named_with_file_and_line(self):
        cases = [
            ("base/b.cpp", '#include "base/b.h"\n#include "top/app.h"\n',
             'src/base/b.cpp:2: includes "top/app.h": base (layer 1, base) may not include top (layer 3, top)'),
            ("left/deep/l.h", '\n\n  #  include "left/x.h"\n#include "right/r.h"\n',
             'src/left/deep/l.h:4: includes "right/r.h": left and right share layer 2 (parts)'),
            ("right/r.cpp", '#include "top/app.h"\n',
             'src/right/r.cpp:1: includes "top/app.h": right (layer 2, parts) may not include top'),
        ]
        for path, text, expected in cases:
            with self.subTest(path=path):
                found = self.findings({path: text})
                self.assertEqual(len(found), 1, found)
                self.assertTrue(found[0].startswith(expected), found[0])

    def test_the_table_must_describe_the_tree(self):
        found = self.findings({"extra/e.cpp": "", "top/app.cpp": ""},
                              README.replace(", `right`", ", `right`, `gone`"))
        self.assertEqual(found, ["src/extra: no layer of README.md names this folder",
                                 "README.md: layer 2 names src/gone, which does not exist"])
        found = self.findings({}, "# Demo\n\nNo layers here.\n")
        self.assertEqual(len(found), 1)
        self.assertIn("no table of layers", found[0])


if __name__ == "__main__":
    unittest.main()
