#!/usr/bin/env python3
"""Expected counts of the WiGLE CSV import for real logs, computed independently with Python's csv
module. The figures in WigleCsvTest.cpp (kRealLogs) come from:

    python3 tests/files/wigle_expected_counts.py ../shared/data/wigle/*.csv

The rules are those of the import (docs/wigle-import.md): rows counted under the first reason that
applies, points = runs of consecutive usable rows with the same time and position (milliarcseconds).
"""
import csv
import datetime
import math
import re
import sys


def llround(x):  # C's llround: halves away from zero
    a = abs(x)
    f = math.floor(a)
    r = f + 1 if a - f >= 0.5 else f
    return int(r if x >= 0 else -r)


def number(s):
    s = s.strip(' \t')
    if s.startswith('+'):
        s = s[1:]
    # float() also takes "inf", "nan" and "1_000"; the import does not.
    if not re.fullmatch(r'-?[0-9.eE+-]+', s):
        return None
    try:
        v = float(s)
    except ValueError:
        return None
    return v if math.isfinite(v) else None


def channel_from_frequency(f):
    if f == 2484:
        return 14
    if 2412 <= f <= 2472 and (f - 2407) % 5 == 0:
        return (f - 2407) // 5
    if f == 5935:
        return 2
    if 5000 < f <= 5925 and f % 5 == 0:
        return (f - 5000) // 5
    if 5950 < f <= 7125 and f % 5 == 0:
        return (f - 5950) // 5
    return 0


MAC = re.compile(r'[0-9a-fA-F]{2}([:-])[0-9a-fA-F]{2}(\1[0-9a-fA-F]{2}){4}')


def count(path):
    with open(path, newline='', encoding='latin-1') as fh:
        text = fh.read()
    if text.startswith('\xef\xbb\xbf'):
        text = text[3:]
    lines = text.splitlines(keepends=True)
    if lines and lines[0].startswith('WigleWifi-'):
        lines = lines[1:]
    rows = csv.reader(lines)
    header = next(rows)
    col = {name: i for i, name in enumerate(header)}
    c = dict(rows=0, wifiRows=0, points=0, readings=0, incomplete=0, notWifi=0, badMac=0, noPosition=0,
             noChannel=0, badRssi=0, duplicates=0)
    key, macs = None, set()
    for r in rows:
        if not r:
            continue
        c['rows'] += 1
        if len(r) < len(header):
            c['incomplete'] += 1
            continue
        g = lambda name: r[col[name]] if name in col else ''
        if 'Type' in col and g('Type').strip().upper() != 'WIFI':
            c['notWifi'] += 1
            continue
        c['wifiRows'] += 1
        if not MAC.fullmatch(g('MAC').strip()):
            c['badMac'] += 1
            continue
        lat, lon = number(g('CurrentLatitude')), number(g('CurrentLongitude'))
        if lat is None or lon is None or not -90 <= lat <= 90 or not -180 <= lon <= 180 or (lat == 0 and lon == 0):
            c['noPosition'] += 1
            continue
        ch = int(g('Channel')) if g('Channel').strip().isdigit() else 0
        if not 1 <= ch <= 255:
            ch = channel_from_frequency(int(g('Frequency'))) if g('Frequency').strip().isdigit() else 0
        if ch == 0:
            c['noChannel'] += 1
            continue
        rssi = number(g('RSSI'))
        if rssi is None or rssi >= 0 or rssi < -128:
            c['badRssi'] += 1
            continue
        try:
            t = datetime.datetime.strptime(g('FirstSeen').strip(), '%Y-%m-%d %H:%M:%S')
        except ValueError:
            t = None
        k = (t, llround(lat * 3600000.0), llround(lon * 3600000.0))
        mac = g('MAC').strip().lower().replace('-', ':')
        if k == key and mac in macs:
            c['duplicates'] += 1
            continue
        if k != key:
            c['points'] += 1
            key, macs = k, set()
        macs.add(mac)
        c['readings'] += 1
    return c


for p in sys.argv[1:]:
    print(p, count(p))
