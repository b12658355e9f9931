#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Every seed is made here by hand: the edge cases the unit tests use, small well-formed files that
lead the fuzzer into every branch of a format, and the hostile files of tests/data/hostile that
belong to the target (copied as they are). Run it again after changing it; the files are kept in
the repository so that the fuzz runs need nothing but the sources.
"""
import os
import shutil
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, 'fuzz', 'corpus')
HOSTILE = os.path.join(ROOT, 'tests', 'data', 'hostile')


def be32(v):
    return struct.pack('>I', v & 0xFFFFFFFF)


def ref(position, length):
    """A two-byte LZSS reference."""
    return bytes([position & 0xFF, ((position >> 4) & 0xF0) | (length - 3)])


def lzss_groups(items):
    """Compressed data from items: bytes objects of length 1 are literals, of length 2 references."""
    out = b''
    for g in range(0, len(items), 8):
        group = items[g:g + 8]
        flags = sum(1 << i for i, item in enumerate(group) if len(item) == 1)
        out += bytes([flags]) + b''.join(group)
    return out


def literals(text):
    return [bytes([c]) for c in text]


def chunk(data, size=None, stored=None):
    """A stored chunk: stored size, data size, data."""
    return be32(len(data) if stored is None else stored) + be32(
        len(data) if size is None else size) + data


def packed_chunk(compressed, output_size):
    return be32(len(compressed)) + be32(-output_size) + compressed


def name_property(name):
    return b'prop' + b'NAME' + be32(len(name)) + name


def datafile_object(name, type_id, contents):
    return name_property(name) + type_id + chunk(contents)


def datafile_body(objects):
    return be32(len(objects)) + b''.join(objects)


def datafile(objects, header=b'kwp.'):
    return header + b'COR.' + datafile_body(objects)


def nested_datafile(levels):
    leaf = datafile_body([datafile_object(b'leaf', b'TEXT', b'found')])
    body = leaf
    for _ in range(levels):
        body = be32(1) + name_property(b'a') + b'FILE' + chunk(body)
    return b'kwp.COR.' + body


# The password the lzss target tries besides none.
PASSWORD = b'Corvane fuzz'


def keyed_id(four, new_form):
    """A stream id as a file protected by PASSWORD stores it."""
    def signed(i):
        b = PASSWORD[i % len(PASSWORD)]
        return (b - 256 if b >= 128 else b) & 0xFFFFFFFF
    key = 0
    for i in range(len(PASSWORD)):
        key ^= (signed(i) << (8 * (i % 4))) & 0xFFFFFFFF
    key ^= (signed(0) << 24) & 0xFFFFFFFF
    key ^= (signed(1) << 16) & 0xFFFFFFFF
    key ^= (signed(2) << 8) & 0xFFFFFFFF
    key ^= signed(3)
    if new_form:
        key ^= 42
    return struct.unpack('>I', four)[0] ^ key


def scramble(data):
    """Every byte XORed with PASSWORD in turn, as a protected stream stores it."""
    return bytes(b ^ PASSWORD[i % len(PASSWORD)] for i, b in enumerate(data))


def scramble_flags(items):
    """Compressed data of the older key form: only the flag bytes are XORed, in turn."""
    out = lzss_groups(items)
    result = bytearray(out)
    position = 0
    for g in range(0, len(items), 8):
        result[position] ^= PASSWORD[(g // 8) % len(PASSWORD)]
        position += 1 + sum(len(item) for item in items[g:g + 8])
    return bytes(result)


def hostile(name):
    with open(os.path.join(HOSTILE, name), 'rb') as f:
        return f.read()


def riff_chunk(name, body):
    """A RIFF chunk: id, little-endian length, body and the pad byte of an odd length."""
    return name + struct.pack('<I', len(body)) + body + (b'\x00' if len(body) % 2 else b'')


def soundfont(zones=1, loop=True, offsets=False):
    """A small SoundFont 2 file: one sample of a square wave, one instrument with the given
    number of zones split by key, one preset, and a drum kit preset."""
    points = [8000 if i % 16 < 8 else -8000 for i in range(64)]
    smpl = struct.pack('<%dh' % (len(points) + 46), *(points + [0] * 46))
    shdr = (b'square'.ljust(20, b'\x00') + struct.pack('<IIIII', 0, 64, 8, 56, 22050) +
            bytes([60, 0xFB]) + struct.pack('<HH', 0, 1) + b'EOS'.ljust(46, b'\x00'))
    igen = b''
    ibag = b''
    count = 0
    for z in range(zones):
        ibag += struct.pack('<HH', count, 0)
        low, high = z * 128 // zones, (z + 1) * 128 // zones - 1
        gens = [(43, low | high << 8), (54, 1 if loop else 0), (48, 20 * z), (17, 100 * z - 200),
                (38, -1200)]
        if offsets:
            gens += [(0, 2), (1, -3), (2, 1), (3, -1), (4, 0), (51, 1), (52, -5), (58, 64)]
        gens.append((53, 0))
        for oper, amount in gens:
            igen += struct.pack('<Hh', oper, amount)
            count += 1
    ibag += struct.pack('<HH', count, 0)
    igen += struct.pack('<Hh', 0, 0)
    inst = b'inst'.ljust(20, b'\x00') + struct.pack('<H', 0) + b'EOI'.ljust(20, b'\x00') + \
        struct.pack('<H', zones)
    pgen = struct.pack('<Hh', 48, 10) + struct.pack('<Hh', 41, 0) + struct.pack('<Hh', 41, 0) + \
        struct.pack('<Hh', 0, 0)
    pbag = struct.pack('<HH', 0, 0) + struct.pack('<HH', 2, 0) + struct.pack('<HH', 3, 0)
    phdr = (b'melody'.ljust(20, b'\x00') + struct.pack('<HHHIII', 0, 0, 0, 0, 0, 0) +
            b'kit'.ljust(20, b'\x00') + struct.pack('<HHHIII', 0, 128, 1, 0, 0, 0) +
            b'EOP'.ljust(20, b'\x00') + struct.pack('<HHHIII', 0, 0, 2, 0, 0, 0))
    mod = b'\x00' * 10
    pdta = (b'pdta' + riff_chunk(b'phdr', phdr) + riff_chunk(b'pbag', pbag) +
            riff_chunk(b'pmod', mod) + riff_chunk(b'pgen', pgen) + riff_chunk(b'inst', inst) +
            riff_chunk(b'ibag', ibag) + riff_chunk(b'imod', mod) + riff_chunk(b'igen', igen) +
            riff_chunk(b'shdr', shdr))
    info = b'INFO' + riff_chunk(b'ifil', struct.pack('<HH', 2, 1)) + riff_chunk(b'INAM', b'seed\x00')
    body = (b'sfbk' + riff_chunk(b'LIST', info) + riff_chunk(b'LIST', b'sdta' + riff_chunk(b'smpl', smpl)) +
            riff_chunk(b'LIST', pdta))
    return riff_chunk(b'RIFF', body)


def seeds():
    s = {}
    sample = b'The dragon guards the castle, and the castle guards the dragon. ' * 4

    # Compressed streams read with "rp" (and the round trip of the same bytes).
    s['lzss'] = {
        'ten_a.kwp': b'kwp!' + lzss_groups(literals(b'A') + [ref(4078, 9)]),
        'empty.kwp': b'kwp!',
        'plain_header.kwp': b'kwp.' + b'plain data behind the header',
        'leading_zeros.kwp': b'kwp!' + lzss_groups([ref(4060, 18), ref(4062, 5)]),
        'overlapping.kwp': b'kwp!' + lzss_groups(literals(b'x') + [ref(4078, 3)]),
        'not_yet_written.kwp': b'kwp!' + lzss_groups(literals(b'x') + [ref(4079, 3)]),
        'before_the_zeros.kwp': b'kwp!' + lzss_groups([ref(4059, 3)]),
        'reference_cut.kwp': b'kwp!' + b'\x00\xee',
        'literals_only.kwp': b'kwp!' + lzss_groups(literals(b'hello, world')),
        'text.txt': sample,
        'no_header.bin': b'kwp',
        'unknown_header.bin': b'KWP!abcd',
        'binary.bin': bytes(range(256)) * 2,
        'password.kwp': scramble(be32(keyed_id(b'kwp!', True)) + lzss_groups(
            literals(b'secret, secret') + [ref(4078, 18)])),
        'password_plain.kwp': scramble(be32(keyed_id(b'kwp.', True)) + b'plain secret'),
        'password_older_form.kwp': scramble(be32(keyed_id(b'kwp!', False))[:4]) + scramble_flags(
            literals(b'older form, ') + [ref(4078, 18)] + literals(b'flag bytes scrambled')),
        'password_older_plain.kwp': scramble(be32(keyed_id(b'kwp.', False))) + b'as it is',
        'unwritten_reference.kwp': hostile('lzss_unwritten_reference.kwp'),
        'match_at_end.kwp': hostile('lzss_match_at_end.kwp'),
        'buffer_ends_with_match.kwp': hostile('lzss_buffer_ends_with_match.kwp'),
        'cut_after_flag.kwp': hostile('lzss_cut_after_flag.kwp'),
    }

    # Files of chunks, plain or behind a stream header.
    ten_a = lzss_groups(literals(b'A') + [ref(4078, 9)])
    s['chunk_stream'] = {
        'plain_chunk.bin': chunk(b'0123456789'),
        'packed_chunk.bin': packed_chunk(ten_a, 10),
        'two_chunks.bin': chunk(b'abc') + chunk(b'defgh') + be32(7),
        'nested.bin': chunk(chunk(b'inner') + packed_chunk(ten_a, 10)),
        'nested_three.bin': chunk(chunk(chunk(b'deepest') + b'rest')),
        'stored_larger_than_data.bin': chunk(b'abcdefgh', size=3),
        'empty_chunk.bin': chunk(b''),
        'in_packed_file.kwp': b'kwp.' + chunk(b'behind a header'),
        'packed_file.kwp': b'kwp!' + lzss_groups(literals(chunk(b'abc'))),
        'header_cut.bin': be32(4),
        'negative_stored.bin': be32(-8) + be32(0),
        'most_negative_data.bin': be32(4) + be32(0x80000000) + b'abcd',
        'beyond_expansion.bin': be32(4) + be32(-1000000) + b'abcd',
        'truncated_packed.bin': be32(2) + be32(-10) + b'\x01z',
        'corrupt_packed.bin': be32(3) + be32(-5) + b'\x00\x10\x02',
        'stored_80000000.bin': hostile('chunk_stored_80000000.bin'),
        'stored_ffffffff.bin': hostile('chunk_stored_ffffffff.bin'),
        'stored_beyond_file.bin': hostile('chunk_stored_beyond_file.bin'),
        'inner_larger_than_outer.bin': hostile('chunk_inner_larger_than_outer.bin'),
        'seek_past_outer_failure.bin': hostile('chunk_seek_past_outer_failure.bin'),
        'match_past_size.bin': hostile('chunk_match_past_size.bin'),
        'cut_after_flag.bin': hostile('chunk_cut_after_flag.bin'),
    }

    # Data files: the layout of the unit tests' game.dat, a compressed one, hostile sizes, and
    # deep nesting. A first line starting with "#" names the object path.
    nested = datafile_body([datafile_object(b'deep', b'TEXT', b'deep inside'),
                            datafile_object(b'other', b'DATA', b'x')])
    game = datafile([datafile_object(b'intro', b'TEXT', b'welcome'),
                     datafile_object(b'Levels', b'FILE', nested),
                     datafile_object(b'music.mid', b'MIDI', b'MThd...')])
    good = datafile_object(b'good', b'TEXT', b'fine')
    s['datafile'] = {
        'game.dat': game,
        'game_path.dat': b'#levels/DEEP\n' + game,
        'game_hash_path.dat': b'#Levels#deep\n' + game,
        'packed.dat': b'kwp!' + lzss_groups(literals(b'COR.' + datafile_body(
            [datafile_object(b'first', b'TEXT', b'compressed text')]))),
        'negative_object_size.dat': b'kwp.COR.' + be32(2) + b'FILE' + be32(-12) + be32(0) + good,
        'object_beyond_file.dat': b'kwp.COR.' + be32(2) + b'DATA' + be32(0x7FFFFFF0) * 2 + good,
        'property_beyond_file.dat': b'kwp.COR.' + be32(1) + b'prop' + b'AUTH' + be32(0x7FFFFFFF)
        + good,
        'negative_property.dat': b'kwp.COR.' + be32(1) + b'prop' + b'NAME' + be32(-1) + good,
        'negative_count.dat': b'kwp.COR.' + be32(0x80000000) + good,
        'huge_count.dat': b'kwp.COR.' + be32(0x7FFFFFFF) + datafile_object(b'a', b'TEXT', b'b'),
        'wrong_id.dat': b'kwp.ROC.' + datafile_body([good]),
        'nested_300.dat': nested_datafile(300),
        'nested_20_path.dat': b'#' + b'a/' * 20 + b'leaf\n' + nested_datafile(20),
        'many_empty_objects.dat': b'kwp.COR.' + be32(1001) + (b'DATA' + be32(0) + be32(0)) * 1000
        + datafile_object(b'last', b'TEXT', b'at the end'),
    }

    # Configuration text.
    s['config'] = {
        'real_looking.cfg': (b'# Corvane configuration\n\n[system]\nsystem = UNIX\nlanguage = en\n'
                             b'\n   # the display\n[graphics]\ngfx_card = AUTO\ngfx_cardw = WIN\n\n'
                             b'[sound]\ndigi_card = DCA\nquality = 2\n\t\n[midimap]\n'
                             b'p1 = 0 1 2 3\n'),
        'line_ends.cfg': b'a=1\r\nb=2\n\rc=3\r\rd=4\n\n[x]\rk v\n\rlast',
        'edge_lines.cfg': b'key==value\nkey2 = = value\nkey3 value\nkey#x = 1\n=orphan\n \t \n#',
        'numbers.cfg': (b'[n]\nhex = FFFFFFFF\nmax = 7fffffff\nint = 0x10\noctal = 010\n'
                        b'float = 2.5e3\nid = sb16\nshort_id = ab\nnumber_id = 42\nneg = -5\n'),
        'argv.cfg': b'[a]\nargs = a \'b c\' d\ncomment = x # y\nquote = "unmatched\nempty =\n',
        'transient.cfg': b'#key = 1\n[#section]\nk = v\n',
        'headers.cfg': b'[my section]\n[only\n[\n[x]]\n[]\n[sound]\nk = v\n[SOUND]\nk = w\n',
        'nul.cfg': b'key = va\x00lue\nx\x00 = 1\n',
        'utf8.cfg': '[s]\nname = café\nspace\u3000= wide\u3000\n'.encode(),
        'bracket_key.cfg': hostile('config_bracket_key.cfg'),
    }

    # Byte strings for the UTF-8 target.
    s['utf8'] = {
        'ascii.txt': b'plain ASCII text',
        'latin.txt': 'café naïve Ærø'.encode(),
        'euro.txt': '€ and ✓ and 𝄞'.encode(),
        'broken.bin': b'\xc3A\xa9\xe2\x82\xfe\x80\xff',
        'largest.bin': b'\xfd\xbf\xbf\xbf\xbf\xbf\xf4\x8f\xbf\xbf',
        'overlong_zero.bin': b'ab\xc0\x80cd',
        'codepage.bin': 'ĀāĲĳŒœŸ÷'.encode(),
        'overlong_slash.bin': hostile('utf8_overlong_slash.bin'),
        'surrogate.bin': hostile('utf8_surrogate.bin'),
        'six_byte.bin': hostile('utf8_six_byte.bin'),
        'lead_at_end.bin': hostile('utf8_lead_at_end.bin'),
        'eight_byte_lead.bin': hostile('utf8_eight_byte_lead.bin'),
    }

    # Formats: the format, a zero byte, then argument bytes.
    args = b'\x00' + bytes(range(1, 65))
    s['format'] = {
        'widths.txt': b'%5d|%-5d|%05d' + args,
        'flags.txt': b'%+d % u %#x %#X %#o %.3d' + args,
        'floats.txt': b'%08.3f|%e' + args,
        'general.txt': b'%#g|%G' + b'\x00' + struct.pack('>d', 1e-10) + struct.pack('>d', 0.1),
        'long_double.txt': b'%Lf' + b'\x00' + b'\x00' * 7 + b'\xfe',
        'strings.txt': b'%.2s|%s|%c' + args,
        'star.txt': b'%*d|%-*.*s' + b'\x00' + b'\xff\xff\xff\xff\xff\xff\xff\xfc' + args[1:],
        'count.txt': b'abc%n%d' + args,
        'unknown.txt': b'%q%%%' + args,
        'lengths.txt': b'%hd %ld %lld %Lu %p' + args,
        'utf8.txt': 'é%s€%c'.encode() + args,
        'huge_width.txt': hostile('format_huge_width.txt') + args,
        'huge_float.txt': hostile('format_huge_float.txt') + args,
    }

    # Wildcards: pattern, a zero byte, text.
    s['wildcard'] = {
        'star.bin': b'a*c\x00abc',
        'question.bin': b'a?c\x00abc',
        'stars.bin': b'm*iss*iss*ppi\x00mississippi',
        'no_match.bin': b'*a*b*c\x00xaybz',
        'empty.bin': b'\x00',
        'bytes.bin': b'caf??\x00caf\xc3\xa9',
        'backtracking.bin': hostile('wildcard_backtracking.bin'),
    }

    # Names separated by zero bytes: two names and an extension or file name.
    s['path'] = {
        'clean.bin': b'/a//b/./c/../d\x00/a/e/f\x00txt',
        'relative.bin': b'x/../y.txt\x00./z\x00cfg',
        'hash.bin': b'#obj\x00#obj/x\x00dat',
        'backslash.bin': b'/a\\.\\b\x00/a/b\\c\x00',
        'same_dir.bin': b'/games/data/file.dat\x00/games/data/other.dat\x00bak',
        'up.bin': b'/games/data/sub/x\x00/games/y\x00',
        'dots.bin': b'/a/.../..b/.c\x00dir.d/file\x00gz',
        'climb.bin': hostile('path_climb.bin'),
        'trailing_dot.bin': hostile('path_trailing_dot.bin'),
    }

    # HID report descriptors (two bytes of length, little-endian), each followed by input reports
    # (one length byte each): the descriptors kept as test data with reports shaped for them.
    def hid_descriptor(name):
        with open(os.path.join(ROOT, 'tests', 'data', 'hid', name + '.txt')) as f:
            words = ' '.join(line.split('#')[0] for line in f).split()
        return bytes(int(w, 16) for w in words)

    def hid_seed(name, reports):
        descriptor = hid_descriptor(name)
        return (struct.pack('<H', len(descriptor)) + descriptor +
                b''.join(bytes([len(r)]) + r for r in reports))

    s['hid_descriptor'] = {
        'gamepad.bin': hid_seed('gamepad', [bytes([0, 255, 128, 127, 0xF3, 5, 0xFA])]),
        'flight_stick.bin': hid_seed('flight_stick', [bytes([1, 0xFF, 0x0B, 8, 0xFE, 200, 6, 0x80]),
                                                      bytes([2, 9]), bytes([1, 5, 0])]),
        'pointer_pad.bin': hid_seed('pointer_pad', [bytes([1, 2, 3, 4, 5, 6])]),
        'many_buttons.bin': hid_seed('many_buttons', [bytes([0, 0x80, 0xFF, 0x7F, 1, 0, 0, 0x80, 0xFF])]),
        'keyboard.bin': hid_seed('keyboard', [bytes([2, 0, 4, 0x1D, 0, 0, 0, 0])]),
    }
    s['png'] = png_seeds()
    s['translation'] = translation_seeds()
    s.update(sound_seeds())
    # SoundFont 2 files: whole ones with one and several zones, loops and address offsets, and
    # one cut short.
    s['soundfont'] = {
        'one_zone.sf2': soundfont(),
        'three_zones.sf2': soundfont(zones=3, loop=False),
        'offsets.sf2': soundfont(zones=2, offsets=True),
        'cut.sf2': soundfont()[:300],
    }
    return s


def le16(v):
    return struct.pack('<H', v & 0xFFFF)


def le32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def riff_chunk(four, body):
    return four + le32(len(body)) + body


def wav_fmt(tag, channels, rate, bits):
    return riff_chunk(b'fmt ', le16(tag) + le16(channels) + le32(rate) +
                      le32(rate * channels * bits // 8) + le16(channels * bits // 8) + le16(bits))


def wave(*chunks):
    return b'RIFF' + le32(0) + b'WAVE' + b''.join(chunks)


def voc(block_type, body, version=0x010A, check=0x1129):
    header = b'Creative Voice File\x1a' + le16(26) + le16(version) + le16(check)
    return header + bytes([block_type]) + le16(len(body)) + bytes([len(body) >> 16]) + body


def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def track(*events):
    return b''.join(vlq(delta) + bytes(message) for delta, message in events)


def smf(divisions, tracks):
    header = b'MThd' + be32(6) + struct.pack('>HHH', 0 if len(tracks) == 1 else 1, len(tracks),
                                             divisions)
    return header + b''.join(b'MTrk' + be32(len(t)) + t for t in tracks)


def sound_seeds():
    """Seeds of the sound file readers and the MIDI player."""
    s = {}
    smpl = bytes(28) + le32(1) + le32(0) + le32(0) + le32(0) + le32(2) + le32(5) + bytes(8)
    s['wav'] = {
        'mono8.wav': wave(wav_fmt(1, 1, 8000, 8), riff_chunk(b'data', bytes(range(16)))),
        'stereo16.wav': wave(wav_fmt(1, 2, 44100, 16), riff_chunk(b'data', bytes(range(10)))),
        'data_first.wav': wave(riff_chunk(b'data', b'abc'), wav_fmt(1, 2, 8000, 16)),
        'two_data.wav': wave(wav_fmt(1, 1, 8000, 8), riff_chunk(b'data', b'xy'),
                             riff_chunk(b'smpl', smpl), riff_chunk(b'data', bytes(8))),
        'float.wav': wave(wav_fmt(3, 1, 8000, 32), riff_chunk(b'data', bytes(8))),
    }
    s['voc'] = {
        'type1.voc': voc(1, bytes([156, 0]) + bytes(range(20))),
        'type9_16.voc': voc(9, le32(8000) + bytes([16, 1]) + bytes(6) + bytes(range(8)),
                            0x0114, 0x111F),
        'type9_8.voc': voc(9, le32(11025) + bytes([8, 1]) + bytes(6) + bytes(range(5))),
    }
    # No encoder here: the Ogg seeds are the page framing the decoder must reject cleanly.
    s['ogg'] = {
        'capture.ogg': b'OggS\x00\x02' + bytes(20) + b'\x01\x1e\x01vorbis' + bytes(23),
        'wave.ogg': wave(wav_fmt(1, 1, 8000, 8), riff_chunk(b'data', b'abc')),
    }
    melody = track((0, [0xC0, 5]), (0, [0xFF, 0x51, 3, 0x07, 0xA1, 0x20]), (0, [0x90, 60, 100]),
                   (48, [0x80, 60, 0]), (0, [0xB0, 7, 80]), (0, [0xE0, 0, 0x30]),
                   (0, [0x99, 38, 90]), (10, [0xF0, 2, 1, 0xF7]), (10, [0x40, 0x40]),
                   (96, [0xFF, 0x2F, 0]))
    drums = track((0, [0x99, 36, 100]), (24, [0x89, 36, 0]), (24, [0x99, 38, 0]),
                  (0, [0xB9, 121, 0]), (48, [0xFF, 0x2F, 0]))
    piece = smf(96, [melody, drums])
    rmid = b'RIFF' + le32(0) + riff_chunk(b'LIST', b'info') + b'RMID' + b'data' + le32(len(piece)) \
        + piece
    s['midi_file'] = {'two_tracks.mid': piece, 'wrapped.rmi': rmid,
                      'one_track.mid': smf(480, [melody])}
    # The player's inputs: a driver choice byte, a seek beat byte, then the file.
    s['midi_player'] = {'bytes.bin': b'\x00\x03' + piece, 'notes.bin': b'\x01\x05' + piece,
                        'looped.bin': b'\x03\x02' + smf(24, [melody])}
    return s


def png_file(width, height, bit_depth, color_type, rows, interlace=0, extra=b''):
    """A PNG file whose filtered rows (each with its filter byte) are given whole."""
    def png_chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack(
            '>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack('>IIBBBBB', width, height, bit_depth, color_type, 0, 0, interlace)
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', header) + extra +
            png_chunk(b'IDAT', zlib.compress(rows)) + png_chunk(b'IEND', b''))


def png_seeds():
    plte = struct.pack('>I', 6) + b'PLTE' + bytes([255, 0, 0, 0, 0, 255])
    plte += struct.pack('>I', zlib.crc32(b'PLTE' + bytes([255, 0, 0, 0, 0, 255])) & 0xFFFFFFFF)
    trns = struct.pack('>I', 1) + b'tRNS' + b'\x00' + struct.pack(
        '>I', zlib.crc32(b'tRNS\x00') & 0xFFFFFFFF)
    gama = struct.pack('>I', 4) + b'gAMA' + struct.pack('>I', 100000) + struct.pack(
        '>I', zlib.crc32(b'gAMA' + struct.pack('>I', 100000)) & 0xFFFFFFFF)
    return {
        'grey1.png': png_file(9, 2, 1, 0, b'\x00\xa5\x80\x00\x5a\x00'),
        'palette_trns.png': png_file(3, 1, 8, 3, b'\x00\x00\x01\x00', extra=plte + trns),
        'rgba16_gamma.png': png_file(1, 1, 16, 6, b'\x00\xb7\xb7\x00\xc8\xff\x00\x12\x34',
                                     extra=gama),
        'grey_alpha_interlaced.png': png_file(1, 1, 8, 4, b'\x00\x80\xff', interlace=1),
        'rgb_sub_filter.png': png_file(2, 2, 8, 2, b'\x01\x10\x20\x30\x01\x01\x01'
                                                   b'\x02\x05\x05\x05\x00\x00\x00'),
    }


def translation_seeds():
    # First byte: the message (and, by its higher bits, hook or language configuration).
    return {
        'same.bin': b'\x00Keine Anzeige: %s',
        'extra_string.bin': b'\x00%s %s',
        'count.bin': b'\x06%n%s',
        'swapped.bin': b'\x01%d auf %s',
        'every_kind.bin': b'\x05%c %*.*ld %llu %p %f %Lg %d %%',
        'config.bin': b'\x07Fenster auf %s, %d bpp',
    }


def main():
    for target, files in seeds().items():
        directory = os.path.join(CORPUS, target)
        if os.path.isdir(directory):
            shutil.rmtree(directory)
        os.makedirs(directory)
        for name, data in files.items():
            with open(os.path.join(directory, name), 'wb') as f:
                f.write(data)
        print(f'{target}: {len(files)} seeds')


if __name__ == '__main__':
    main()
