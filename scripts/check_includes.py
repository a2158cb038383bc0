#!/usr/bin/env python3
"""Prints every include cycle among the files of src/ and exits non-zero when there is one.

A header and the source file of the same name in the same folder count as one unit (wnd.h and wnd.cpp are
"framework/wnd"): two units whose files include each other's headers form a cycle, although no header
includes itself. Includes in quotes are read relative to src/ or to the including file."""
import collections
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_ENDINGS = ('.h', '.hpp', '.c', '.cpp', '.rc')


def read_units(src):
    """Each unit (a path under src/ without its ending) with the set of units it includes."""
    graph = collections.defaultdict(set)
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(folder, name)
            unit = os.path.splitext(os.path.relpath(path, src))[0]
            graph[unit]
            with open(path, encoding='utf-8', errors='replace') as text:
                for included in INCLUDE.findall(text.read()):
                    for base in (src, folder):
                        target = os.path.join(base, included)
                        if os.path.isfile(target):
                            other = os.path.splitext(os.path.relpath(target, src))[0]
                            if other != unit:
                                graph[unit].add(other)
                            break
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


def main():
    src = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'src')
    graph = read_units(src)
    cycles = find_cycles(graph)
    for cycle in cycles:
        print('include cycle: ' + ' -> '.join(cycle))
    print(f'include check: {len(graph)} units of src/, {len(cycles)} cycles')
    return 1 if cycles else 0


if __name__ == '__main__':
    sys.exit(main())
