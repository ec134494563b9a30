#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_server into DIR (fuzz/seeds/server holds
the files this script wrote): a login, a two-player game and a kick, in the
target's input layout.

Usage: fuzz/make_server_seeds.py DIR
"""
import pathlib
import sys

FF = b"\xff"


def head(count, conn, kind):
    """The first head byte that picks connection conn and the kind."""
    for h in range(256):
        if h % count == conn and (h >> 2) % 4 == kind:
            return h
    raise ValueError((count, conn, kind))


class Seed:
    def __init__(self, count):
        self.count = count
        self.data = bytearray([count - 1])

    def send(self, conn, text):
        message = text.encode("latin-1") + FF
        assert len(message) < 256
        self.data += bytes([head(self.count, conn, 0), len(message)]) + message

    def round_tick(self, times=1):
        self.data += bytes([head(self.count, 0, 2)]) * times

    def computer_tick(self, times=1):
        self.data += bytes([head(self.count, 0, 3)]) * times


def login(seed, conn, seat, name):
    seed.send(conn, f"CMD_logininfo+{seat}+1.0.3+{name}")


def seeds():
    one = Seed(1)
    login(one, 0, 1, "Ann")
    yield "login", one

    game = Seed(2)
    login(game, 0, 1, "Ann")
    login(game, 1, 2, "Bob")
    game.send(0, "CMD_chat+1+hello a+b|clRed")
    game.send(1, "CMD_action+2+waves|$00FF8000")
    game.send(0, "CMD_startgame+Ann+2+30+0+1+")
    game.round_tick(8)
    for word in ("CAT", "CATS", "DOG", "ZEBRA"):
        game.send(0, f"CMD_sendword+1+{word}+")
        game.send(1, f"CMD_sendword+2+{word}+")
    game.computer_tick(3)
    game.send(0, "CMD_giveup+1+")
    game.send(1, "CMD_giveup+2+")
    game.round_tick(40)
    yield "game", game

    kick = Seed(3)
    login(kick, 0, 1, "Ann")
    login(kick, 1, 2, "Bob")
    login(kick, 2, 3, "Cy")
    kick.send(2, "CMD_kickhim+3+1+")
    kick.send(0, "CMD_kickhim+1+3+")
    kick.send(1, "CMD_chat+2+still here|clBlack")
    yield "kick", kick


def main():
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, seed in seeds():
        (folder / name).write_bytes(bytes(seed.data))


if __name__ == "__main__":
    main()
