#!/usr/bin/env python3
"""A local stand-in of the public radio directory for the station search's tests (Python 3
standard library only). It answers the documented calls in the documented shapes, and its
stations play on the tests' stream server.

    directory_server.py start --state DIR --stream-state STREAM_DIR [--lifetime SECONDS]
    directory_server.py stop --state DIR

`start` runs the server in a session of its own and returns once it listens; DIR/server.json
then holds {"port", "refused_port", "pid"}. It listens on 127.0.0.1 only and ends by itself after
the lifetime (30 minutes at most) or at `stop`. refused_port is a port nobody listens on.

Paths (each directory under a prefix of its own, so that directory.ini picks one):
  /json/stations/search    name, country, tag (substrings, any case), order=clickcount|votes|name,
                           reverse, hidebroken, limit, offset; the stations below
  /json/countries          the countries of the stations
  /json/url/UUID           the click call; 404 for an unknown station
  /broken/...              every answer cut off in the middle (not JSON)
  /huge/...                10,000 stations, paged as asked
  /huge_all/...            the same 10,000 in one answer, whatever the limit says
  /slow/...                the normal answers after 4 seconds
  /log                     {"requests": [{"path", "agent"}]} of every call since start; [reset=1]
"""
import argparse
import json
import os
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MAX_LIFETIME = 30 * 60


def station(uuid, name, url, resolved, country, code, codec, bitrate, clicks, tags, ok=1, votes=0):
    """One entry with every field the directory documents."""
    return {
        "changeuuid": uuid, "stationuuid": uuid, "serveruuid": None, "name": name, "url": url,
        "url_resolved": resolved, "homepage": "", "favicon": "", "tags": tags, "country": country,
        "countrycode": code, "iso_3166_2": None, "state": "", "language": "", "languagecodes": "",
        "votes": votes, "lastchangetime": "2026-01-01 00:00:00", "lastchangetime_iso8601": "2026-01-01T00:00:00Z",
        "codec": codec, "bitrate": bitrate, "hls": 0, "lastcheckok": ok,
        "lastchecktime": "2026-01-01 00:00:00", "lastchecktime_iso8601": "2026-01-01T00:00:00Z",
        "lastcheckoktime": "2026-01-01 00:00:00", "lastcheckoktime_iso8601": "2026-01-01T00:00:00Z",
        "lastlocalchecktime": "", "lastlocalchecktime_iso8601": None, "clicktimestamp": "",
        "clicktimestamp_iso8601": None, "clickcount": clicks, "clicktrend": 0, "ssl_error": 0,
        "geo_lat": None, "geo_long": None, "has_extended_info": False,
    }


def catalogue(stream_port):
    tone = "http://127.0.0.1:%d/stream?file=tone_44100_stereo.mp3" % stream_port
    return [
        # The playlist address is the user's; the resolved one is what plays.
        station("11111111-0000-0000-0000-000000000001", "中国之声", "http://127.0.0.1:%d/status?code=404" % stream_port,
                tone + "&metaint=4096&titles=Morning%20News&title_every=60", "China", "CN", "MP3", 128, 5000,
                "news,chinese"),
        # No resolved address: the user's is used; it holds characters an address must escape.
        station("11111111-0000-0000-0000-000000000002", "Jazz 电台", tone + "&name=爵士", "", "China", "CN", "MP3", 64,
                3000, "jazz"),
        # A name code page 936 cannot hold.
        station("11111111-0000-0000-0000-000000000003", "Smile \U0001F600 FM", tone, tone, "Germany", "DE", "AAC", 96,
                2000, "pop"),
        # Hidden: the directory's check found it broken.
        station("11111111-0000-0000-0000-000000000004", "Broken Radio", tone, tone, "Germany", "DE", "MP3", 128,
                9000, "pop", ok=0),
        station("11111111-0000-0000-0000-000000000005", "Klassik Radio", tone, tone, "Austria", "AT", "MP3", 192,
                1000, "classical"),
        # Entries no program can use, and fields of the wrong type: skipped, or shown without them.
        {"stationuuid": "11111111-0000-0000-0000-000000000006", "name": None, "url": tone, "clickcount": 800,
         "lastcheckok": 1},
        {"stationuuid": "11111111-0000-0000-0000-000000000007", "name": "No Address", "clickcount": 700,
         "lastcheckok": 1},
        {"stationuuid": "11111111-0000-0000-0000-000000000008", "name": "Odd Fields", "url": tone,
         "url_resolved": 42, "country": ["x"], "codec": None, "bitrate": "fast", "clickcount": 10,
         "votes": 1e300, "lastcheckok": 1},
    ]


def many(stream_port, count):
    tone = "http://127.0.0.1:%d/stream?file=tone_44100_stereo.mp3" % stream_port
    return [station("22222222-0000-0000-0000-%012d" % i, "Station %05d" % i, tone, tone, "Testland", "TL", "MP3",
                    128, count - i, "test") for i in range(count)]


class Directory:
    def __init__(self, stream_port):
        self.stations = catalogue(stream_port)
        self.big = many(stream_port, 10000)
        self.lock = threading.Lock()
        self.requests = []

    def log(self, path, agent):
        with self.lock:
            self.requests.append({"path": path, "agent": agent})


def matches(entry, query):
    for key, field in (("name", "name"), ("country", "country"), ("tag", "tags")):
        wanted = query.get(key, "").lower()
        value = entry.get(field)
        if wanted and (not isinstance(value, str) or wanted not in value.lower()):
            return False
    if query.get("hidebroken") == "true" and entry.get("lastcheckok") == 0:
        return False
    return True


def search(stations, query, page=True):
    found = [s for s in stations if matches(s, query)]
    order = query.get("order", "name")
    if order in ("clickcount", "votes"):
        found.sort(key=lambda s: s.get(order) if isinstance(s.get(order), (int, float)) else 0,
                   reverse=query.get("reverse") == "true")
    if page:
        offset = int(query.get("offset", "0"))
        limit = int(query.get("limit", "100000"))
        found = found[offset:offset + limit]
    return found


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def answer(self, code, body, content_type="application/json; charset=utf-8"):
        data = body if isinstance(body, bytes) else body.encode("utf-8")
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        directory = self.server.directory
        parts = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(parts.query))
        path = parts.path
        if path == "/log":
            if query.get("reset") == "1":
                with directory.lock:
                    directory.requests = []
            with directory.lock:
                self.answer(200, json.dumps({"requests": directory.requests}))
            return
        directory.log(self.path, self.headers.get("User-Agent", ""))
        mode = ""
        for prefix in ("/broken", "/huge_all", "/huge", "/slow"):
            if path.startswith(prefix + "/"):
                mode, path = prefix[1:], path[len(prefix):]
                break
        if mode == "slow":
            time.sleep(4)
        stations = directory.big if mode.startswith("huge") else directory.stations
        if path == "/json/stations/search":
            body = json.dumps(search(stations, query, page=mode != "huge_all"), ensure_ascii=False)
        elif path == "/json/countries":
            names = sorted({(s["country"], s["countrycode"]) for s in stations
                            if isinstance(s.get("country"), str) and s.get("countrycode")})
            body = json.dumps([{"name": n, "iso_3166_1": c, "stationcount":
                                sum(1 for s in stations if s.get("country") == n)} for n, c in names])
        elif path.startswith("/json/url/"):
            uuid = path[len("/json/url/"):]
            hit = [s for s in stations if s.get("stationuuid") == uuid]
            if not hit:
                self.answer(404, json.dumps({"ok": "false", "message": "station not found"}))
                return
            body = json.dumps({"ok": "true", "message": "retrieved station url", "stationuuid": uuid,
                               "name": hit[0].get("name"), "url": hit[0].get("url")}, ensure_ascii=False)
        else:
            self.answer(404, "not found", "text/plain")
            return
        if mode == "broken":
            body = body[: len(body) // 2]
        self.answer(200, body)


def serve(state, stream_state, lifetime):
    with open(os.path.join(stream_state, "server.json")) as f:
        stream_port = json.load(f)["http_port"]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.directory = Directory(stream_port)
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    refused = probe.getsockname()[1]
    probe.close()
    info = {"port": server.server_address[1], "refused_port": refused, "pid": os.getpid()}
    tmp = os.path.join(state, "server.json.tmp")
    with open(tmp, "w") as f:
        json.dump(info, f)
    os.replace(tmp, os.path.join(state, "server.json"))
    threading.Timer(min(lifetime, MAX_LIFETIME), server.shutdown).start()
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    server.serve_forever()
    os.remove(os.path.join(state, "server.json"))


def running(state):
    try:
        with open(os.path.join(state, "server.json")) as f:
            return json.load(f)["pid"]
    except (OSError, ValueError, KeyError):
        return None


def stop(state):
    pid = running(state)
    if pid:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        for _ in range(50):
            if not os.path.exists(os.path.join(state, "server.json")):
                break
            time.sleep(0.1)
    return 0


def start(state, stream_state, lifetime):
    os.makedirs(state, exist_ok=True)
    stop(state)
    try:
        os.remove(os.path.join(state, "server.json"))
    except OSError:
        pass
    log = open(os.path.join(state, "server.log"), "w")
    subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", "--state", state, "--stream-state",
                      stream_state, "--lifetime", str(lifetime)], stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                     start_new_session=True, close_fds=True)
    for _ in range(100):
        if running(state):
            return 0
        time.sleep(0.1)
    print("the directory server did not start; see", os.path.join(state, "server.log"), file=sys.stderr)
    return 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop", "serve"])
    parser.add_argument("--state", required=True)
    parser.add_argument("--stream-state")
    parser.add_argument("--lifetime", type=int, default=MAX_LIFETIME)
    args = parser.parse_args()
    if args.command == "stop":
        return stop(args.state)
    if not args.stream_state:
        parser.error("--stream-state is needed")
    if args.command == "start":
        return start(args.state, args.stream_state, args.lifetime)
    serve(args.state, args.stream_state, args.lifetime)
    return 0


if __name__ == "__main__":
    sys.exit(main())
