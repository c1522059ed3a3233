#!/usr/bin/env python3
"""Sends a world list reply as the game server does over a real TCP connection on 127.0.0.1:6900
(both ends here, sent by the listening side): the payload file given, else the one below, whose
report is expected_report.txt."""
import socket
import struct
import sys

WORLDS = [
    ("verdandi", 1000), ("magni", 820), ("surt", 640), ("forsety", 512), ("garm", 488),
    ("tyr", 1500), ("idun", 1320), ("eir", 990), ("freya", 1110), ("baldur", 870),
    ("chaos", 2210), ("thor", 760), ("bijou", 655), ("ses", 1203), ("sara", 933),
    ("fenrir", 1740), ("loki", 1888), ("lydia", 420), ("tiamet", 1001), ("lisa", 777),
    ("odin", 1650), ("heimdal", 1234), ("iris", 2020), ("urdr", 345), ("newworld", 30),
]
# Each record: a 2-byte leading value (D3 0D in the first), 4 zero bytes, the name in 20 bytes, the
# count, 4 zero bytes.
PAYLOAD = b"".join((b"\xd3\x0d" if k == 0 else b"\0\0") + b"\0" * 4
                   + name.encode().ljust(20, b"\0") + struct.pack("<H", count) + b"\0" * 4
                   for k, (name, count) in enumerate(WORLDS))
if len(sys.argv) > 1:
    with open(sys.argv[1], "rb") as payload_file:
        PAYLOAD = payload_file.read()

with socket.create_server(("127.0.0.1", 6900)) as listener:
    with socket.create_connection(("127.0.0.1", 6900)) as client:
        server, _ = listener.accept()
        with server:
            server.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            server.sendall(PAYLOAD)
            received = b""
            while len(received) < len(PAYLOAD):
                received += client.recv(4096)
