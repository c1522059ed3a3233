#!/usr/bin/env python3
"""A world list reply as the game server sends it, for the end-to-end test.

  world_list_reply.py send   sends it over a real TCP connection on 127.0.0.1:6900
                             (listener here, client here, sent by the listener's side)
"""
import socket
import struct
import sys

LEADING_VALUE = 3539  # bytes D3 0D
WORLDS = [
    ("verdandi", 1000), ("magni", 820), ("surt", 640), ("forsety", 512), ("garm", 488),
    ("tyr", 1500), ("idun", 1320), ("eir", 990), ("freya", 1110), ("baldur", 870),
    ("chaos", 2210), ("thor", 760), ("bijou", 655), ("ses", 1203), ("sara", 933),
    ("fenrir", 1740), ("loki", 1888), ("lydia", 420), ("tiamet", 1001), ("lisa", 777),
    ("odin", 1650), ("heimdal", 1234), ("iris", 2020), ("urdr", 345), ("newworld", 30),
]


def payload():
    records = []
    for k, (name, count) in enumerate(WORLDS):
        head = struct.pack("<H", LEADING_VALUE) if k == 0 else b"\0\0"
        records.append(head + b"\0" * 4 + name.encode("ascii").ljust(20, b"\0")
                       + struct.pack("<H", count) + b"\0" * 4)
    return b"".join(records)


def send(port=6900):
    with socket.create_server(("127.0.0.1", port)) as listener:
        with socket.create_connection(("127.0.0.1", port)) as client:
            server, _ = listener.accept()
            with server:
                server.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                server.sendall(payload())
                received = b""
                while len(received) < len(payload()):
                    received += client.recv(4096)


if __name__ == "__main__":
    if sys.argv[1:] != ["send"]:
        sys.exit(__doc__)
    send()
