#!/usr/bin/env python3
"""Writes a pcap capture file (Ethernet) holding one frame: the world list reply of the given
payload file sent from the game server's port 6900 to a client, with its checksums left zero.
   sample_capture.py PAYLOAD OUTPUT"""
import struct
import sys
import time

with open(sys.argv[1], "rb") as payload_file:
    payload = payload_file.read()
tcp = struct.pack(">HHIIBBHHH", 6900, 50000, 1, 1, 5 << 4, 0x18, 65535, 0, 0) + payload
ip = struct.pack(">BBHHHBBH4s4s", 0x45, 0, 20 + len(tcp), 0, 0x4000, 64, 6, 0,
                 bytes([192, 0, 2, 1]), bytes([192, 0, 2, 2])) + tcp
frame = b"\x02\0\0\0\0\x02" + b"\x02\0\0\0\0\x01" + b"\x08\x00" + ip
now = time.time()
with open(sys.argv[2], "wb") as out:
    out.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, 1))
    out.write(struct.pack("<IIII", int(now), int(now % 1 * 1e6), len(frame), len(frame)) + frame)
