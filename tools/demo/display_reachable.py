#!/usr/bin/env python3
"""Exits 0 when the X display that DISPLAY names accepts a connection from
this user, with the cookie that xauth holds for it; 1 otherwise. A DISPLAY
that is set is not always usable: the build user may lack its cookie.
"""
import os
import re
import socket
import struct
import subprocess
import sys


def open_socket(display):
    match = re.fullmatch(r"(.*):(\d+)(\.\d+)?", display)
    if not match:
        raise OSError("not a display name: " + display)
    host, number = match.group(1), int(match.group(2))
    if host in ("", "unix"):
        connection = socket.socket(socket.AF_UNIX)
        connection.settimeout(5)
        connection.connect("/tmp/.X11-unix/X%d" % number)
        return connection
    return socket.create_connection((host, 6000 + number), timeout=5)


def cookie(display):
    """The authorization protocol name and data for the display, or none."""
    try:
        listed = subprocess.run(["xauth", "list", display], capture_output=True, text=True,
                                timeout=5).stdout
    except (OSError, subprocess.SubprocessError):
        return b"", b""
    for line in listed.splitlines():
        fields = line.split()
        if len(fields) == 3:
            return fields[1].encode(), bytes.fromhex(fields[2])
    return b"", b""


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def main():
    display = os.environ.get("DISPLAY", "")
    try:
        connection = open_socket(display)
        name, data = cookie(display)
        # The connection setup of the X protocol 11.0, little-endian; the
        # server's first reply byte is 1 for success.
        connection.sendall(struct.pack("<BxHHHHxx", ord("l"), 11, 0, len(name), len(data)) +
                           padded(name) + padded(data))
        accepted = connection.recv(1) == b"\x01"
        connection.close()
    except OSError:
        return 1
    return 0 if accepted else 1


if __name__ == "__main__":
    sys.exit(main())
