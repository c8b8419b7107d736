#!/usr/bin/env bash
# Builds the tool-made zip archives the archive tests read, with the real
# tools: Info-ZIP zip (with and without extra fields), 7z, bsdtar and Python's
# zipfile writing to a non-seekable stream (data descriptors), plus an Info-ZIP
# archive with bytes in front of it. The committed copies in this directory
# serve the Windows test run, which cannot run these tools.
#   make_fixtures.sh [OUTPUT_DIR]   (default: this directory)
set -euo pipefail
out=$(realpath "${1:-$(dirname "$0")}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8

# The tree; the tests generate the same contents (tool_archives_test.cpp).
python3 - "$work" <<'PY'
import os, sys
root = sys.argv[1]
def tree(base, chinese):
    os.makedirs(os.path.join(base, 'dir', 'sub'))
    os.makedirs(os.path.join(base, 'dir', 'empty'))
    with open(os.path.join(base, 'readme.txt'), 'wb') as f:
        f.write(b'Vael addon readme line\r\n' * 200)
    open(os.path.join(base, 'empty.txt'), 'wb').close()
    x, data = 1, bytearray()
    for _ in range(40000):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        data.append((x >> 16) & 0xFF)
    with open(os.path.join(base, 'dir', 'sub', 'data.bin'), 'wb') as f:
        f.write(data)
    with open(os.path.join(base, 'dir', 'locked.txt'), 'wb') as f:
        f.write(b'read-only member\n')
    os.chmod(os.path.join(base, 'dir', 'locked.txt'), 0o444)
    folder = os.path.join(base.encode(), chinese(u'中文'))
    os.makedirs(folder)
    with open(os.path.join(folder, chinese(u'说明.txt')), 'wb') as f:
        f.write(u'说明\n'.encode('utf-8'))
# Info-ZIP stores names as the bytes on disk: GBK, as a Windows zip has them.
tree(os.path.join(root, 'gbk'), lambda s: s.encode('gbk'))
tree(os.path.join(root, 'utf8'), lambda s: s.encode('utf-8'))
PY
for t in gbk utf8; do
  find "$work/$t" -exec touch -h -d '2021-06-15 12:34:56' {} +
done

rm -f "$out"/tool_*.zip
(cd "$work/gbk" && zip -q -r "$out/tool_infozip.zip" readme.txt empty.txt dir "$(printf '\xd6\xd0\xce\xc4')")
(cd "$work/gbk" && zip -q -r -X -0 "$out/tool_infozip_stored.zip" readme.txt empty.txt dir "$(printf '\xd6\xd0\xce\xc4')")
(cd "$work/utf8" && 7z a -tzip -bso0 -bsp0 "$out/tool_7z.zip" readme.txt empty.txt dir 中文)
(cd "$work/utf8" && bsdtar -a -cf "$out/tool_bsdtar.zip" readme.txt empty.txt dir 中文)
(cd "$work/utf8" && python3 - "$out/tool_python_stream.zip" <<'PY'
import os, sys, zipfile
class Stream:  # write-only: zipfile must use data descriptors
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
with open(sys.argv[1], 'wb') as raw, zipfile.ZipFile(Stream(raw), 'w', zipfile.ZIP_DEFLATED) as z:
    for top in ['readme.txt', 'empty.txt', 'dir', '中文']:
        z.write(top)
        for base, dirs, files in os.walk(top):
            for name in sorted(dirs) + sorted(files):
                z.write(os.path.join(base, name))
PY
)
{ head -c 3000 /dev/zero | tr '\0' 'M'; cat "$out/tool_infozip.zip"; } >"$out/tool_prefixed.zip"
echo "fixtures written to $out"
