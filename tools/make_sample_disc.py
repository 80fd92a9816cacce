#!/usr/bin/env python3
"""Builds the folders of a sample install disc set from the text sources in sample/.

  make_sample_disc.py --source DIR --out DIR [--program NAME=PATH ...]

DIR/layout.txt lists every file of every disc folder (see sample/layout.txt for the format). The
inf, the readme and the other texts are kept in UTF-8 and written in cp932 with CR LF; data files
and the picture are generated, so that nothing binary is kept in the sources. The disc set is
checked against its own inst.inf (every entry on a disc, the disc order of each type, the menu
targets, the uninstaller) so that a broken sample fails the build instead of the demonstration.

Every file gets the same fixed time stamp and is made read-only, as on a pressed disc.
"""
import argparse
import os
import random
import re
import shutil
import struct
import sys
import tempfile

DISC_TIME = 1079665200  # 2004-03-19 03:00:00 UTC: the files' time on the "pressed" disc
LEAD_BYTES = set(range(0x81, 0xA0)) | set(range(0xE0, 0xFD))
SEPARATORS = set(b'\t\n\r",={}\x00')
PLACEHOLDER = re.compile(r'@DATADISC_KB:([^@]+)@')


class LayoutError(Exception):
    pass


def read_inf(data):
    """Reads inf text (cp932 bytes) into an ordered list of (key, value) pairs, as the installer does."""
    data = data.replace(b'\r\n', b'\n')
    end = data.find(b'\x1a')
    if end >= 0:
        data = data[:end]
    pairs = []
    token = bytearray()
    key = None
    quoted = in_comment = pending = False
    expecting_key = True

    def end_token():
        nonlocal key, expecting_key
        if token:
            text = bytes(token).decode('cp932')
            if expecting_key:
                key = text
                expecting_key = False
            else:
                pairs.append((key, text))
            token.clear()

    for b in data:
        if not pending:
            if b == 0x3B:
                token.clear()
                in_comment = False
                expecting_key = True
                continue
            if b == 0x23:
                in_comment = True
                continue
            if b == 0x0A:
                in_comment = False
            if b == 0x22:
                quoted = not quoted
            if b == 0x20 and not quoted:
                b = 0x09
        if in_comment:
            continue
        if pending:
            token.append(b)
            pending = False
            continue
        if b in LEAD_BYTES:
            token.append(b)
            pending = True
            continue
        if b in SEPARATORS:
            end_token()
            continue
        if len(token) < 1023:
            token.append(b)
    return pairs


class Inf:
    def __init__(self, pairs):
        self.values = {}
        for k, v in pairs:
            self.values.setdefault(k, []).append(v)

    def all(self, key):
        return self.values.get(key, [])

    def first(self, key):
        vals = self.all(key)
        return vals[0] if vals else ''


def generated_bytes(path, size):
    """Recognisable, incompressible, reproducible contents for a data file of the sample."""
    head = ('TSUKIKAGE SAMPLE DATA ' + path + '\r\n').encode('cp932')[:size]
    rest = random.Random(path).randbytes(size - len(head))
    return head + rest


def night_picture(width, height):
    """A 24-bit bottom-up BMP: a night sky with a crescent moon above a castle on a hill."""
    rnd = random.Random(7)
    stars = {(rnd.randrange(width), rnd.randrange(height * 2 // 3)) for _ in range(60)}
    moon_x, moon_y, moon_r = width * 0.68, height * 0.22, width * 0.16
    bite_x, bite_y, bite_r = moon_x + moon_r * 0.45, moon_y - moon_r * 0.3, moon_r * 0.85

    def sky(y):
        t = y / (height - 1)
        return (int(20 + 70 * t), int(12 + 30 * t), int(60 + 60 * t))  # (r, g, b), deep blue to violet

    def ground(x):
        hill = height * 0.80 - 18 * ((x - width / 2) / (width / 2)) ** 2 * -1
        towers = [(width * 0.30, 12, 60), (width * 0.47, 16, 86), (width * 0.64, 12, 66)]
        top = hill
        for cx, half, tall in towers:
            if abs(x - cx) <= half:
                top = min(top, hill - tall)
                if abs(x - cx) <= half - 3 and (int(x - cx + half) // 4) % 2 == 0:
                    top = min(top, hill - tall - 5)  # battlements
        if width * 0.30 <= x <= width * 0.64:
            top = min(top, hill - 38)  # the wall between the towers
        return top

    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            r, g, b = sky(y)
            if (x, y) in stars:
                r, g, b = 235, 235, 210
            in_moon = (x - moon_x) ** 2 + (y - moon_y) ** 2 <= moon_r ** 2
            in_bite = (x - bite_x) ** 2 + (y - bite_y) ** 2 <= bite_r ** 2
            if in_moon and not in_bite:
                r, g, b = 250, 236, 160
            if y >= ground(x):
                r, g, b = 14, 10, 28
                # lit windows of the castle
                if int(x) % 9 in (4, 5) and int(y) % 14 in (5, 6, 7) and y < height * 0.78:
                    r, g, b = 240, 200, 90
            row += bytes((b, g, r))
        row += b'\0' * ((4 - len(row) % 4) % 4)
        rows.append(bytes(row))
    pixels = b''.join(reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def to_cp932_crlf(text):
    text = text.replace('\r\n', '\n').replace('\n', '\r\n')
    return text.encode('cp932')


def parse_layout(path):
    files = []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            parts = line.split()
            if len(parts) != 3 or ':' not in parts[2]:
                raise LayoutError(f'{path}:{number}: expected "<disc> <path> <kind>:<argument>"')
            kind, arg = parts[2].split(':', 1)
            files.append((parts[0], parts[1], kind, arg, number))
    return files


def build(source, out, programs):
    layout = parse_layout(os.path.join(source, 'layout.txt'))
    discs = []
    for disc, _, _, _, _ in layout:
        if disc not in discs:
            discs.append(disc)

    # Sizes first: the inf's data-disc sizes are computed from them.
    sizes = {}
    contents = {}
    inf_sources = {}
    for disc, path, kind, arg, number in layout:
        where = f'layout.txt:{number}'
        if kind == 'bytes':
            data = generated_bytes(path, int(arg))
        elif kind == 'text':
            with open(os.path.join(source, arg), encoding='utf-8') as f:
                data = to_cp932_crlf(f.read())
        elif kind == 'image':
            w, h = (int(n) for n in arg.split('x'))
            data = night_picture(w, h)
        elif kind == 'program':
            if arg not in programs:
                if arg == 'inst':
                    print(f'make_sample_disc: inst.exe is not built yet; {disc} has no installer', file=sys.stderr)
                    continue
                raise LayoutError(f'{where}: no --program {arg}=PATH given')
            with open(programs[arg], 'rb') as f:
                data = f.read()
        elif kind == 'inf':
            with open(os.path.join(source, arg), encoding='utf-8') as f:
                inf_sources[disc] = f.read()
            data = None
        elif kind == 'id':
            data = None
        else:
            raise LayoutError(f'{where}: unknown content kind "{kind}"')
        contents[(disc, path)] = (kind, arg, data)
        if data is not None:
            sizes[(disc, path)] = len(data)

    if len(inf_sources) != 1:
        raise LayoutError('the layout must hold exactly one inst.inf')
    game_disc, inf_text = next(iter(inf_sources.items()))
    inf = Inf(read_inf(to_cp932_crlf(PLACEHOLDER.sub('0', inf_text))))

    # Which folder is which disc: by the ID its disc.id carries.
    disc_of_id = {}
    for (disc, path), (kind, arg, _) in contents.items():
        if kind == 'id':
            value = inf.first(arg)
            if not value or '\n' in value:
                raise LayoutError(f'{disc}\\{path}: {arg} must be a non-empty single line')
            disc_of_id[arg] = disc
    data_disc = disc_of_id.get('DataDiscID')
    if inf.first('DataDiscID') and not data_disc:
        raise LayoutError('DataDiscID is set but no disc carries it')

    def on(disc, path):
        return (disc, path) in contents

    errors = []
    types = inf.all('InstType')
    if not types:
        errors.append('InstType lists no install type')
    for name in types:
        entries = inf.all(name)
        if not entries:
            errors.append(f'install type {name} has no entries')
        seen_data_disc = False
        for e in entries:
            if on(game_disc, e):
                if seen_data_disc:
                    errors.append(f'{name}: {e} on the game disc comes after a data-disc file (a second swap)')
            elif data_disc and on(data_disc, e):
                seen_data_disc = True
            else:
                errors.append(f'{name}: {e} is on no disc')
        additive = inf.first('AdditiveInstall') == 'enable'  # the uninstaller is there already
        if not additive and inf.first('Uninstaller') and inf.first('Uninstaller') not in entries:
            errors.append(f'{name}: the uninstaller {inf.first("Uninstaller")} is not installed')
    for item in inf.all('MenuItem'):
        target = inf.all(item)
        if len(target) != 2:
            errors.append(f'menu item {item} needs a target and a description')
            continue
        for name in types:
            if target[0] not in inf.all(name):
                errors.append(f'menu item {item}: {target[0]} is not installed by {name}')
    for key in ('Image', 'CopyToWinDir'):
        if inf.first(key) and not on(game_disc, inf.first(key)):
            errors.append(f'{key} {inf.first(key)} is not on the game disc')
    for disc in discs:
        if not on(disc, 'readme.1st'):
            errors.append(f'{disc} has no readme.1st (it is shown from the disc in the drive at the end)')
        if inf.first('CopyToWinDir') and not on(disc, inf.first('CopyToWinDir')):
            errors.append(f'{disc} lacks {inf.first("CopyToWinDir")} (copied from the disc in the drive at the end)')
    for key in ('InstTypeDesc', 'DataDiscSize'):
        if inf.all(key) and len(inf.all(key)) != len(types):
            errors.append(f'{key} has {len(inf.all(key))} values for {len(types)} install types')

    def data_disc_kb(match):
        name = match.group(1)
        if name not in types:
            errors.append(f'@DATADISC_KB:{name}@ names no install type')
            return '0'
        if not data_disc:
            return '0'
        return str(sum(sizes[(data_disc, e)] // 1024 for e in inf.all(name)
                       if not on(game_disc, e) and on(data_disc, e)))

    inf_bytes = to_cp932_crlf(PLACEHOLDER.sub(data_disc_kb, inf_text))
    if errors:
        raise LayoutError('\n'.join(errors))

    # Write into a fresh folder beside the target, then put it in place.
    os.makedirs(out, exist_ok=True)
    staging = tempfile.mkdtemp(prefix='.sample-', dir=out)
    try:
        for (disc, path), (kind, arg, data) in contents.items():
            if kind == 'inf':
                data = inf_bytes
            elif kind == 'id':
                data = inf.first(arg).encode('cp932')
            target = os.path.join(staging, disc, *path.split('\\'))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, 'wb') as f:
                f.write(data)
        for root, dirs, names in os.walk(staging):
            for n in names + dirs:
                p = os.path.join(root, n)
                os.utime(p, (DISC_TIME, DISC_TIME))
                if n in names:
                    os.chmod(p, 0o444)
        for disc in discs:
            final = os.path.join(out, disc)
            if os.path.lexists(final):
                shutil.rmtree(final)
            os.rename(os.path.join(staging, disc), final)
            os.utime(final, (DISC_TIME, DISC_TIME))
    finally:
        shutil.rmtree(staging, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--source', required=True, help='folder with layout.txt and the text sources')
    parser.add_argument('--out', required=True, help='folder that receives one sub-folder per disc')
    parser.add_argument('--program', action='append', default=[], metavar='NAME=PATH',
                        help='a program of the build that the layout names as program:NAME')
    parser.add_argument('--stamp', help='file touched after a successful build')
    args = parser.parse_args()
    programs = {}
    for p in args.program:
        name, _, path = p.partition('=')
        if path and os.path.exists(path):
            programs[name] = path
    try:
        build(args.source, args.out, programs)
    except (LayoutError, OSError, UnicodeError) as e:
        print(f'make_sample_disc: {args.source}: {e}', file=sys.stderr)
        return 1
    if args.stamp:
        with open(args.stamp, 'w') as f:
            f.write('built\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
