#!/usr/bin/env python3
"""The include check on small made-up trees: what it lets through and what it reports."""
import contextlib
import io
import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_includes  # noqa: E402


class IncludeCheck(unittest.TestCase):

    def check(self, files):
        """Writes the files (path under src/ -> the paths it includes) and runs the check: exit code, output."""
        src = tempfile.mkdtemp()
        try:
            for path, included in files.items():
                os.makedirs(os.path.join(src, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(src, path), 'w') as out:
                    out.write(''.join(f'#include "{name}"\n' for name in included))
            output = io.StringIO()
            with contextlib.redirect_stdout(output):
                status = check_includes.main([src])
            return status, output.getvalue()
        finally:
            shutil.rmtree(src)

    def test_directions(self):
        cases = [
            # (what, files, passes, text the output must hold)
            ('down one layer', {'net/a.cpp': ['framework/b.h'], 'framework/b.h': []}, True, '0 includes against'),
            ('down several layers', {'app/a.cpp': ['platform/b.h'], 'platform/b.h': []}, True, '0 cycles'),
            ('within a folder', {'net/a.cpp': ['b.h'], 'net/b.h': []}, True, '0 includes against'),
            ('between capture jobs', {'capture/flows/a.cpp': ['capture/log/b.h'], 'capture/log/b.h': []}, True,
             '0 includes against'),
            ('host on the engine', {'capture/host/a.cpp': ['capture/engine/b.h'], 'capture/engine/b.h': []}, True,
             '0 includes against'),
            ('up', {'platform/a.cpp': ['framework/b.h'], 'framework/b.h': []}, False,
             'platform/a.cpp includes framework/b.h: platform/ may not include from framework/'),
            ('beside', {'net/a.cpp': ['widgets/b.h'], 'widgets/b.h': []}, False, 'net/ may not include from widgets/'),
            ('capture into its program', {'capture/flows/a.cpp': ['capture/host/b.h'], 'capture/host/b.h': []},
             False, 'capture/ may not include from capture/host/'),
            ('the packet library into capture', {'packet/a.cpp': ['capture/engine/b.h'], 'capture/engine/b.h': []},
             False, 'packet/ may not include from capture/'),
            ('a folder nobody placed', {'extra/a.cpp': ['platform/b.h'], 'platform/b.h': []}, False,
             'folder extra/ is not in the table'),
            ('a cycle', {'net/a.cpp': ['net/b.h'], 'net/a.h': [], 'net/b.cpp': ['net/a.h'], 'net/b.h': []}, False,
             'include cycle: net/a -> net/b -> net/a'),
        ]
        for what, files, passes, text in cases:
            with self.subTest(what):
                status, output = self.check(files)
                self.assertEqual(status == 0, passes, output)
                self.assertIn(text, output)

    def test_the_dialog_methods_in_net_are_the_one_exception(self):
        dialog = {'ui/hollowmere_dlg.h': [], 'ui/other.h': [], 'widgets/label.h': []}
        status, output = self.check({**dialog, 'net/statistics.cpp': ['ui/hollowmere_dlg.h', 'widgets/label.h']})
        self.assertEqual(status, 0, output)
        self.assertIn("1 files of the main dialog's methods in net/ excepted", output)
        # Only the dialog's header and the widgets, only from those files.
        status, output = self.check({**dialog, 'net/statistics.cpp': ['ui/other.h']})
        self.assertEqual(status, 1)
        self.assertIn('net/statistics.cpp includes ui/other.h', output)
        status, output = self.check({**dialog, 'net/ip_utils.cpp': ['ui/hollowmere_dlg.h']})
        self.assertEqual(status, 1)
        self.assertIn('net/ip_utils.cpp includes ui/hollowmere_dlg.h', output)


if __name__ == '__main__':
    unittest.main()
