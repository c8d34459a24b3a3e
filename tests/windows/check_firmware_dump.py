#!/usr/bin/env python3
"""Checks a velt-sim dump against the firmware's Intel HEX files.

usage: check_firmware_dump.py DUMP_DIR HEX_DIR
Every data byte of controllerN.hex must be at its address in controllerN.bin.
Prints what differs; exits 1 when anything does.
"""
import pathlib
import sys

RECORD_DATA = 0x00
RECORD_END = 0x01
RECORD_EXTENDED_LINEAR = 0x04
CONTROLLERS = (1, 2, 3)
SHOWN_DIFFERENCES = 5


def hex_bytes(path):
    data = {}
    upper = 0
    for line in path.read_text().split():
        record = bytes.fromhex(line[1:])
        length, address, kind = record[0], (record[1] << 8) | record[2], record[3]
        payload = record[4:4 + length]
        if kind == RECORD_DATA:
            for offset, value in enumerate(payload):
                data[upper + address + offset] = value
        elif kind == RECORD_EXTENDED_LINEAR:
            upper = ((payload[0] << 8) | payload[1]) << 16
        elif kind == RECORD_END:
            break
    return data


def main():
    dump, firmware = (pathlib.Path(arg) for arg in sys.argv[1:3])
    bad = 0
    for controller in CONTROLLERS:
        memory = (dump / f"controller{controller}.bin").read_bytes()
        expected = hex_bytes(firmware / f"controller{controller}.hex")
        wrong = [a for a in sorted(expected) if a >= len(memory) or memory[a] != expected[a]]
        for address in wrong[:SHOWN_DIFFERENCES]:
            found = memory[address] if address < len(memory) else None
            print(f"controller {controller} at 0x{address:04X}: "
                  f"0x{expected[address]:02X} expected, {found} found")
        if not expected or wrong:
            print(f"controller {controller}: {len(wrong)} of {len(expected)} bytes differ")
            bad = 1
    return bad


if __name__ == "__main__":
    sys.exit(main())
