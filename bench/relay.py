#!/usr/bin/env python3
"""A TCP relay that adds round-trip time, for machines whose kernel has no netem.

    relay.py LISTEN_HOST LISTEN_PORT TARGET_HOST TARGET_PORT [RTT_MS]

Prints "listening on HOST:PORT" once it accepts (port 0 takes a free one).
Every chunk read on one side is written to the other RTT/2 after it was read,
in order, without holding back the chunks behind it, so the line keeps its
throughput and only gains latency. A new connection costs one round trip
before its first byte leaves, as the TCP handshake costs a client. A target
that refuses is passed on as a reset. Runs until SIGTERM or SIGINT.
"""
import asyncio
import signal
import socket
import struct
import sys


def reset(writer):
    """Closes with RST rather than FIN, as a client sees a port nobody holds."""
    sock = writer.get_extra_info("socket")
    if sock is not None:
        try:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        except OSError:
            pass
    writer.close()


async def pipe(reader, writer, delay, not_before):
    """Copies reader to writer, each chunk delay seconds after it arrived and
    never before not_before (loop time)."""
    queue = asyncio.Queue()
    loop = asyncio.get_running_loop()

    async def read():
        try:
            while True:
                data = await reader.read(65536)
                await queue.put((loop.time(), data))
                if not data:
                    return
        except (ConnectionError, OSError):
            await queue.put((loop.time(), None))

    reading = asyncio.ensure_future(read())
    try:
        while True:
            arrived, data = await queue.get()
            wait = max(arrived, not_before) + delay - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:  # the other side broke off
                reset(writer)
                return
            if not data:
                if writer.can_write_eof():
                    writer.write_eof()
                return
            writer.write(data)
            await writer.drain()
    except (ConnectionError, OSError):
        reset(writer)
    finally:
        reading.cancel()


async def serve(client_reader, client_writer, target, delay):
    loop = asyncio.get_running_loop()
    accepted = loop.time()
    client_writer.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        server_reader, server_writer = await asyncio.open_connection(*target)
    except OSError:
        reset(client_writer)
        return
    server_writer.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    # The client's first bytes leave after the handshake's round trip.
    await asyncio.gather(
        pipe(client_reader, server_writer, delay, accepted + 2 * delay),
        pipe(server_reader, client_writer, delay, accepted),
    )
    for w in (client_writer, server_writer):
        w.close()


async def main():
    host, port, target_host, target_port = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
    delay = (float(sys.argv[5]) if len(sys.argv) > 5 else 0.0) / 2000.0
    server = await asyncio.start_server(
        lambda r, w: serve(r, w, (target_host, target_port), delay), host, port, reuse_address=True
    )
    bound = server.sockets[0].getsockname()
    print(f"listening on {bound[0]}:{bound[1]}", flush=True)
    stop = asyncio.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        asyncio.get_running_loop().add_signal_handler(sig, stop.set)
    async with server:
        await stop.wait()


if __name__ == "__main__":
    asyncio.run(main())
