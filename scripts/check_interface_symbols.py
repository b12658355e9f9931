#!/usr/bin/env python3
"""Checks the interface description against the library file: every function and global it
names must be exported by the library, and every C symbol the library exports must be named.

usage: check_interface_symbols.py INTERFACE.json LIBRARY [--nm NM]
"""
import argparse
import json
import subprocess
import sys


def exported(nm, library):
    out = subprocess.run([nm, '-g', '--defined-only', library], capture_output=True, text=True,
                         check=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) != 3:
            continue
        _, kind, name = parts
        # C++ names (mangled), the unwinder's helpers and weak template copies are not interface.
        if name.startswith(('_Z', 'DW.ref.', '_GLOBAL_', '__')) or kind in 'VvWwUu':
            continue
        names.add(name)
    return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('description')
    parser.add_argument('library')
    parser.add_argument('--nm', default='nm')
    args = parser.parse_args()
    with open(args.description, encoding='utf-8') as f:
        description = json.load(f)
    declared = {f['name'] for f in description['functions']} | {g['name'] for g in description['globals']}
    library = exported(args.nm, args.library)
    missing = sorted(declared - library)
    undeclared = sorted(library - declared)
    for name in missing:
        print('named in the description but not exported by the library: ' + name)
    for name in undeclared:
        print('exported by the library but not in the description: ' + name)
    print('%d functions and globals described, %d symbols exported' % (len(declared), len(library)))
    sys.exit(1 if missing or undeclared else 0)


if __name__ == '__main__':
    main()
