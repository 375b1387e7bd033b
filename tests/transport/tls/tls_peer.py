#!/usr/bin/env python3
"""A scripted TLS peer on 127.0.0.1 for the TLS handler's tests.

Usage: tls_peer.py MODE CERT KEY [ARG]. Prints "PORT <n>" once listening, then
serves one connection and prints what it observed, one line at a time.

Modes:
  sni          handshake; prints "SNI <name>" ("SNI -" when none was sent)
  hangup       plain TCP: reads the ClientHello and closes during the handshake
  notify       handshake, sends "hello", then its close notification
  tcpclose     handshake, sends "hello", then closes TCP without a notification
  records      handshake, sends ARG records of 25 bytes each, then waits for the
               client to close
  stall        handshake, then a record of 1000 bytes cut after its first 100
               bytes; the rest never comes
  expectclose  handshake, then reads until the client's close notification;
               prints "CLOSE_NOTIFY" (or "RAGGED" for a bare TCP close) and
               "AFTER <n>": the bytes that followed the notification
"""
import socket
import ssl
import sys


def context(cert, key):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    return ctx


def say(*words):
    print(*words, flush=True)


def memory_handshake(conn, ctx):
    """A server handshake over MemoryBIOs, so that records can be cut at will."""
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    tls = ctx.wrap_bio(incoming, outgoing, server_side=True)
    while True:
        try:
            tls.do_handshake()
            break
        except ssl.SSLWantReadError:
            conn.sendall(outgoing.read())
            incoming.write(conn.recv(65536))
    conn.sendall(outgoing.read())
    return tls, outgoing


def stall(conn, ctx):
    tls, outgoing = memory_handshake(conn, ctx)
    tls.write(b"x" * 1000)
    record = outgoing.read()
    conn.sendall(record[:100])
    say("STALLED")
    conn.recv(1)  # until the client gives up and closes


def expect_close(conn, ctx):
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    tls = ctx.wrap_bio(incoming, outgoing, server_side=True)

    def flush():
        data = outgoing.read()
        if data:
            conn.sendall(data)

    def fill():
        data = conn.recv(65536)
        if not data:
            return False
        incoming.write(data)
        return True

    while True:
        try:
            tls.do_handshake()
            flush()
            break
        except ssl.SSLWantReadError:
            flush()
            if not fill():
                say("EOF")
                return
    while True:
        try:
            # Without an end written into the incoming BIO, an empty read is the
            # peer's close notification.
            if tls.read(65536) == b"":
                say("CLOSE_NOTIFY")
                break
        except ssl.SSLWantReadError:
            flush()
            if not fill():
                say("RAGGED")
                return
        except ssl.SSLZeroReturnError:
            say("CLOSE_NOTIFY")
            break
    after = incoming.pending
    while True:
        data = conn.recv(65536)
        if not data:
            break
        after += len(data)
    say("AFTER", after)


def main():
    mode, cert, key = sys.argv[1:4]
    arg = sys.argv[4] if len(sys.argv) > 4 else None
    ctx = context(cert, key)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    listener.settimeout(60)
    say("PORT", listener.getsockname()[1])
    conn, _ = listener.accept()
    conn.settimeout(30)

    if mode == "hangup":
        conn.recv(4096)
        conn.close()
        say("CLOSED")
        return
    if mode == "stall":
        stall(conn, ctx)
        return
    if mode == "expectclose":
        expect_close(conn, ctx)
        return

    names = []
    if mode == "sni":
        ctx.sni_callback = lambda sock, name, c: names.append(name)
    tls = ctx.wrap_socket(conn, server_side=True)
    if mode == "sni":
        say("SNI", names[0] if names and names[0] else "-")
        tls.close()
    elif mode == "notify":
        tls.sendall(b"hello")
        try:
            tls.unwrap()
        except (OSError, ssl.SSLError):
            pass
        say("DONE")
    elif mode == "tcpclose":
        tls.sendall(b"hello")
        tls.shutdown(socket.SHUT_RDWR)
        tls.close()
        say("DONE")
    elif mode == "records":
        for i in range(int(arg)):
            tls.sendall(bytes([65 + i % 26]) * 25)
        try:
            tls.recv(1)
        except (OSError, ssl.SSLError):
            pass
        say("DONE")


if __name__ == "__main__":
    main()
