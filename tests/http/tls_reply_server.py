#!/usr/bin/env python3
"""A scripted HTTPS server on 127.0.0.1 for the HTTP client's tests.

Usage: tls_reply_server.py CERT KEY REPLY_FILE END

Prints "PORT <n>" once listening, serves one connection: reads one request head,
writes the bytes of REPLY_FILE exactly, then ends the connection as END says:
    notify    with its TLS close notification
    tcpclose  by closing TCP without one (as a cut connection looks)
and prints "DONE".
"""
import socket
import ssl
import sys


def main():
    cert, key, reply_file, end = sys.argv[1:5]
    with open(reply_file, "rb") as f:
        reply = f.read()
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    listener.settimeout(60)
    print("PORT", listener.getsockname()[1], flush=True)
    conn, _ = listener.accept()
    conn.settimeout(30)
    try:
        tls = ctx.wrap_socket(conn, server_side=True)
        head = b""
        while b"\r\n\r\n" not in head:
            data = tls.recv(65536)
            if not data:
                break
            head += data
        tls.sendall(reply)
        if end == "notify":
            tls.unwrap().close()
        else:
            tls.shutdown(socket.SHUT_RDWR)
            tls.close()
    except (OSError, ssl.SSLError):
        # The client may leave first (a cancel).
        pass
    print("DONE", flush=True)


if __name__ == "__main__":
    main()
