"""A tiny UDP sender/receiver run inside a namespace by the harness's own test.

  udp_probe.py recv --port P [--group G --iface-ip A] [--count N] [--timeout S]
      prints {"listening": true}, then one JSON line {"src", "data"} per datagram, ends after N or S seconds.
  udp_probe.py send --port P --dst D [--src-ip A] [--broadcast] [--data TEXT]
      sends one datagram; prints {"sent": bytes} or {"error": errno name}.
"""

import argparse
import errno
import json
import socket
import struct
import sys
import time


def recv(args):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("0.0.0.0", args.port))
    if args.group:
        mreq = struct.pack("4s4s", socket.inet_aton(args.group), socket.inet_aton(args.iface_ip or "0.0.0.0"))
        sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, mreq)
    print(json.dumps({"listening": True}), flush=True)
    deadline = time.monotonic() + args.timeout
    got = 0
    while got < args.count:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        sock.settimeout(left)
        try:
            data, (src, _port) = sock.recvfrom(2048)
        except socket.timeout:
            break
        print(json.dumps({"src": src, "data": data.decode(errors="replace")}), flush=True)
        got += 1


def send(args):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    if args.src_ip:
        sock.bind((args.src_ip, 0))
        sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(args.src_ip))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 1)
    if args.broadcast:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    try:
        sent = sock.sendto(args.data.encode(), (args.dst, args.port))
    except OSError as exc:
        print(json.dumps({"error": errno.errorcode.get(exc.errno, str(exc.errno))}), flush=True)
        return
    print(json.dumps({"sent": sent}), flush=True)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="mode", required=True)
    r = sub.add_parser("recv")
    r.add_argument("--port", type=int, required=True)
    r.add_argument("--group")
    r.add_argument("--iface-ip")
    r.add_argument("--count", type=int, default=1)
    r.add_argument("--timeout", type=float, default=5.0)
    s = sub.add_parser("send")
    s.add_argument("--port", type=int, required=True)
    s.add_argument("--dst", required=True)
    s.add_argument("--src-ip")
    s.add_argument("--broadcast", action="store_true")
    s.add_argument("--data", default="probe")
    args = parser.parse_args()
    recv(args) if args.mode == "recv" else send(args)


if __name__ == "__main__":
    sys.exit(main())
