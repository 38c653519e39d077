#!/usr/bin/env python3
"""Writes data/demo-world.json, the demo world's description for `corvane-tool make-scenery`.

Four towered Seattle-area fields at their real positions with their real runways, and one
uncontrolled field with only a CTAF frequency. The taxiway layouts of the towered fields are
plausible stand-ins laid out along the main runway (a parallel taxiway, hold-short connectors, an
apron with gates and parking places); the frequencies are plausible, not current.

usage: scripts/demo-world.py > data/demo-world.json
"""
import json
import math

M_PER_DEG_LAT = 111120.0  # one minute of arc is 1852 m


def offset(lat, lon, east, north):
    """The point `east`/`north` metres from (lat, lon), flat-earth (fields are small)."""
    return (round(lat + north / M_PER_DEG_LAT, 6),
            round(lon + east / (M_PER_DEG_LAT * math.cos(math.radians(lat))), 6))


def enu(lat0, lon0, lat, lon):
    return ((lon - lon0) * M_PER_DEG_LAT * math.cos(math.radians(lat0)),
            (lat - lat0) * M_PER_DEG_LAT)


def runway(designation, ends, length_ft, width_ft, ils=False, elevation_ft=None):
    (d1, lat1, lon1), (d2, lat2, lon2) = ends
    starts = [{"designation": d1, "lat": lat1, "lon": lon1},
              {"designation": d2, "lat": lat2, "lon": lon2}]
    if elevation_ft is not None:
        for s in starts:
            s["elevationFt"] = elevation_ft
    r = {"designation": designation, "lengthFt": length_ft, "widthFt": width_ft}
    if ils:
        r["ils"] = True
    r["starts"] = starts
    return r


def network(start, end, side, gates, ramps):
    """A taxiway network along the runway from `start` to `end` (lat, lon).

    side +1 puts the apron to the right of the runway's direction, -1 to the left. `gates` and
    `ramps` are lists of (name, number) for the parking places at the apron.
    """
    lat0, lon0 = start
    ex, ny = enu(lat0, lon0, *end)
    length = math.hypot(ex, ny)
    ux, uy = ex / length, ny / length          # along the runway
    vx, vy = uy * side, -ux * side             # across, towards the apron

    def at(frac, across):
        return offset(lat0, lon0, ux * frac * length + vx * across,
                      uy * frac * length + vy * across)

    points, segments, parking = [], [], []

    def point(frac, across, kind=1):
        lat, lon = at(frac, across)
        points.append({"lat": lat, "lon": lon, "kind": kind})
        return len(points) - 1

    fracs = [0.0, 0.25, 0.5, 0.75, 1.0]
    rwy = [point(f, 0) for f in fracs]
    hold = [point(f, 75, kind=2) for f in fracs]
    par = [point(f, 180) for f in fracs]
    apron = [point(f, 300) for f in (0.3, 0.5, 0.7)]

    for a, b in zip(rwy, rwy[1:]):
        segments.append({"type": "runway", "start": a, "end": b, "runway": 0})
    for i in range(5):
        segments.append({"type": "taxi", "start": rwy[i], "end": hold[i], "taxiway": f"A{i + 1}"})
        segments.append({"type": "taxi", "start": hold[i], "end": par[i], "taxiway": f"A{i + 1}"})
    for a, b in zip(par, par[1:]):
        segments.append({"type": "taxi", "start": a, "end": b, "taxiway": "A"})
    segments.append({"type": "taxi", "start": par[1], "end": apron[0], "taxiway": "C"})
    segments.append({"type": "taxi", "start": apron[0], "end": apron[1], "taxiway": "B"})
    segments.append({"type": "taxi", "start": apron[1], "end": apron[2], "taxiway": "B"})
    segments.append({"type": "taxi", "start": par[3], "end": apron[2], "taxiway": "D"})

    places = [(n, k, 24.0) for n, k in gates] + [(n, k, 12.0) for n, k in ramps]
    for i, (name, number, radius) in enumerate(places):
        frac = 0.25 + 0.5 * i / max(1, len(places) - 1)
        lat, lon = at(frac, 370)
        parking.append({"lat": lat, "lon": lon, "radiusM": radius, "name": name,
                        "number": number})
        nearest = min(apron, key=lambda p: abs({apron[0]: 0.3, apron[1]: 0.5,
                                                 apron[2]: 0.7}[p] - frac))
        segments.append({"type": "parking", "start": nearest, "end": i})
    return {"points": points, "parking": parking, "segments": segments}


def freq(kind, mhz):
    return {"type": kind, "mhz": mhz}


ATIS, CLEARANCE = 1, 7

kbfi_13r, kbfi_31l = (47.54139, -122.31194), (47.51806, -122.29056)
kbfi_13l = offset(*offset(*kbfi_13r, 0.53 * 400, -0.85 * 400), 221, 138)
kbfi_31r = offset(*kbfi_13l, 0.53 * 1131, -0.85 * 1131)
kbfi = {
    "ident": "KBFI", "name": "Boeing Fld", "lat": 47.53, "lon": -122.301944, "elevationFt": 21,
    "runways": [
        runway("13R", [("13R", *kbfi_13r), ("31L", *kbfi_31l)], 10000, 200, ils=True),
        runway("13L", [("13L", *kbfi_13l), ("31R", *kbfi_31r)], 3710, 100),
    ],
    "frequencies": [freq(ATIS, "127.75"), freq("ground", "121.9"), freq("tower", "120.6"),
                    freq("departure", "119.2"), freq("approach", "126.5")],
    "taxi": network(kbfi_13r, kbfi_31l, +1,
                    gates=[("Gate", 1), ("Gate", 2), ("Gate", 3)],
                    ramps=[("Parking", 1), ("Parking", 2), ("W Parking", 1), ("W Parking", 2)]),
}

ksea_16l, ksea_34r = (47.46380, -122.30776), (47.43116, -122.30807)
ksea = {
    "ident": "KSEA", "name": "Seattle-Tacoma Intl", "lat": 47.449, "lon": -122.309333,
    "elevationFt": 433,
    "runways": [
        runway("16L", [("16L", *ksea_16l), ("34R", *ksea_34r)], 11901, 150, ils=True),
        runway("16R", [("16R", 47.46300, -122.31100), ("34L", 47.43715, -122.31125)], 9426, 150,
               ils=True),
    ],
    "frequencies": [freq(ATIS, "118"), freq(CLEARANCE, "128"), freq("ground", "121.7"),
                    freq("tower", "119.9"), freq("approach", "119.2"),
                    freq("departure", "120.4"), freq("center", "120.3")],
    "taxi": network(ksea_16l, ksea_34r, -1,
                    gates=[("Gate A", 1), ("Gate A", 2), ("Gate A", 3), ("Gate B", 1),
                           ("Gate B", 2), ("Gate C", 1)],
                    ramps=[("Parking", 1), ("Parking", 2)]),
}

kpae_16r, kpae_34l = (47.92050, -122.28323), (47.89583, -122.28150)
kpae_16l = offset(*kpae_16r, 200, -1200)
kpae_34r = offset(*kpae_16l, 60, -915)
kpae_11 = (47.91200, -122.29300)
kpae_29 = offset(*kpae_11, 1083, -847)
kpae = {
    "ident": "KPAE", "name": "Snohomish Co (Paine Fld)", "lat": 47.906333, "lon": -122.281667,
    "elevationFt": 608, "section": 2,
    "runways": [
        runway("16R", [("16R", *kpae_16r), ("34L", *kpae_34l)], 9010, 150, ils=True),
        runway("16L", [("16L", *kpae_16l), ("34R", *kpae_34r)], 3004, 75),
        runway("11", [("11", *kpae_11), ("29", *kpae_29)], 4514, 75),
    ],
    "frequencies": [freq(ATIS, "128.65"), freq("ground", "121.8"), freq("tower", "120.2"),
                    freq("approach", "128.5")],
    "taxi": network(kpae_16r, kpae_34l, -1,
                    gates=[("Gate", 1), ("Gate", 2)],
                    ramps=[("Parking", 1), ("Parking", 2), ("E Parking", 1), ("E Parking", 2)]),
}

krnt_16, krnt_34 = (47.50080, -122.21730), (47.48630, -122.21440)
krnt = {
    "ident": "KRNT", "name": "Renton Muni", "lat": 47.493056, "lon": -122.215833,
    "elevationFt": 32,
    "runways": [runway("16", [("16", *krnt_16), ("34", *krnt_34)], 5382, 200)],
    "frequencies": [freq(ATIS, "126.95"), freq("ground", "121.6"), freq("tower", "124.7"),
                    freq("approach", "119.2"), freq("departure", "120.4")],
    "taxi": network(krnt_16, krnt_34, +1,
                    gates=[("Dock", 1)],
                    ramps=[("Parking", 1), ("Parking", 2), ("Parking", 3), ("W Parking", 1),
                           ("W Parking", 2)]),
}

s50 = {
    "ident": "S50", "name": "Auburn Muni", "lat": 47.327667, "lon": -122.226667,
    "elevationFt": 63, "section": 2,
    "runways": [runway("16", [("16", 47.33240, -122.22710), ("34", 47.32310, -122.22640)],
                       3400, 75)],
    "frequencies": [freq("ctaf", "122.7")],
}

world = {
    "sceneryCfg": {
        "preamble": ["[General]", "Title=FS2002 World Scenery", "Description=FS2002 Scenery Data",
                     "Clean_on_Exit=TRUE"],
        "areas": [
            {"header": "[Area.001]",
             "lines": ["Title=Default Terrain", "Texture_ID=1", "Remote=", "Local=Scenery\\World",
                       "Layer=1", "Active=TRUE", "Required=TRUE"]},
            {"header": "[Area.002]",
             "lines": ["Title=Default Scenery", "Local=Scenery\\BASE", "Layer=2", "Active=TRUE",
                       "Required=TRUE"]},
            {"header": "[Area.003]",
             "lines": ["Title=Airport and Facilities Data", "Texture_ID=3",
                       "Local=Scenery\\NAmerica", "Layer=3", "Active=TRUE", "Required=TRUE"],
             "folder": "Scenery/NAMERICA/Scenery",
             "files": [{"name": "AP_SEA.BGL", "entriesPerBlock": 2,
                        "airports": [ksea, kbfi, s50]}]},
            {"header": "[Area.004]",
             "lines": ["title=Cities - Seattle", "remote=[FS2002_2]\\Scenery\\Cities",
                       "local=Scenery\\Cities", "layer=4", "active=TRUE", "required=FALSE"]},
            {"header": "[Area.005]",
             "lines": ["TITLE=AIRPORT AND FACILITIES DATA", "LOCAL=Addon Scenery\\Puget Sound",
                       "LAYER=5", "ACTIVE=TRUE", "REQUIRED=True"],
             "folder": "Addon Scenery/Puget Sound/scenery",
             "files": [{"name": "puget.bgl", "airports": [kpae, krnt]}]},
        ],
    },
    "magdec": {"smooth": True},
}

print(json.dumps(world, indent=1))
