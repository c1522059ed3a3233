#!/usr/bin/env python3
"""Writes the frame fuzzer's seed corpus: one frame per link type and shape.

Each seed is one byte choosing the link type (the index into kLinkTypes of frame_fuzz.cpp) and
the frame itself. Run from anywhere: python3 fuzz/capture/make_seeds.py
"""
import os
import struct

ETHERNET, SLL, SLL2, NULL, LOOP, RAW, IPV4 = range(7)


def reply(worlds):
    out = bytearray()
    for name, count in worlds:
        record = bytearray(32)
        record[6:6 + len(name)] = name.encode()[:20]
        struct.pack_into('<H', record, 26, count)
        out += record
    out[0:2] = b'\xd3\x0d'
    return bytes(out)


def datagram(payload, ip_options=0, tcp_options=0, fragment=0x4000, total=None):
    ihl = 5 + ip_options
    offset = 5 + tcp_options
    length = total if total is not None else 4 * (ihl + offset) + len(payload)
    ip = struct.pack('!BBHHHBBH4s4s', 0x40 | ihl, 0, length, 1, fragment, 64, 6, 0,
                     bytes([127, 0, 0, 1]), bytes([127, 0, 0, 1])) + b'\x01' * 4 * ip_options
    tcp = struct.pack('!HHIIBBHHH', 6900, 50000, 1, 1, offset << 4, 0x18, 512, 0, 0)
    return ip + tcp + b'\x01' * 4 * tcp_options + payload


def link(kind, ip):
    if kind == ETHERNET:
        return bytes(12) + b'\x08\x00' + ip
    if kind == SLL:
        return struct.pack('!HHH8sH', 0, 772, 6, bytes(8), 0x0800) + ip
    if kind == SLL2:
        return struct.pack('!HHIHBB8s', 0x0800, 0, 1, 772, 0, 6, bytes(8)) + ip
    if kind == NULL:
        return struct.pack('<I', 2) + ip
    if kind == LOOP:
        return struct.pack('!I', 2) + ip
    return ip  # RAW, IPV4


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus')
    os.makedirs(folder, exist_ok=True)
    worlds = reply([('idun', 321), ('verdandi', 1000), ('urdr', 65535)])
    seeds = {}
    for kind, name in enumerate(['ethernet', 'sll', 'sll2', 'null', 'loop', 'raw', 'ipv4']):
        seeds[name + '_reply'] = (kind, link(kind, datagram(worlds, tcp_options=3)))
    seeds['ethernet_hello'] = (ETHERNET, link(ETHERNET, datagram(b'hello')))
    seeds['ethernet_ip_options'] = (ETHERNET, link(ETHERNET, datagram(worlds, ip_options=2)))
    seeds['ethernet_ack_padding'] = (ETHERNET, link(ETHERNET, datagram(b'')) + bytes(6))
    seeds['ethernet_truncated_reply'] = (ETHERNET, link(ETHERNET, datagram(worlds))[:120])
    seeds['ethernet_long_total'] = (ETHERNET, link(ETHERNET, datagram(worlds, total=1500)))
    seeds['ethernet_fragment'] = (ETHERNET, link(ETHERNET, datagram(worlds, fragment=0x2010)))
    long_reply = reply([('w%d' % i, i) for i in range(40)])
    seeds['sll_long_reply'] = (SLL, link(SLL, datagram(long_reply)))
    for name, (kind, frame) in seeds.items():
        with open(os.path.join(folder, name + '.bin'), 'wb') as f:
            f.write(bytes([kind]) + frame)


if __name__ == '__main__':
    main()
