#!/usr/bin/env python3
"""Checks the includes among the files of src/: no cycle, and every arrow between folders pointing down.

Cycles: a header and the source file of the same name in the same folder count as one unit (wnd.h and
wnd.cpp are "framework/wnd"): two units whose files include each other's headers form a cycle, although no
header includes itself.

Direction: the folders form layers (the table BELOW), and a file may include from its own folder and from
the folders below its own, never from one above or beside it. The one named exception is in
DIALOG_METHOD_FILES. Includes in quotes are read relative to src/ or to the including file; tests, tools,
benchmarks and fuzzers live outside src/ and may include any of it.

Prints every cycle and every include against the direction, and exits non-zero when there is one."""
import collections
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_ENDINGS = ('.h', '.hpp', '.c', '.cpp', '.rc')

# The folders each folder builds on directly; a folder may include from these and, through them, from every
# folder below them. From the top:
#   app           start-up: runs the main dialog, and builds the program's global capture objects
#   ui            the main dialog, which drives net's logic and is made of widgets
#   capture/host  the capture program, on the capture engine and its jobs
#   net, widgets, capture (its folders but host: settings, names, log, flows, engine and what comes)
#   framework     our window framework
#   packet        the packet.dll stand-in; capture loads it by name and shares its interface header and
#                 its capture-file formats
#   platform      one thin wrapper per Win32 area, and plain helpers every folder may use
#   res           resource identifiers and templates
# The folders of capture (but host) are one layer: they are the jobs of one engine and use each other; the
# cycle check keeps their files apart.
BELOW = {
    'app': {'ui', 'capture'},
    'ui': {'net', 'widgets', 'res'},
    'capture/host': {'capture'},
    'net': {'framework'},
    'widgets': {'framework'},
    'capture': {'framework', 'packet'},
    'framework': {'platform'},
    'packet': {'platform'},
    'platform': set(),
    'res': set(),
}

# The one arrow that points up. The main dialog's statistics, acceleration and dial-up methods live in
# src/net, beside the logic they drive, where the design places the network engine: being the dialog's own
# methods, these files include the dialog's header and the widgets that its members are, and nothing else
# from above. No other file of src/net may include from ui or widgets.
DIALOG_METHOD_FILES = {'net/acceleration.cpp', 'net/dial_up.cpp', 'net/statistics.cpp'}
DIALOG_HEADER = 'ui/hollowmere_dlg.h'


def folder_of(path):
    """The layer of a path under src/: its first folder, or capture/host for the capture program."""
    parts = path.split('/')
    if len(parts) < 2:
        return ''
    if parts[0] == 'capture' and len(parts) > 2 and parts[1] == 'host':
        return 'capture/host'
    return parts[0]


def allowed_folders(folder):
    """The folders that a folder's files may include: its own and every one below it."""
    allowed, todo = {folder}, [folder]
    while todo:
        for below in BELOW.get(todo.pop(), ()):
            if below not in allowed:
                allowed.add(below)
                todo.append(below)
    return allowed


def read_includes(src):
    """Every file of src/ (a path relative to src/) with the files of src/ it includes."""
    includes = {}
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(folder, name)
            targets = includes.setdefault(os.path.relpath(path, src).replace(os.sep, '/'), set())
            with open(path, encoding='utf-8', errors='replace') as text:
                for included in INCLUDE.findall(text.read()):
                    for base in (src, folder):
                        target = os.path.join(base, included)
                        if os.path.isfile(target):
                            targets.add(os.path.relpath(target, src).replace(os.sep, '/'))
                            break
    return includes


def units_of(includes):
    """Each unit (a path under src/ without its ending) with the set of units it includes."""
    graph = collections.defaultdict(set)
    for path, targets in includes.items():
        unit = os.path.splitext(path)[0]
        graph[unit]
        for target in targets:
            other = os.path.splitext(target)[0]
            if other != unit:
                graph[unit].add(other)
    return graph


def shortest_cycle(graph, start):
    """The shortest path start -> ... -> start, or None."""
    previous = {start: None}
    queue = collections.deque([start])
    while queue:
        unit = queue.popleft()
        for other in sorted(graph[unit]):
            if other == start:
                path = []
                while unit is not None:
                    path.append(unit)
                    unit = previous[unit]
                return path[::-1] + [start]
            if other not in previous:
                previous[other] = unit
                queue.append(other)
    return None


def find_cycles(graph):
    """One shortest cycle per group of units that reach each other, without repeats."""
    cycles, seen = [], set()
    for unit in sorted(graph):
        if unit in seen:
            continue
        cycle = shortest_cycle(graph, unit)
        if cycle:
            seen.update(cycle)
            cycles.append(cycle)
    return cycles


def find_wrong_directions(includes):
    """Every include from a folder to one that is not below it, and every file in a folder not in the table;
    also the files of the named exception that used it."""
    wrong, excepted = [], set()
    for path in sorted(includes):
        folder = folder_of(path)
        if folder == '':
            continue
        if folder not in BELOW:
            wrong.append(f'{path}: folder {folder}/ is not in the table of directions (scripts/check_includes.py)')
            continue
        allowed = allowed_folders(folder)
        for target in sorted(includes[path]):
            other = folder_of(target)
            if other in allowed:
                continue
            if path in DIALOG_METHOD_FILES and (target == DIALOG_HEADER or other == 'widgets'):
                excepted.add(path)
                continue
            wrong.append(f'{path} includes {target}: {folder}/ may not include from {other}/')
    return wrong, excepted


def main(argv):
    """Checks src/ of this checkout, or the folder given (for the script's own test)."""
    src = argv[0] if argv else os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'src')
    includes = read_includes(src)
    graph = units_of(includes)
    cycles = find_cycles(graph)
    for cycle in cycles:
        print('include cycle: ' + ' -> '.join(cycle))
    wrong, excepted = find_wrong_directions(includes)
    for line in wrong:
        print('include against the direction: ' + line)
    print(f'include check: {len(graph)} units of src/, {len(cycles)} cycles, {len(wrong)} includes against the '
          f'direction ({len(excepted)} files of the main dialog\'s methods in net/ excepted)')
    return 1 if cycles or wrong else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
