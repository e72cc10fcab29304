#!/usr/bin/env python3
"""Writes the Strategy Performance Reports of the sample run folder SEQ_0001 as TradeStation saves them
(a MIME web archive around a quoted-printable HTML page), with trades small enough to check by hand.

Run: python3 samples/TavrinDemo/write_reports.py   (the step files are then made by make_run_folder.sh)
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
BOUNDARY = "----=_NextPart_000_0000_01CDDA3C.5A3B1F20"

# name: (strategy, symbol, interval, inputs, trades)
# trade: (type, entry date, entry time, exit date, exit time, entry price, exit price, shares, net P, comm in, comm out)
# exit date None = a position still open at the end of the report.
REPORTS = {
    "ES_5min_1": ("MovAvg Cross", "ES", "5 min", [("FastLength", "9"), ("SlowLength", "18")], [
        ("long", "1/3/2012", "09:35", "1/3/2012", "11:05", 1270.25, 1275.33, 1, 250.00, 2.00, 2.00),
        ("short", "1/4/2012", "10:00", "1/4/2012", "14:30", 1271.00, 1273.42, 1, -125.00, 2.00, 2.00),
        ("long", "1/5/2012", "09:30", "1/5/2012", "09:45", 1277.50, 1277.58, 1, 0.00, 2.00, 2.00),
        ("short", "1/6/2012", "13:00", "1/9/2012", "10:00", 1279.75, 1277.92, 1, 87.50, 2.00, 2.00),
    ]),
    "MSFT_Daily_2": ("Breakout", "MSFT", "Daily", [("Len", "20"), ("Mult", "1.5"), ("StopAmt", "300")], [
        ("long", "2/1/2012", "", "2/10/2012", "", 29.95, 26.87, 100, -310.00, 1.00, 1.00),
        ("long", "2/15/2012", "", "3/1/2012", "", 30.80, 43.22, 100, 1240.00, 1.00, 1.00),
        ("short", "3/5/2012", "", None, "", 32.10, 0, 100, -45.00, 1.00, 0),
    ]),
}


def money(v):
    text = "${:,.2f}".format(abs(v))
    return "(%s)" % text if v < 0 else text


def row(cells):
    return "<TR>" + "".join("<TD>%s</TD>" % c for c in cells) + "</TR>\r\n"


def page(strategy, symbol, interval, inputs, trades):
    name = "%s %s-%s" % (strategy, symbol, interval)
    closed = [t for t in trades if t[3]]
    net = sum(t[8] for t in closed)
    out = ["<HTML><HEAD><TITLE>TradeStation Strategy Performance Report - %s</TITLE></HEAD><BODY>\r\n" % name,
           "<DIV class=HeaderInfo>%s (%s - %s)</DIV>\r\n" % (name, trades[0][1], closed[-1][3]),
           "<TABLE><TR><TD>Symbol</TD><TD id=Symbol>%s</TD></TR><TR><TD>Interval</TD><TD>%s</TD></TR></TABLE>\r\n"
           % (symbol, interval),
           "<H2>Performance Summary</H2><TABLE><TR><TD></TD><TD>All Trades</TD><TD>Long Trades</TD>"
           "<TD>Short Trades</TD></TR>\r\n",
           row(["Total Net Profit", money(net),
                money(sum(t[8] for t in closed if t[0] == "long")),
                money(sum(t[8] for t in closed if t[0] == "short"))]),
           "</TABLE>\r\n<H2>Trades List</H2><TABLE class=\"TradesTable\">\r\n",
           "<TR>" + "".join("<TH>%s</TH>" % h for h in (
               "#", "Type", "Date", "Time", "Signal", "Price", "Shares/Ctrts", "Profit/Loss", "Cum. Profit",
               "% Profit", "Run-up/Drawdown", "Comm.")) + "</TR>\r\n"]
    cumulative = 0.0
    for number, (kind, d1, t1, d2, t2, p1, p2, shares, net_p, c1, c2) in enumerate(trades, start=1):
        short = kind == "short"
        out.append(row([str(number), "Sell Short" if short else "Buy", d1, t1, "SE" if short else "LE", money(p1),
                        str(shares), money(net_p), "", "%.2f%%" % (net_p * 100 / (p1 * shares)),
                        money(abs(net_p) + 25), money(c1)]))
        if d2 is None:
            continue
        cumulative += net_p
        out.append(row(["", "Buy to Cover" if short else "Sell", d2, t2, "SX" if short else "LX", money(p2),
                        str(shares), money(net_p + c1 + c2), money(cumulative), "", money(-25), money(c2)]))
    out.append("</TABLE>\r\n<H2>Annual Trading Summary</H2><TABLE><TR><TD>2012</TD><TD>%s</TD></TR></TABLE>\r\n"
               % money(net))
    out.append("<H2>Equity Curve</H2><IMG src=\"equity.png\">\r\n")
    out.append("<H2>Settings</H2><TABLE><TR><TD>TradeStation Strategy Inputs</TD></TR></TABLE>\r\n"
               "<TABLE><TR><TD><TABLE>\r\n")
    for i, (key, value) in enumerate(inputs, start=1):
        out.append("<TR><TD id=inputName%d>%s - %s</TD><TD id=inputValue%d>%s</TD></TR>\r\n"
                   % (i, strategy, key, i, value))
    out.append("</TABLE></TD></TR></TABLE>\r\n</BODY></HTML>\r\n")
    return "".join(out)


def quoted_printable(text):
    lines = []
    for line in text.split("\r\n"):
        out, column = [], 0
        for ch in line:
            piece = "=%02X" % ord(ch) if ch == "=" or not (32 <= ord(ch) <= 126) else ch
            if column + len(piece) > 75:
                out.append("=\r\n")
                column = 0
            out.append(piece)
            column += len(piece)
        lines.append("".join(out))
    return "\r\n".join(lines)


def archive(title, html):
    return ("From: <Saved by TradeStation>\r\nSubject: %s\r\nDate: Fri, 14 Dec 2012 16:05:11 -0500\r\n"
            "MIME-Version: 1.0\r\nContent-Type: multipart/related; type=\"text/html\"; boundary=\"%s\"\r\n\r\n"
            "This is a multi-part message in MIME format.\r\n\r\n--%s\r\n"
            "Content-Type: text/html; charset=\"windows-1252\"\r\nContent-Transfer-Encoding: quoted-printable\r\n"
            "Content-Location: file:///C:/Program%%20Files/TradeStation%%209.5/Program/Reports/Report.htm\r\n\r\n"
            "%s\r\n--%s--\r\n" % (title, BOUNDARY, BOUNDARY, quoted_printable(html), BOUNDARY))


def main():
    folder = os.path.join(HERE, "SEQ_0001")
    os.makedirs(folder, exist_ok=True)
    for name, (strategy, symbol, interval, inputs, trades) in REPORTS.items():
        title = "TradeStation Strategy Performance Report - %s %s-%s" % (strategy, symbol, interval)
        with open(os.path.join(folder, name + ".MHT"), "w", newline="") as f:
            f.write(archive(title, page(strategy, symbol, interval, inputs, trades)))


if __name__ == "__main__":
    main()
