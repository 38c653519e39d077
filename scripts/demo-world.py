#!/usr/bin/env python3
"""Writes data/demo-world.json, the demo world's description for `corvane-tool make-scenery`.

Four towered Seattle-area fields at their real positions with their real runways and their real
taxiway networks, and one uncontrolled field with only a CTAF frequency. The networks come from
data/groundnets/ (FlightGear ground networks, see the README there), each turned into its
airport's "taxi" part by `corvane-tool import-groundnet`, which prints what it merged, left out and
renamed. The runway designations are those of the simulator's time (Boeing Field's main runway was
13R/31L until 2017); the frequencies are plausible, not current.

usage: scripts/demo-world.py [CORVANE_TOOL] > data/demo-world.json
CORVANE_TOOL defaults to build/release/tools/corvane-tool/corvane-tool (built by ./run).
"""
import json
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TOOL = (sys.argv[1] if len(sys.argv) > 1
        else os.path.join(ROOT, "build/release/tools/corvane-tool/corvane-tool"))


def runway(designation, ends, length_ft, width_ft, ils=False):
    (d1, lat1, lon1), (d2, lat2, lon2) = ends
    r = {"designation": designation, "lengthFt": length_ft, "widthFt": width_ft}
    if ils:
        r["ils"] = True
    r["starts"] = [{"designation": d1, "lat": lat1, "lon": lon1},
                   {"designation": d2, "lat": lat2, "lon": lon2}]
    return r


def with_groundnet(airport):
    """The airport with the "taxi" part imported from data/groundnets/IDENT.groundnet.xml."""
    if not os.access(TOOL, os.X_OK):
        sys.exit(f"{TOOL} not found: build corvane-tool first (./run does) or name it")
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump(airport, f)
    try:
        xml = os.path.join(ROOT, "data/groundnets", airport["ident"] + ".groundnet.xml")
        out = subprocess.run([TOOL, "import-groundnet", xml, f.name], check=True,
                             stdout=subprocess.PIPE, text=True).stdout
    finally:
        os.unlink(f.name)
    return dict(airport, taxi=json.loads(out))


def freq(kind, mhz):
    return {"type": kind, "mhz": mhz}


ATIS, CLEARANCE = 1, 7

kbfi = with_groundnet({
    "ident": "KBFI", "name": "Boeing Fld", "lat": 47.53, "lon": -122.301944, "elevationFt": 21,
    "runways": [
        runway("13R", [("13R", 47.540518, -122.311356), ("31L", 47.516726, -122.291242)],
               10000, 200, ils=True),
        runway("13L", [("13L", 47.537993, -122.307461), ("31R", 47.529168, -122.300000)],
               3710, 100),
    ],
    "frequencies": [freq(ATIS, "127.75"), freq("ground", "121.9"), freq("tower", "120.6"),
                    freq("departure", "119.2"), freq("approach", "126.5")],
})

ksea = with_groundnet({
    "ident": "KSEA", "name": "Seattle-Tacoma Intl", "lat": 47.449, "lon": -122.309333,
    "elevationFt": 433,
    "runways": [
        runway("16L", [("16L", 47.463797, -122.307752), ("34R", 47.431175, -122.308041)],
               11901, 150, ils=True),
        runway("16C", [("16C", 47.463811, -122.310988), ("34C", 47.437972, -122.311213)],
               9426, 150, ils=True),
        runway("16R", [("16R", 47.463838, -122.317863), ("34L", 47.440537, -122.318065)],
               8500, 150, ils=True),
    ],
    "frequencies": [freq(ATIS, "118"), freq(CLEARANCE, "128"), freq("ground", "121.7"),
                    freq("tower", "119.9"), freq("approach", "119.2"),
                    freq("departure", "120.4"), freq("center", "120.3")],
})

kpae = with_groundnet({
    "ident": "KPAE", "name": "Snohomish Co (Paine Fld)", "lat": 47.906333, "lon": -122.281667,
    "elevationFt": 608, "section": 2,
    "runways": [
        runway("16R", [("16R", 47.921336, -122.285851), ("34L", 47.896640, -122.285303)],
               9010, 150, ils=True),
        runway("16L", [("16L", 47.906425, -122.271693), ("34R", 47.898192, -122.271601)],
               3004, 75),
    ],
    "frequencies": [freq(ATIS, "128.65"), freq("ground", "121.8"), freq("tower", "120.2"),
                    freq("approach", "128.5")],
})

krnt = with_groundnet({
    "ident": "KRNT", "name": "Renton Muni", "lat": 47.493056, "lon": -122.215833,
    "elevationFt": 32,
    "runways": [runway("16", [("16", 47.500472, -122.216853), ("34", 47.485794, -122.214633)],
                       5382, 200)],
    "frequencies": [freq(ATIS, "126.95"), freq("ground", "121.6"), freq("tower", "124.7"),
                    freq("approach", "119.2"), freq("departure", "120.4")],
})

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

def dumps(value, indent=0):
    """JSON with one line for each object or list that holds no other: a taxi point, a segment."""
    if not isinstance(value, (dict, list)) or not any(
            isinstance(v, (dict, list)) for v in (value.values() if isinstance(value, dict)
                                                  else value)):
        return json.dumps(value)
    pad = " " * (indent + 1)
    if isinstance(value, dict):
        items = [f"{pad}{json.dumps(k)}: {dumps(v, indent + 1)}" for k, v in value.items()]
        return "{\n" + ",\n".join(items) + "\n" + " " * indent + "}"
    items = [pad + dumps(v, indent + 1) for v in value]
    return "[\n" + ",\n".join(items) + "\n" + " " * indent + "]"


print(dumps(world))
