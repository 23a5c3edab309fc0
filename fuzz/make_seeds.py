#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/.

Each seed is a small well-formed input in the layout its target reads (see
the target's source), so that the fuzzers start from frames, files and texts
the program really meets. The text-form seeds are printed by orvadw-cli, so
build it first (bash scripts/build.sh). Run again after changing a layout:

    python3 fuzz/make_seeds.py [--cli build/default/bin/orvadw-cli]
"""
import argparse
import os
import struct
import subprocess

ROOT = os.path.dirname(os.path.abspath(__file__))


def crc16(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def frame(body):
    crc = crc16(body)
    return bytes(body) + bytes([crc & 0xFF, crc >> 8])


def counted(data):
    data = bytes(data)
    assert len(data) < 256
    return bytes([len(data)]) + data


def write(target, name, data):
    folder = os.path.join(ROOT, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def jbus_exchange():
    # function pick, slave, address, bytes-per-item pick, counted write data,
    # count (reads only), response.
    read2 = frame([1, 3, 4, 0xAA, 0xBB, 0xCC, 0xDD])
    write("jbus_exchange", "read-2-registers", bytes([0, 1, 0x10, 0x00, 2]) + counted([]) + bytes([2]) + read2)
    write("jbus_exchange", "read-exception", bytes([0, 1, 0x10, 0x00, 2]) + counted([]) + bytes([2]) + frame([1, 0x83, 2]))
    write("jbus_exchange", "read-input-slave-0", bytes([1, 0, 0x00, 0x00, 2]) + counted([]) + bytes([1]) + frame([7, 4, 2, 0x12, 0x34]))
    echo = frame([1, 0x10, 0x10, 0x00, 0x00, 0x02])
    write("jbus_exchange", "write-2-registers", bytes([2, 1, 0x10, 0x00, 2]) + counted([1, 2, 3, 4]) + echo)
    write("jbus_exchange", "short", bytes([0, 1, 0, 0, 2]) + counted([]) + bytes([1]) + bytes([1, 3, 2]))


def answer(segments, vanish=False):
    shape = (len(segments) - 1) | (0x80 if vanish else 0)
    return bytes([shape]) + b"".join(counted(s) for s in segments)


def jbus_transaction():
    # function pick (3, 4, 16), slave (pick then number), address, then the
    # count (reads) or the counted data (writes), then the answers.
    good = frame([1, 3, 4, 0, 1, 0, 2])
    head = bytes([0, 1, 1, 0x01, 0x00, 2])
    write("jbus_transaction", "read-answered", head + answer([good]))
    write("jbus_transaction", "read-retried", head + answer([good[:5]]) + answer([b"\x00" + good]) + answer([good]))
    write("jbus_transaction", "read-cut-in-two", head + answer([good[:4], good[4:]]) + answer([good]))
    write("jbus_transaction", "read-exception", head + answer([frame([1, 0x83, 2])]) * 3)
    write("jbus_transaction", "read-unplugged", head + answer([good[:3]], vanish=True))
    echo = frame([1, 0x10, 0x10, 0x00, 0x00, 0x02])
    write("jbus_transaction", "write-answered", bytes([2, 1, 1, 0x10, 0x00, 4, 1, 2, 3, 4]) + answer([echo]))


def record_file_bytes(text, records, date=b"02/01/2025 - 03:04:05\n"):
    header_text = text + b"\n"
    out = struct.pack("<i", 4 + 2 + len(date) + len(header_text)) + b"\n\n" + date + header_text
    out += struct.pack("<i", 0)
    for k, r in enumerate(records):
        out += struct.pack("<i", len(r)) + bytes(r) + struct.pack("<i", len(r)) + struct.pack("<i", k + 1)
    return out


def record_file():
    # revisit index, counted record to append, then the file.
    text = b"Settings\nOrvadW 10\n4278058235\n12\n24\n40123\n10-11-02\nFW\n"
    three = record_file_bytes(text, [bytes(range(10)), b"", bytes([0xAB] * 30)])
    write("record_file", "three-records", bytes([1]) + counted([9, 8, 7]) + three)
    write("record_file", "header-only", bytes([0]) + counted([1]) + record_file_bytes(b"abc", []))
    write("record_file", "cut-tail", bytes([2]) + counted([5]) + three[:-3])
    write("record_file", "short-header", bytes([0]) + counted([5]) + record_file_bytes(b"x", [b"ab"], b"2/01/2025 - 03:04:05\n"))


def ini_file():
    # section pick, key pick, counted value, then the file.
    content = (b"[Com]\nPort=2.000000\nBauds=5.000000\nJBus=1.000000\n\n[Modem]\n"
               b"Use modem=1.000000\nTelefon number=0123\n[Ports]\nCOM1=/dev/ttyUSB0\n")
    write("ini_file", "configuration", bytes([0, 0]) + counted(b"3.000000") + content)
    write("ini_file", "crlf-new-key", bytes([5, 5]) + counted(b"  spaced value  ") + content.replace(b"\n", b"\r\n"))
    write("ini_file", "placement", bytes([4, 2]) + counted(b"-50") + b"\xef\xbb\xbf[Rect Wnd]\nRect Wnd Top = =10\n")
    write("ini_file", "line-break", bytes([1, 1]) + counted(b"a\nb") + content)


def field_text_form(cli):
    # window pick, language pick, block pick, decode flag, then the lines.
    zeros = ["00"] * 200
    windows = ["settings", "special", "analog", "measurement", "logger", "esc", "identification"]
    for index, window, block in [(0, "settings", "0x1000"), (1, "special", "0x4000"), (2, "analog", "0x3000")]:
        text = subprocess.run([cli, "show", "--window", window, "--block", block] + zeros,
                              check=True, capture_output=True).stdout
        for pick in range(3):
            write("field_text_form", f"{window}-block-{pick}", bytes([index, 1, pick, 0]) + text)
    write("field_text_form", "bad-line", bytes([0, 1, 0, 1]) + bytes(range(40)) + b"Nonsense\nN. JBus = 300\n")
    assert windows[0] == "settings"


def modem_answer():
    # numerotation, counted init string, counted number, two answers of
    # segments (pick, then counted segments).
    init = counted(b"&F S95=0 E0 Q0 V1 W2 &K0 M0")
    number = counted(b"0123")

    def modem(segments):
        return bytes([len(segments) - 1]) + b"".join(counted(s) for s in segments)

    write("modem_answer", "connect", bytes([0]) + init + number + modem([b"\r\nOK\r\n"]) + modem([b"\r\nCONNECT 9600\r\n"]))
    write("modem_answer", "busy", bytes([1]) + init + number + modem([b"OK"]) + modem([b"BU", b"SY"]))
    write("modem_answer", "no-ok", bytes([0]) + init + number + modem([b"ERROR 100% & more"]) + modem([b""]))
    write("modem_answer", "latin", bytes([0]) + counted(b"Z\xe9ro") + number + modem([b"OK \xe9\x80"]) + modem([b"NO DIALTONE"]))


def date_time():
    # order, date separator, time separator, clock, designators, six int32
    # fields, then the text.
    def fields(*values):
        return b"".join(struct.pack(">i", v) for v in values)

    write("date_time", "file-stamp", bytes([1, 0, 0, 1, 0]) + fields(2025, 1, 2, 3, 4, 5) + b"02/01/2025 - 03:04:05")
    write("date_time", "us-12-hour", bytes([0, 0, 0, 0, 0]) + fields(38, 12, 31, 23, 59, 59) + b"12/31/2038 - 12:30:00 AM")
    write("date_time", "iso", bytes([2, 2, 0, 1, 0]) + fields(1999, 2, 29, 0, 0, 0) + b"2026-03-29 - 02:30:00")
    write("date_time", "garbage", bytes([1, 1, 1, 0, 3]) + fields(-1, 13, 0, 24, 60, 61) + b"ab.cd.efgh - 1x:2y:3z nachm.")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", default=os.path.join(ROOT, "..", "build", "default", "bin", "orvadw-cli"))
    args = parser.parse_args()
    jbus_exchange()
    jbus_transaction()
    record_file()
    ini_file()
    field_text_form(args.cli)
    modem_answer()
    date_time()


if __name__ == "__main__":
    main()
