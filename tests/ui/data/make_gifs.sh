#!/usr/bin/env bash
# Builds the GIFs the ui tests read: two_frames.gif, a two-frame animation
# made by ImageMagick (8x6 red with delay 20 and disposal 2, then a 4x3 blue
# frame at +2+1 with delay 3 and disposal 3, looping), and damaged copies of it
# whose blocks lie about their sizes. The committed copies serve the Windows
# test run, which cannot run ImageMagick.
#   make_gifs.sh [OUTPUT_DIR]   (default: this directory)
set -euo pipefail
out=$(realpath "${1:-$(dirname "$0")}")

convert -delay 20 -dispose Background -size 8x6 xc:red \
  -delay 3 -dispose Previous -size 4x3 -page +2+1 xc:blue \
  -loop 0 "$out/two_frames.gif"

python3 - "$out" <<'PY'
import os, sys
out = sys.argv[1]
gif = open(os.path.join(out, 'two_frames.gif'), 'rb').read()

def chain_end(at):
    while gif[at]:
        at += gif[at] + 1
    return at + 1

def table(packed):
    return 3 << ((packed & 7) + 1) if packed & 0x80 else 0

# Offsets of every block: (kind byte, start, end).
blocks, at = [], 13 + table(gif[10])
while gif[at] != 0x3B:
    if gif[at] == 0x21:
        end = chain_end(at + 2)
    else:
        end = chain_end(at + 10 + table(gif[at + 9]) + 1)
    blocks.append((gif[at], gif[at + 1], at, end))
    at = end
images = [b for b in blocks if b[0] == 0x2C]
assert len(images) == 2, blocks
first_end, second = images[0][3], images[1]
frame2_start = [b for b in blocks if b[1] == 0xF9][1][2]

def write(name, data):
    open(os.path.join(out, name), 'wb').write(bytes(data))

# The last sub-block of the second image claims 255 bytes.
data = bytearray(gif)
at = second[2] + 10 + table(gif[second[2] + 9]) + 1
while gif[at + gif[at] + 1]:
    at += gif[at] + 1
data[at] = 0xFF
write('subblock_past_end.gif', data)

# The looping extension's data sub-block claims 255 bytes.
data = bytearray(gif)
netscape = [b for b in blocks if b[1] == 0xFF][0][2]
data[netscape + 14] = 0xFF
write('extension_past_end.gif', data)

# A global colour table of 768 bytes in a file of 33.
write('global_table_past_end.gif', gif[:10] + bytes([0xF7, 0, 0]) + bytes(20))

# The second image descriptor announces a local table of 768 bytes.
data = bytearray(gif)
data[second[2] + 9] = 0x87
write('local_table_past_end.gif', data)

# Nothing but comment extensions after the first frame, the last unfinished.
write('endless_extensions.gif',
      gif[:first_end] + b'\x21\xFE\x01x\x00' * 2000 + b'\x21\xFE\x05ab')

# A trailer between the two frames.
write('trailer_in_middle.gif', gif[:first_end] + b';' + gif[frame2_start:])

# An unrecognised byte between the two frames.
write('unknown_block.gif', gif[:first_end] + b'\x00' + gif[frame2_start:])
PY
echo "GIFs written to $out"
