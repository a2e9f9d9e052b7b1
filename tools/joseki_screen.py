#!/usr/bin/env python3
"""Scores every book move of data/joseki.src with an outside engine.

Run by hand; it needs Fairy-Stockfish (Debian package fairy-stockfish) and
takes minutes:

    tools/joseki_screen.py data/joseki.src [--engine PATH] [--jobs N]
                           [--save FILE] [--reuse FILE]

Every line is replayed from its source as joseki_gen does; every computer
move that joseki_gen would write (the same position and move once) is
scored: the engine's best move and its score, then the book move searched
alone, one thread, the hash cleared before each search. A move that looks
30 cp or more worse than the engine's choice is searched again with more
nodes. Prints one row per move and the summary.

The searches are deterministic (one thread, a node count, the hash cleared),
so --save keeps every result and --reuse takes the results of an earlier run
for the moves it already scored: after an edit only the new moves are searched.
"""

import argparse
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

NODES = 150000
NODES_AGAIN = 600000
AGAIN_CP = 30
MATE = 30000

PIECES = {"FU": "P", "KY": "L", "KE": "N", "GI": "S", "KI": "G", "KA": "B", "HI": "R", "OU": "K"}
PROMOTED = {"TO": "FU", "NY": "KY", "NK": "KE", "NG": "GI", "UM": "KA", "RY": "HI"}


def start_board():
    """Square (file, rank) -> (side, piece name); side '+' moves first."""
    b = {}
    back = ["KY", "KE", "GI", "KI", "OU", "KI", "GI", "KE", "KY"]
    for i, p in enumerate(back):
        b[(9 - i, 9)] = ("+", p)
        b[(9 - i, 1)] = ("-", p)
    for f in range(1, 10):
        b[(f, 7)] = ("+", "FU")
        b[(f, 3)] = ("-", "FU")
    b[(8, 8)] = ("+", "KA")
    b[(2, 8)] = ("+", "HI")
    b[(2, 2)] = ("-", "KA")
    b[(8, 2)] = ("-", "HI")
    return b


def square(f, r):
    return "abcdefghi"[9 - f] + str(10 - r)


def parse(path):
    """The lines of play: (computer moves first, [(source line, move text)])."""
    lines = []
    with open(path, encoding="utf-8") as src:
        for n, raw in enumerate(src, 1):
            toks = raw.split("#", 1)[0].split()
            if not toks:
                continue
            i = 0
            if toks[0] in ("sente", "gote"):
                lines.append((toks[0] == "sente", []))
                i = 1
            elif toks[0].endswith(":"):
                frm = int(toks[0][:-1])
                com, prev = lines[-1]
                lines.append((com, prev[: frm - 1]))
                i = 1
            for t in toks[i:]:
                if t[0] in "+-":
                    lines[-1][1].append((n, t))
    return lines


class Game:
    def __init__(self):
        self.board = start_board()
        self.hands = {"+": {}, "-": {}}
        self.moves = []

    def key(self, side):
        # The mover's view, as the book stores it: the first player's board
        # is turned around so that one position has one key whoever moves.
        flip = side == "+"
        cells = []
        for (f, r), (s, p) in self.board.items():
            if flip:
                f, r, s = 10 - f, 10 - r, "-" if s == "+" else "+"
            cells.append((f, r, s == side, p))
        hands = tuple(sorted(self.hands[side].items())), tuple(
            sorted(self.hands["-" if side == "+" else "+"].items()))
        return tuple(sorted(cells)), hands

    def play(self, t):
        side, mf, mr, tf, tr, p = t[0], int(t[1]), int(t[2]), int(t[3]), int(t[4]), t[5:7]
        if mf == 0:
            self.hands[side][p] -= 1
            uci = PIECES[p] + "@" + square(tf, tr)
        else:
            s, old = self.board.pop((mf, mr))
            assert s == side, t
            uci = square(mf, mr) + square(tf, tr) + ("+" if p != old and p in PROMOTED else "")
            if (tf, tr) in self.board:
                _, cap = self.board[(tf, tr)]
                cap = PROMOTED.get(cap, cap)
                self.hands[side][cap] = self.hands[side].get(cap, 0) + 1
        self.board[(tf, tr)] = (side, p)
        self.moves.append(uci)
        return uci


def book_moves(path):
    """One entry per record joseki_gen writes: (source line, ply, moves before, uci, text)."""
    seen = set()
    out = []
    for com_first, items in parse(path):
        g = Game()
        for n, t in items:
            ply = len(g.moves) + 1
            com = (ply % 2 == 1) == com_first
            before = list(g.moves)
            k = g.key(t[0]) if com else None
            uci = g.play(t)
            if com and (k, t[1:]) not in seen:
                seen.add((k, t[1:]))
                out.append((n, ply, before, uci, t))
    return out


class Engine:
    def __init__(self, path):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        for opt in ("UCI_Variant value shogi", "Threads value 1", "Hash value 16"):
            self.send("setoption name " + opt)
        self.send("isready")
        self.wait("readyok")

    def send(self, s):
        self.p.stdin.write(s + "\n")

    def wait(self, word):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("the engine stopped")
            lines.append(line.strip())
            if line.split() and line.split()[0] == word:
                return lines

    def ply_of(self, moves):
        self.send("position startpos moves " + " ".join(moves) if moves else "position startpos")
        self.send("d")
        for line in self.wait("Checkers:"):
            if line.startswith("Sfen:"):
                return int(line.split()[-1])
        return -1

    def search(self, moves, nodes, only=None):
        self.send("setoption name Clear Hash")
        self.send("position startpos moves " + " ".join(moves) if moves else "position startpos")
        self.send("go nodes %d" % nodes + (" searchmoves " + only if only else ""))
        score = None
        for line in self.wait("bestmove"):
            w = line.split()
            if w[0] == "info" and "score" in w:
                i = w.index("score")
                v = int(w[i + 2])
                score = v if w[i + 1] == "cp" else (MATE - abs(v)) * (1 if v > 0 else -1)
        return w[1], score

    def quit(self):
        self.send("quit")
        self.p.wait()


def readable(uci):
    if "@" in uci:
        return uci[0] + "*" + str(9 - "abcdefghi".index(uci[2])) + str(10 - int(uci[3]))
    sq = lambda s: str(9 - "abcdefghi".index(s[0])) + str(10 - int(s[1]))
    return sq(uci[0:2]) + sq(uci[2:4]) + ("+" if uci.endswith("+") else "")


def score_move(engine, before, uci):
    loss = 0
    for nodes in (NODES, NODES_AGAIN):
        best, best_cp = engine.search(before, nodes)
        if best == uci:
            return best, 0, nodes
        _, book_cp = engine.search(before, nodes, uci)
        loss = best_cp - book_cp
        if loss < AGAIN_CP:
            break
    return best, loss, nodes


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("source")
    ap.add_argument("--engine", default="/usr/games/fairy-stockfish")
    ap.add_argument("--jobs", type=int, default=1)
    ap.add_argument("--save")
    ap.add_argument("--reuse")
    a = ap.parse_args()
    todo = book_moves(a.source)
    print("%d book moves" % len(todo), flush=True)
    known = {}
    if a.reuse:
        with open(a.reuse) as f:
            for row in f:
                k, best, loss, nodes = row.split("\t")
                known[k] = (best, int(loss), int(nodes))
    key = lambda before, uci: " ".join(before) + "|" + uci

    def work(chunk):
        e = Engine(a.engine)
        rows = []
        for n, ply, before, uci, t in chunk:
            if e.ply_of(before + [uci]) != ply + 1:
                raise RuntimeError("line %d: %s not taken by the engine" % (n, t))
            best, loss, nodes = known.get(key(before, uci)) or score_move(e, before, uci)
            rows.append((n, ply, t, readable(best), loss, nodes, key(before, uci), best))
            print("line %d move %d %s best %s loss %d (%d nodes)" % rows[-1][:6], flush=True)
        e.quit()
        return rows

    chunks = [todo[i::a.jobs] for i in range(a.jobs)]
    with ThreadPoolExecutor(a.jobs) as pool:
        rows = [r for part in pool.map(work, chunks) for r in part]
    if a.save:
        with open(a.save, "w") as f:
            for r in rows:
                f.write("%s\t%s\t%d\t%d\n" % (r[6], r[7], r[4], r[5]))
    small = sum(1 for r in rows if r[4] < 50)
    mid = sum(1 for r in rows if 50 <= r[4] < 150)
    big = sum(1 for r in rows if r[4] >= 150)
    print("\n%d moves: %d lose < 50 cp, %d lose 50-149 cp, %d lose >= 150 cp" %
          (len(rows), small, mid, big))
    print("worst:")
    for r in sorted(rows, key=lambda r: -r[4])[:12]:
        print("  line %d move %d %s best %s loss %d" % r[:5])
    return 0


if __name__ == "__main__":
    sys.exit(main())
