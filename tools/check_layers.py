#!/usr/bin/env python3
"""Fails when a file under src/ includes a header of a layer it may not build on, or when
headers include each other in a circle. platform is the base; core, view and desktop build on
it alone; ui on all of them; main.cpp on ui."""
import os
import re
import sys

ALLOWED = {
    'platform': {'platform'},
    'core': {'core', 'platform'},
    'view': {'view', 'platform'},
    'desktop': {'desktop', 'platform'},
    'ui': {'ui', 'core', 'view', 'desktop', 'platform'},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main(src):
    where = {}  # "layer/Name.h" -> path
    for layer in ALLOWED:
        for name in os.listdir(os.path.join(src, layer)):
            where[f'{layer}/{name}'] = os.path.join(src, layer, name)
    by_base = {os.path.basename(k): k for k in where}
    faults = []
    edges = {}
    for key, path in sorted(where.items()):
        if not path.endswith(('.h', '.cpp')):
            continue
        layer = key.split('/')[0]
        with open(path, encoding='utf-8') as f:
            text = f.read()
        for included in INCLUDE.findall(text):
            target = included if included in where else by_base.get(included)
            if target is None:
                continue
            if target.split('/')[0] not in ALLOWED[layer]:
                faults.append(f'{key} includes {included}: {layer} may not build on {target.split("/")[0]}')
            if key.endswith('.h'):
                edges.setdefault(key, []).append(target)
    # a circle among headers
    state = {}

    def visit(node, trail):
        state[node] = 1
        for nxt in edges.get(node, []):
            if state.get(nxt) == 1:
                faults.append('circle: ' + ' -> '.join(trail[trail.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = 2

    for node in sorted(edges):
        if node not in state:
            visit(node, [node])
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
