#!/usr/bin/env python3
"""Writes the seed corpora of the skin fuzz targets (fuzz/corpus/{package,options,reference})."""
import os
import struct
import sys
import zlib

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "corpus")


def bmp(w, h, key_every=5):
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        row = bytearray()
        for x in range(w):
            row += b"\xff\x00\xff" if (x + y) % key_every == 0 else bytes((0x80, 0x90, (0xA0 + x) & 0xFF))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    return b"BM" + struct.pack("<IIII", 26 + stride * h, 0, 26, 12) + struct.pack("<HHHH", w, h, 1, 24) + b"".join(rows)


def png(w, h):
    def chunk(t, body):
        return struct.pack(">I", len(body)) + t + body + struct.pack(">I", zlib.crc32(t + body))
    raw = b"".join(b"\0" + b"".join(bytes((x * 20 & 0xFF, y * 20 & 0xFF, 0xFF, (x + y) * 16 & 0xFF)) for x in range(w))
                   for y in range(h))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def package(files):
    out = b"ASzf" + struct.pack("<i", len(files))
    for name, content in files:
        out += struct.pack("<i", len(name)) + name + struct.pack("<i", len(content)) + zlib.compress(content)
    return out


OPTIONS = (b"[GLOBALINFO]\r\nMASTERBITMAP=MASTER COPY.BMP\r\nVERSION=8.12\r\nCOLOR=16512753\r\nFONTCOLOR=4013373\r\n"
           b"SHADOW1OFFSET=1\r\nSHADOW1BLUR=3\r\nBOXCHECKED=@0010@0000@0040@0010@3@0\r\n"
           b"EXBORDER=!GLOW.PNG!2!0!3!0002!0002!0002!0002!1\r\nBORDERMODE=1\r\nFORMOFFSET=3\r\nTITLEHEIGHT=0\r\n"
           b"EDITTEXT_ALERT=255\r\nBIKEEPHUE=1\r\nBICONCLOSE=@0000@0000@0012@0004@3@0\r\n\r\n"
           b"[EDIT]\r\nSTATES=2\r\nCOLOR=16777215\r\nHOTCOLOR=255\r\nBORDERSMASK=^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1\r\n"
           b"GLOW=1\r\nGLOW0=!GLOW.PNG!1!0!3!0002!0002!0002!0002!1\r\n\r\n"
           b"[BUTTON]\r\nSTATES=4\r\nPARENTCLASS=EDIT\r\nGRADIENTPERCENT=100\r\n"
           b"GRADIENTDATA=16777215;16579058;97;0;0;16579058;16579058;0;0;0\r\nPATTERN=~0020~0010~0030~0020~00~0\r\n\r\n"
           b"[BUTTON_HUGE]\r\nBORDERSMASK=!FRAME.BMP!3!1!0!0002!0002!0002!0002!5\r\n\r\n"
           b"[SELECTION]\r\nSTATES=1\r\nCOLOR=7\r\nFONTCOLOR=16711935\r\n\r\n"
           b"[MENUITEM]\r\nSTATES=2\r\nHOTCOLOR=9\r\nHOTFONTCOLOR=-1\r\n\r\n"
           b"[PANEL]\r\nBORDERSMASK=frame.bmp\r\nIMGTOPLEFT=#X (0,0,6,6) (1,0,2,1)\r\n\r\n"
           b"[LOOPA]\r\nPARENTCLASS=LOOPB\r\n[LOOPB]\r\nPARENTCLASS=LOOPA\r\n")


def write(kind, name, data):
    d = os.path.join(root, kind)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def main():
    images = [(b"Master copy.bmp", bmp(60, 40)), (b"Glow.png", png(12, 12)), (b"Frame.bmp", bmp(18, 12))]
    write("package", "raw-skin", b"R" + package([(b"Options.dat", OPTIONS)] + images))
    write("package", "raw-two-entries", b"R" + package([(b"a.png", b"x" * 40), (b"OPTIONS.DAT", b"[A]\nB=1\n")]))
    write("package", "raw-empty", b"R" + b"ASzf" + struct.pack("<i", 0))
    sep = b"\0|\0"
    parts = [b"", OPTIONS, b"MASTER COPY.BMP", bmp(40, 30), b"GLOW.PNG", png(6, 6)]
    assert all(sep not in p for p in parts)
    write("package", "built-skin", b"B" + sep.join(parts))
    write("package", "built-options-only", b"B" + sep + b"[GLOBALINFO]\nVERSION=7.3\n[A]\nK=@0000@0000@0000@0000@1@0\n")
    write("options", "skin", OPTIONS)
    write("options", "overrides", OPTIONS + b"\n%%\n[EDIT]\nCOLOR = 255\n[NEW]\nPARENTCLASS=button\nK=#X (0,0,10,10) (2,1)\n"
                                  b"B=frame.bmp\n")
    write("options", "hue", b"~~\x3c\xce" + OPTIONS)
    write("options", "dialect", b"\xef\xbb\xbf; c\n[A]\n K = 0x1F \nL=$FF\nM=-2147483648\n[A]\nN\n=v\n[]\n")
    refs = [b"@0078@0017@0126@0033@3@0", b"^0015^0000^0025^0005^0001^0001^0001^0001^2^0^1^1",
            b"~0020~0010~0030~0020~00~0", b"!GLOWEDIT.PNG!1!0!3!0010!0010!0010!0010!1", b"!F.BMP!3!1",
            b"#X (2,2,30,20) (2,1,3,5)", b"f.bmp", b"^0000^0000^0012^0024^0005^0005^0006^0006^1^1^2^0"]
    for i, r in enumerate(refs):
        write("reference", "ref%d" % i, bytes((i % 4,)) + r)


if __name__ == "__main__":
    sys.exit(main())
