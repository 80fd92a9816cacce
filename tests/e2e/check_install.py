#!/usr/bin/env python3
"""Checks from the host what an installation left in a Wine prefix.

  check_install.py files  --prefix P --instdir WIN --source INF TYPE DISC [DISC...] [--source ...]
                          [--allow NAME ...]
      every entry of each install type is in the install folder, byte for byte the file of the first
      disc that holds it, with that file's modification time and not read-only; a later --source
      replaces the files of an earlier one; nothing else is in the folder but the allowed names
  check_install.py empty  --prefix P --instdir WIN
      the install folder exists and holds nothing (a rolled-back installation)
  check_install.py same   --prefix P --file WIN --expect FILE [--subst NAME=VALUE ...]
      a cp932 file of the installation equals FILE (UTF-8, LF; compared as cp932 with CR LF; a
      final line break in FILE is not part of the text; @NAME@ in FILE stands for VALUE)
  check_install.py needed --source INF TYPE DISC --index N
      prints the needed size that the dialog shows for TYPE as the N-th item of its list: the KB
      of the type's files on DISC plus the N-th DataDiscSize value
WIN paths are Windows paths of the prefix (C:\\...); INF is an inst.inf of a disc.
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools'))
import make_sample_disc  # noqa: E402  (its inf reader reads as the installer does)


def unix_path(prefix, win):
    drive, rest = win[0].lower(), win[2:].replace('\\', '/').strip('/')
    root = os.path.join(prefix, 'dosdevices', drive + ':')
    return os.path.join(root, rest) if rest else root


def check_files(args):
    problems = []
    expected = {}  # entry -> source file
    for source in args.source:
        if len(source) < 3:
            sys.exit('--source needs INF TYPE DISC [DISC...]')
        inf_path, type_name, discs = source[0], source[1], source[2:]
        with open(inf_path, 'rb') as f:
            inf = make_sample_disc.Inf(make_sample_disc.read_inf(f.read()))
        entries = inf.all(type_name)
        if not entries:
            problems.append(f'{inf_path} has no install type {type_name}')
        for e in entries:
            for d in discs:
                candidate = os.path.join(d, *e.split('\\'))
                if os.path.isfile(candidate):
                    expected[e] = candidate
                    break
            else:
                problems.append(f'{e} is on none of the discs {discs}')
    folder = unix_path(args.prefix, args.instdir)
    for entry, origin in sorted(expected.items()):
        installed = os.path.join(folder, *entry.split('\\'))
        if not os.path.isfile(installed):
            problems.append(f'missing: {entry}')
            continue
        with open(installed, 'rb') as a, open(origin, 'rb') as b:
            if a.read() != b.read():
                problems.append(f'differs from the disc: {entry}')
        if int(os.stat(installed).st_mtime) != int(os.stat(origin).st_mtime):
            problems.append(f'not the disc file\'s time: {entry}')
        if not os.stat(installed).st_mode & 0o200:
            problems.append(f'read-only: {entry}')
    allowed = set(args.allow or [])
    for root, _, names in os.walk(folder):
        for n in names:
            rel = os.path.relpath(os.path.join(root, n), folder).replace('/', '\\')
            if rel not in expected and rel not in allowed:
                problems.append(f'not installed by the types: {rel}')
    return problems, f'{len(expected)} files as on the discs in {args.instdir}'


def check_empty(args):
    folder = unix_path(args.prefix, args.instdir)
    if not os.path.isdir(folder):
        return [f'the install folder {args.instdir} is gone'], ''
    left = []
    for root, dirs, names in os.walk(folder):
        left += [os.path.relpath(os.path.join(root, n), folder) for n in dirs + names]
    return [f'left behind: {x}' for x in sorted(left)], f'{args.instdir} is there and empty'


def check_same(args):
    path = unix_path(args.prefix, args.file)
    with open(args.expect, encoding='utf-8') as f:
        text = f.read()
    if text.endswith('\n'):
        text = text[:-1]
    for pair in args.subst or []:
        name, _, value = pair.partition('=')
        text = text.replace('@' + name + '@', value)
    want = text.replace('\n', '\r\n').encode('cp932')
    try:
        with open(path, 'rb') as f:
            got = f.read()
    except OSError as e:
        return [f'cannot read {args.file}: {e}'], ''
    if got == want:
        return [], f'{args.file} is as expected'
    got_lines = got.decode('cp932', errors='replace').split('\r\n')
    want_lines = want.decode('cp932').split('\r\n')
    for i, (g, w) in enumerate(zip(got_lines, want_lines)):
        if g != w:
            return [f'{args.file} line {i + 1}: {g!r}, expected {w!r}'], ''
    return [f'{args.file} has {len(got_lines)} lines, expected {len(want_lines)} '
            f'(or differs in its line ends)'], ''


def print_needed(args):
    inf_path, type_name, disc = args.source[0][0], args.source[0][1], args.source[0][2]
    with open(inf_path, 'rb') as f:
        inf = make_sample_disc.Inf(make_sample_disc.read_inf(f.read()))
    kb = 0
    for e in inf.all(type_name):
        p = os.path.join(disc, *e.split('\\'))
        if os.path.isfile(p):
            kb += os.path.getsize(p) // 1024
    sizes = inf.all('DataDiscSize')
    kb += int(sizes[args.index]) if args.index < len(sizes) else 0
    print('%.2f [MB]' % (kb / 1024) if kb < 1048576 else '%.2f [GB]' % (kb / 1048576))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('what', choices=['files', 'empty', 'same', 'needed'])
    parser.add_argument('--prefix')
    parser.add_argument('--index', type=int, default=0)
    parser.add_argument('--instdir')
    parser.add_argument('--source', nargs='+', action='append')
    parser.add_argument('--allow', nargs='*')
    parser.add_argument('--file')
    parser.add_argument('--expect')
    parser.add_argument('--subst', nargs='*')
    args = parser.parse_args()
    if args.what == 'needed':
        return print_needed(args)
    check = {'files': check_files, 'empty': check_empty, 'same': check_same}[args.what]
    problems, summary = check(args)
    for p in problems:
        print(f'check {args.what}: {p}')
    if problems:
        return 1
    print(f'check {args.what}: {summary}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
