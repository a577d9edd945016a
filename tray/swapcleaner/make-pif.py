#!/usr/bin/env python3
"""Writes swpbtmgr.pif, the program-information file that starts the boot-time swap-file
cleaner: a Windows 95 .pif of 967 bytes laid out field by field below. The tray program patches
a copy before writing it: the drive letter of the program path (0x24), the two parameter fields
(0xA5 and 0x1C5, 62 bytes each) and the drive of the icon file (0x273).

usage: make-pif.py OUTPUT"""
import os
import struct
import sys

SIZE = 967


class Layout:
    def __init__(self, size):
        self.data = bytearray(size)
        self.fields = []

    def put(self, offset, value, length=None, pad=b"\0"):
        length = len(value) if length is None else length
        assert len(value) <= length, (offset, value)
        self.data[offset:offset + length] = value + pad * (length - len(value))
        self.fields.append((offset, length))

    def section(self, offset, name, next_header, data_offset, data_size):
        """A section header: 16-byte name, offsets of the next header and of the data, the
        data's size."""
        self.put(offset, name.encode("ascii"), 16)
        self.put(offset + 16, struct.pack("<HHH", next_header, data_offset, data_size))


def pif():
    p = Layout(SIZE)
    # The basic section, 0x000-0x170.
    p.put(0x02, b"MS-DOS Prompt", 30, pad=b" ")        # title, blank-padded
    p.put(0x20, struct.pack("<HH", 640, 128))           # most and least conventional KiB
    p.put(0x24, b"#:\\SWPCLNR.EXE", 63)                 # program; "#" becomes the drive
    p.put(0x63, b"\x10")                                # close the window on exit
    p.put(0x65, b"", 64)                                # working folder: the program's
    p.put(0xA5, b"#" * 40, 64, pad=b" ")                # parameters: a placeholder
    p.put(0xE5, struct.pack("<HBBBB", 0, 0, 0x7F, 25, 80))  # video, interrupts, rows, columns
    # The extension sections.
    p.section(0x171, "MICROSOFT PIFEX", 0x187, 0x000, 0x171)
    p.section(0x187, "WINDOWS 386 3.0", 0x205, 0x19D, 0x068)
    p.put(0x19D, struct.pack("<HHHH", 640, 128, 50, 0))  # memory limits, priorities
    p.put(0x1A5, struct.pack("<I", 0x00000010))          # full screen
    p.put(0x1C5, b"#" * 40, 64, pad=b" ")                # parameters again, for Windows
    p.section(0x205, "WINDOWS VMM 4.0", 0xFFFF, 0x21B, 0x1AC)
    # Run in MS-DOS mode: Windows ends, and the program runs alone under real-mode MS-DOS.
    p.put(0x21B, struct.pack("<I", 0x00000001))
    p.put(0x273, b"C:\\WINDOWS\\SYSTEM\\SHELL32.DLL", 80)  # icon file; its drive is patched
    p.put(0x2C3, struct.pack("<H", 0))                    # icon number
    p.put(0x2CB, b"Terminal", 32)                          # raster font
    p.put(0x2EB, b"Courier New", 32)                       # TrueType font
    # Overlapping fields would mean a wrong layout.
    spans = sorted(p.fields)
    for (a, la), (b, _) in zip(spans, spans[1:]):
        assert a + la <= b, f"fields at {a:#x} and {b:#x} overlap"
    # The basic section's checksum: the low byte of the sum of its bytes 2 to 0x170.
    p.data[1] = sum(p.data[2:0x171]) & 0xFF
    assert len(p.data) == SIZE
    return bytes(p.data)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-pif.py OUTPUT")
    with open(sys.argv[1] + ".part", "wb") as f:
        f.write(pif())
    os.replace(sys.argv[1] + ".part", sys.argv[1])


if __name__ == "__main__":
    main()
