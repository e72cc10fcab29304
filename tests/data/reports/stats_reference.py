#!/usr/bin/env python3
"""Reference values of the trade statistics of the lists in stats_trades.txt, computed from the rules in
plain Python (no code shared with the C++ implementation). Writes one line per figure, "LIST COLUMN NAME
VALUE", to stats_expected.txt beside this script; TradeStatsTest compares the C++ results with it.

Run: python3 tests/data/reports/stats_reference.py
"""
import math
import os
import statistics
from datetime import datetime

CAPITAL = 5000.0
BASE_RATE = 5.0

def load_lists():
    """The trade lists of stats_trades.txt: {list: [(direction, profit, commission, entry, exit)]}."""
    lists = {}
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "stats_trades.txt")) as f:
        for line in f:
            if not line.strip() or line.startswith("#"):
                continue
            name, direction, profit, fee, d1, t1, d2, t2 = line.split()
            when = lambda d, t: datetime.strptime(d + " " + t, "%m/%d/%Y %H:%M")
            lists.setdefault(name, []).append(
                (int(direction), float(profit), float(fee), when(d1, t1), when(d2, t2)))
    return lists


def column_of(trades, column):
    if column == 1:
        return [x for x in trades if x[0] >= 0]
    if column == 2:
        return [x for x in trades if x[0] < 0]
    return list(trades)


def stats(trades, column):
    mine = column_of(trades, column)
    v = {}
    p = [x[1] for x in mine]
    n = len(mine)
    wins = [x for x in p if x > 0]
    losses = [x for x in p if x <= 0]
    hours = [(x[4] - x[3]).total_seconds() / 3600 for x in mine]
    v["PL"] = sum(p)
    v["Equ"] = CAPITAL + sum(p)
    v["EquStart"] = CAPITAL
    v["GrossGain"] = sum(wins)
    v["GrossLoss"] = sum(losses)
    v["CntTrd"] = n
    v["CntGain"] = len(wins)
    v["CntLoss"] = len(losses)
    v["Prob"] = len(wins) * 100 / n
    v["PF"] = -(sum(wins) / sum(losses)) if sum(losses) < 0 else 0
    v["AvgTrdAmt"] = sum(p) / n
    v["AvgGainAmt"] = sum(wins) / len(wins) if wins else 0
    v["AvgLossAmt"] = sum(losses) / len(losses) if losses else 0
    v["PFAvg"] = -(v["AvgGainAmt"] / v["AvgLossAmt"]) if v["AvgLossAmt"] < 0 else 0
    v["MaxGainAmt"] = max(wins) if wins else 0
    v["MaxLossAmt"] = min([0.0] + losses)
    v["TotFee"] = sum(x[2] for x in mine)
    # equity curve from the capital, peak-to-valley drawdown
    equity, peak, dd, ddper, low = CAPITAL, CAPITAL, 0.0, 0.0, CAPITAL
    for x in p:
        equity += x
        peak = max(peak, equity)
        low = min(low, equity)
        if equity - peak < dd:
            dd, ddper = equity - peak, (equity - peak) * 100 / peak
    v["MaxEqu"], v["MinEqu"], v["MaxDDAmt"], v["MaxDDPer"] = peak, low, dd, ddper
    # longest runs of winners and of losers (a zero result is a loser)
    best = {True: 0, False: 0}
    run, last = 0, None
    for x in p:
        win = x > 0
        run = run + 1 if win == last else 1
        last = win
        best[win] = max(best[win], run)
    v["MaxGainCnt"], v["MaxLossCnt"] = best[True], best[False]
    # longest run-up of consecutive winners
    up, maxup, maxupper, equity = 0.0, 0.0, 0.0, CAPITAL
    for x in p:
        equity += x
        up = up + x if x > 0 else 0.0
        if up > maxup:
            maxup, maxupper = up, up * 100 / equity
    v["MaxDUAmt"], v["MaxDUPer"] = maxup, maxupper
    first = min(x[3] for x in mine)
    last_exit = max(x[4] for x in mine)
    days = (last_exit - first).total_seconds() / 86400
    v["TrdRngDay"] = days
    v["TrdRngYr"] = days / 365.25
    v["TrdDurTotal"] = sum(hours) / 24
    v["TrdDurPer"] = v["TrdDurTotal"] * 100 / days
    v["DurTrdAvg"] = sum(hours) / n
    v["DurGainAvg"] = (sum(h for h, x in zip(hours, p) if x > 0) / len(wins)) if wins else 0
    v["DurLossAvg"] = (sum(h for h, x in zip(hours, p) if x <= 0) / len(losses)) if losses else 0
    v["DurMin"], v["DurMax"] = min(hours), max(hours)
    v["PLYr"] = v["PL"] / (days / 365.25)
    sd = lambda xs: statistics.stdev(xs) if len(xs) > 1 else 0.0
    med = lambda xs: statistics.median(xs) if xs else 0.0
    v["DevAmt"], v["DevGainAmt"], v["DevLossAmt"] = sd(p), sd(wins), sd(losses)
    v["DevPer"], v["DevGainPer"], v["DevLossPer"] = [x * 100 / CAPITAL for x in (sd(p), sd(wins), sd(losses))]
    v["MedTrdAmt"], v["MedGainAmt"], v["MedLossAmt"] = med(p), med(wins), med(losses)
    v["PFMed"] = -(v["MedGainAmt"] / v["MedLossAmt"]) if v["MedLossAmt"] < 0 else 0
    # volatility: distance of the column's running sum from the straight line k * PL / N, with k the position
    # in the whole list and N the length of the whole list
    total_n = len(trades)
    cum, spread = 0.0, 0.0
    for k, x in enumerate(trades, start=1):
        if x in mine:
            cum += x[1]
            spread += abs(k * v["PL"] / total_n - cum)
    v["VolatityAmt"] = spread / total_n
    v["VolatityPer"] = v["VolatityAmt"] * 100 / v["PL"] if v["PL"] > 0 else 100
    v["RetYr"] = (v["Equ"] - CAPITAL) * 100 / CAPITAL / (days / 365.25)
    divisor = math.sqrt(12) * v["DevAmt"] * 100 / CAPITAL
    v["Sharpe"] = (v["RetYr"] - BASE_RATE) / divisor if divisor > 0 else 9.999
    v["MAR"] = -(v["RetYr"] / v["MaxDDPer"]) if v["MaxDDPer"] < 0 else 9.999
    return v


def dates(trades, column):
    """The dates of the column as "M/D/YYYY HH:MM:SS" ("-" when the figure never happened)."""
    mine = column_of(trades, column)
    d = {}
    equity, peak, low, dd, up, maxup = CAPITAL, CAPITAL, CAPITAL, 0.0, 0.0, 0.0
    best_win, worst_loss = 0.0, 0.0
    d["DateMaxEqu"] = d["DateMinEqu"] = mine[0][3]
    d["DateMaxGain"] = d["DateMaxLoss"] = d["DateMaxDD"] = d["DateMaxDU"] = None
    for direction, profit, fee, entry, exit in mine:
        equity += profit
        if equity > peak:
            peak, d["DateMaxEqu"] = equity, exit
        if equity < low:
            low, d["DateMinEqu"] = equity, exit
        if profit > best_win:
            best_win, d["DateMaxGain"] = profit, exit
        if profit < worst_loss:
            worst_loss, d["DateMaxLoss"] = profit, exit
        up = up + profit if profit > 0 else 0.0
        if up > maxup:
            maxup, d["DateMaxDU"] = up, exit
        if equity - peak < dd:
            dd, d["DateMaxDD"] = equity - peak, d["DateMaxEqu"]
    d["DateMinTrd"] = min(x[3] for x in mine)
    d["DateMaxTrd"] = max(x[4] for x in mine)
    text = lambda x: "-" if x is None else "%d/%d/%04d %02d:%02d:%02d" % (
        x.month, x.day, x.year, x.hour, x.minute, x.second)
    return {k: text(x) for k, x in d.items()}


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "stats_expected.txt")
    with open(out, "w", newline="\n") as f:
        f.write("# Written by stats_reference.py: LIST COLUMN NAME VALUE (columns 0 all, 1 long, 2 short)\n")
        for name, trades in load_lists().items():
            for column in range(3):
                if not column_of(trades, column):
                    continue
                for key, value in stats(trades, column).items():
                    f.write("%s %d %s %.10g\n" % (name, column, key, value))
                for key, value in dates(trades, column).items():
                    f.write("%s %d %s %s\n" % (name, column, key, value))


if __name__ == "__main__":
    main()
