#!/usr/bin/env python3
"""The stream tests' local HTTP and HTTPS server (Python 3 standard library and the openssl CLI).

    server.py start --media DIR --state DIR [--lifetime SECONDS]
    server.py stop --state DIR
    server.py serve --media DIR --state DIR [--lifetime SECONDS]   (in the foreground, for a look)

`start` detaches a daemon (double fork, setsid, stdio closed) and returns once it listens; then
STATE/server.json holds {"http_port", "https_port", "untrusted_https_port", "ca_der", "pid"}. The
daemon listens on 127.0.0.1 only, on ports the system chooses, and ends by itself after the
lifetime (40 minutes at most) or at `stop`. Its log is STATE/server.log.

At start it makes a test certificate authority (STATE/ca.der for the tests to trust), a server
certificate for "localhost" and 127.0.0.1 signed by it (https_port), and a self-signed certificate
for the same names that nobody trusts (untrusted_https_port). All listeners serve the same paths.

Endpoints (query parameters in brackets; sizes in bytes, times in seconds):

  /stream       An ICY stream of a media file, looped and paced in real time after a burst.
                [file=tone_44100_stereo.mp3] [rate=bytes per second; else from the first MP3 or
                ADTS frames] [burst=2 seconds sent at once] [speed=1.0; below 1 a trickle]
                [metaint=8192; 0 for none; only when the request has "Icy-MetaData: 1"]
                [titles=A|B|C] [title_every=seconds of audio] [title_bytes=bytes of audio]
                [charset=utf-8|gbk] [repeat_title=1: the title in every block, else only on change]
                [status=icy|http10|http11] [type=Content-Type; "none" for no header]
                [name=icy-name] [noise=N: N random bytes before the audio; "all": noise only]
                [drop=N: end after N body bytes] [drop_mode=close|reset]
                [stall=N: stop sending after N body bytes] [stall_for=30: then close]
                [down_after=N: from the N+1-th request of this same address on, 503]
  /media/PATH   A file of the media folder with Content-Length, Range (206, 416) and keep-alive.
                [type=...] [truncate=N: announce the whole length, send N bytes, close]
  /redirect     [to=URL (absolute or relative)] [code=302] [n=1: hops before `to`; n=10 over
                the limit] Every hop is /redirect?n=n-1 on the same listener.
  /status       [code=404] [retry_after=S] A short text body with that status.
  /log          The request log as JSON: {"paths": {path: count}, "targets": {path?query:
                count}, "connections": count}. [path=P] only that path's count, as text.
                [prefix=P] "path count" lines of the paths that start with P. [reset=1]
                empties it.
  /hls/ID/...   HLS playlists and segments made from the media folder's hls/ (make_hls.sh);
                see hls_endpoint. ID is any name: each ID/KIND has a clock of its own.
  /lists/NAME   Station lists (.pls, .m3u) with relative and absolute entries; see
                list_endpoint.
  Every path:   [delay=S] waits before answering (the answer timeout), [close=1] answers
                with Connection: close.

More endpoints: write a function handler(req, query) and decorate it with @route("/path") (or
@route_prefix("/dir/")); req is the BaseHTTPRequestHandler (req.wfile, req.headers, req.send_raw).
"""
import argparse
import json
import os
import random
import signal
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LISTEN_HOST = "127.0.0.1"
MAX_LIFETIME = 40 * 60

ROUTES = {}
PREFIX_ROUTES = []


def route(path):
    def register(fn):
        ROUTES[path] = fn
        return fn
    return register


def route_prefix(prefix):
    def register(fn):
        PREFIX_ROUTES.append((prefix, fn))
        return fn
    return register


class RequestLog:
    def __init__(self):
        self.lock = threading.Lock()
        self.paths, self.targets, self.connections = {}, {}, 0

    def reset(self):
        with self.lock:
            self.paths, self.targets, self.connections = {}, {}, 0

    def request(self, path, target):
        with self.lock:
            self.paths[path] = self.paths.get(path, 0) + 1
            self.targets[target] = self.targets.get(target, 0) + 1

    def connection(self):
        with self.lock:
            self.connections += 1

    def snapshot(self):
        with self.lock:
            return {"paths": dict(self.paths), "targets": dict(self.targets),
                    "connections": self.connections}


CONTENT_TYPES = {
    ".mp3": "audio/mpeg", ".mp2": "audio/mpeg", ".aac": "audio/aac", ".wav": "audio/wav",
    ".wma": "video/x-ms-asf", ".ts": "video/mp2t", ".m3u8": "application/vnd.apple.mpegurl",
    ".pls": "audio/x-scpls", ".m3u": "audio/x-mpegurl", ".mp4": "video/mp4", ".m4s": "video/iso.segment",
    ".m4a": "audio/mp4", ".key": "application/octet-stream", ".bin": "application/octet-stream",
}


def content_type_of(name):
    return CONTENT_TYPES.get(os.path.splitext(name)[1].lower(), "application/octet-stream")


# --- pacing: the byte rate of a media file from its first frames -------------------------------

MP3_BITRATES = {  # (version is MPEG-1, layer) -> kbit/s by index
    (True, 1): [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (True, 2): [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (True, 3): [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (False, 1): [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (False, 2): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
ADTS_RATES = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350]


def byte_rate_of(data):
    """Bytes per second of an MP3/MP2 (first frame's bit rate) or ADTS AAC (average of the first
    frames) file; 16000 when neither is found."""
    for i in range(min(len(data) - 4, 64 * 1024)):
        if data[i] != 0xFF or (data[i + 1] & 0xE0) != 0xE0:
            continue
        b1, b2 = data[i + 1], data[i + 2]
        if (b1 & 0xF6) == 0xF0:  # ADTS: sync 12 bits, layer 00
            index = (b2 >> 2) & 0x0F
            if index >= len(ADTS_RATES):
                continue
            sample_rate, pos, frames = ADTS_RATES[index], i, 0
            while pos + 7 <= len(data) and frames < 200 and data[pos] == 0xFF and (data[pos + 1] & 0xF6) == 0xF0:
                length = ((data[pos + 3] & 3) << 11) | (data[pos + 4] << 3) | (data[pos + 5] >> 5)
                if length < 7:
                    break
                pos += length
                frames += 1
            if frames >= 2:
                return max(1, int((pos - i) * sample_rate / (frames * 1024)))
            continue
        version_bits, layer_bits, bitrate_index = (b1 >> 3) & 3, (b1 >> 1) & 3, b2 >> 4
        if version_bits == 1 or layer_bits == 0 or bitrate_index in (0, 15):
            continue
        layer = 4 - layer_bits
        mpeg1 = version_bits == 3
        table = MP3_BITRATES[(mpeg1, layer if mpeg1 or layer == 1 else 2)]
        return table[bitrate_index] * 1000 // 8
    return 16000


# --- the handler ---------------------------------------------------------------------------------

class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZarvioTestServer"

    def setup(self):
        if isinstance(self.request, ssl.SSLSocket):  # the handshake on this connection's thread
            self.request.settimeout(10)
            self.request.do_handshake()
            self.request.settimeout(None)
        super().setup()
        self.server.log.connection()

    def log_message(self, fmt, *args):
        self.server.log_line("%s %s" % (self.address_string(), fmt % args))

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        query = {k: v[-1] for k, v in urllib.parse.parse_qs(parts.query, keep_blank_values=True).items()}
        if parts.path != "/log":
            self.server.log.request(parts.path, self.path)
        if "delay" in query:
            time.sleep(float(query["delay"]))
        if query.get("close") == "1":
            self.close_connection = True
        handler = ROUTES.get(parts.path)
        if handler is None:
            for prefix, fn in PREFIX_ROUTES:
                if parts.path.startswith(prefix):
                    handler = fn
                    break
        try:
            if handler is None:
                self.send_simple(404, b"no such path\n")
            else:
                handler(self, query)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, socket.timeout):
            self.close_connection = True

    def send_raw(self, status_line, headers, body=b""):
        """Writes a status line (given whole, e.g. "ICY 200 OK") and headers, then body."""
        lines = [status_line] + ["%s: %s" % (k, v) for k, v in headers]
        self.wfile.write(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)
        self.wfile.flush()

    def send_simple(self, code, body, content_type="text/plain", extra=()):
        headers = [("Content-Type", content_type), ("Content-Length", str(len(body)))]
        headers += list(extra)
        if self.close_connection:
            headers.append(("Connection", "close"))
        self.send_raw("HTTP/1.1 %d %s" % (code, self.responses.get(code, ("Status",))[0]), headers, body)

    def reset_connection(self):
        """Ends the connection with a TCP reset instead of an orderly close."""
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.close_connection = True
        self.connection.close()


@route("/status")
def status_endpoint(req, query):
    code = int(query.get("code", "404"))
    extra = [("Retry-After", query["retry_after"])] if "retry_after" in query else []
    req.send_simple(code, ("status %d\n" % code).encode(), extra=extra)


@route("/redirect")
def redirect_endpoint(req, query):
    hops = int(query.get("n", "1"))
    code = int(query.get("code", "302"))
    # Quoted again, since parse_qs decoded it: a space must not reach the Location line.
    target = urllib.parse.quote(query.get("to", "/status?code=200"), safe=":/?&=%#';,+@!$*()[]~")
    if hops > 1:
        rest = dict(query, n=str(hops - 1))
        target = "/redirect?" + urllib.parse.urlencode(rest)
    req.send_simple(code, b"moved\n", extra=[("Location", target)])


@route("/log")
def log_endpoint(req, query):
    log = req.server.log
    if query.get("reset") == "1":
        log.reset()
    snap = log.snapshot()
    if "prefix" in query:
        lines = ["%s %d\n" % (p, n) for p, n in sorted(snap["paths"].items()) if p.startswith(query["prefix"])]
        req.send_simple(200, "".join(lines).encode())
    elif "path" in query:
        body = ("%d\n" % snap["paths"].get(query["path"], 0)).encode()
        req.send_simple(200, body)
    else:
        req.send_simple(200, json.dumps(snap, indent=1).encode(), "application/json")


def media_file(req, name):
    root = os.path.realpath(req.server.media)
    path = os.path.realpath(os.path.join(root, name))
    if not path.startswith(root + os.sep) or not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def parse_range(header, size):
    """(start, end inclusive) of a "bytes=" range header; None when unsatisfiable."""
    ranges = header.strip()
    if not ranges.startswith("bytes=") or "," in ranges:
        return None
    first, _, last = ranges[6:].partition("-")
    try:
        if first == "":
            count = int(last)
            return (max(0, size - count), size - 1) if count > 0 and size else None
        start = int(first)
        end = int(last) if last else size - 1
    except ValueError:
        return None
    if start >= size or end < start:
        return None
    return start, min(end, size - 1)


@route_prefix("/media/")
def media_endpoint(req, query):
    name = urllib.parse.unquote(urllib.parse.urlsplit(req.path).path[len("/media/"):])
    data = media_file(req, name)
    if data is None:
        req.send_simple(404, b"no such file\n")
        return
    send_body(req, query, data, query.get("type", content_type_of(name)))


def send_body(req, query, data, content_type):
    """Answers with data: Content-Length, Range (206, 416), keep-alive; [truncate=N]; [rate=bytes
    per second, sent in tenths of a second]."""
    status, body, extra = 200, data, [("Accept-Ranges", "bytes")]
    if "Range" in req.headers:
        span = parse_range(req.headers["Range"], len(data))
        if span is None:
            req.send_simple(416, b"", extra=[("Content-Range", "bytes */%d" % len(data))])
            return
        status, body = 206, data[span[0]:span[1] + 1]
        extra.append(("Content-Range", "bytes %d-%d/%d" % (span[0], span[1], len(data))))
    headers = [("Content-Length", str(len(body)))] + extra
    if content_type != "none":
        headers.insert(0, ("Content-Type", content_type))
    if "truncate" in query:
        body = body[:int(query["truncate"])]
        req.close_connection = True
    elif req.close_connection:
        headers.append(("Connection", "close"))
    status_line = "HTTP/1.1 %d %s" % (status, "OK" if status == 200 else "Partial Content")
    if "rate" not in query:
        req.send_raw(status_line, headers, body)
        return
    req.send_raw(status_line, headers)
    step = max(1, int(query["rate"]) // 10)
    for at in range(0, len(body), step):
        req.wfile.write(body[at:at + step])
        req.wfile.flush()
        time.sleep(0.1)


class TitleSchedule:
    """Which title is current at an audio byte position."""

    def __init__(self, query, byte_rate):
        self.titles = [t for t in query.get("titles", "").split("|")] if "titles" in query else []
        self.charset = query.get("charset", "utf-8")
        if "title_bytes" in query:
            self.span = max(1, int(query["title_bytes"]))
        elif "title_every" in query:
            self.span = max(1, int(float(query["title_every"]) * byte_rate))
        else:
            self.span = None
        self.repeat = query.get("repeat_title") == "1"
        self.last = None

    def block(self, audio_position):
        """The metadata block for the interval that follows audio_position."""
        if not self.titles:
            return b"\x00"
        index = 0 if self.span is None else (audio_position // self.span) % len(self.titles)
        if index == self.last and not self.repeat:
            return b"\x00"
        self.last = index
        text = b"StreamTitle='" + self.titles[index].encode(self.charset) + b"';"
        padded = text + b"\x00" * (-len(text) % 16)
        return bytes([len(padded) // 16]) + padded[:255 * 16]


@route("/stream")
def stream_endpoint(req, query):
    if "down_after" in query and req.server.log.snapshot()["targets"].get(req.path, 0) > int(query["down_after"]):
        req.send_simple(503, b"the station is down\n")
        return
    name = query.get("file", "tone_44100_stereo.mp3")
    noise = query.get("noise", "0")
    data = None if noise == "all" else media_file(req, name)
    if noise != "all" and data is None:
        req.send_simple(404, b"no such file\n")
        return
    noise_rng = random.Random(20261209)
    byte_rate = int(query["rate"]) if "rate" in query else (byte_rate_of(data) if data else 16000)
    wants_meta = req.headers.get("Icy-MetaData", "").strip() == "1"
    metaint = int(query.get("metaint", "8192")) if wants_meta else 0
    status = query.get("status", "icy")
    status_line = {"icy": "ICY 200 OK", "http10": "HTTP/1.0 200 OK", "http11": "HTTP/1.1 200 OK"}[status]
    headers = []
    content_type = query.get("type", content_type_of(name) if data else "audio/mpeg")
    if content_type != "none":
        headers.append(("Content-Type", content_type))
    headers += [("icy-name", query.get("name", "Zarvio Test Radio")), ("icy-br", str(byte_rate * 8 // 1000))]
    if metaint:
        headers.append(("icy-metaint", str(metaint)))
    headers += [("Cache-Control", "no-cache"), ("Connection", "close")]
    req.close_connection = True
    req.send_raw(status_line, headers)

    titles = TitleSchedule(query, byte_rate)
    drop = int(query["drop"]) if "drop" in query else None
    stall = int(query["stall"]) if "stall" in query else None
    burst = float(query.get("burst", "2"))
    speed = float(query.get("speed", "1"))
    noise_left = int(noise) if noise not in ("all",) else None
    start = time.monotonic()
    sent_body = 0      # bytes on the wire after the headers, metadata included
    audio_pos = 0      # audio bytes sent (noise counts as audio)
    file_pos = 0
    until_meta = metaint
    deadline = start + MAX_LIFETIME
    while time.monotonic() < deadline:
        allowed = int(byte_rate * (burst + (time.monotonic() - start) * speed)) - audio_pos
        if allowed <= 0:
            time.sleep(0.02)
            continue
        chunk = bytearray()
        while allowed > 0:
            step = min(allowed, 4096, until_meta if metaint else 4096)
            if noise_left is None or noise_left > 0:
                if noise_left is not None:
                    step = min(step, noise_left)
                    noise_left -= step
                chunk += bytes(noise_rng.getrandbits(8) for _ in range(step))
            else:
                piece = data[file_pos:file_pos + step]
                step = len(piece)
                chunk += piece
                file_pos = (file_pos + step) % len(data)
            allowed -= step
            audio_pos += step
            if metaint:
                until_meta -= step
                if until_meta == 0:
                    chunk += titles.block(audio_pos)
                    until_meta = metaint
        for limit, action in ((drop, "drop"), (stall, "stall")):
            if limit is not None and sent_body + len(chunk) >= limit:
                req.wfile.write(bytes(chunk[:limit - sent_body]))
                req.wfile.flush()
                if action == "drop":
                    if query.get("drop_mode") == "reset":
                        req.reset_connection()
                    return
                time.sleep(float(query.get("stall_for", "30")))
                return
        req.wfile.write(bytes(chunk))
        req.wfile.flush()
        sent_body += len(chunk)


# --- HLS: playlists written here from the segments make_hls.sh made -----------------------------
#
#   /hls/ID/KIND/index.m3u8   a media playlist; /hls/ID/KIND/SEQ.EXT its segments
#   /hls/ID/master.m3u8       three variants (low, mid, video) and an audio rendition (rendition)
# Live kinds: a window of HLS_WINDOW segments moving with the clock of ID/KIND (started by its
# first request), looping the media with EXT-X-DISCONTINUITY where it starts over:
#   ts, low, mid, video, rendition   MPEG-TS AAC;  fmp4  fragmented MP4 with EXT-X-MAP
#   packed   ADTS segments behind an ID3 tag (PRIV timestamp, TIT2 "Song SEQ", TPE1 "Zarvio Band")
#   id3ts    MPEG-TS written here with the same ID3 tag as timed metadata (stream type 0x15)
#   gap      ts whose media sequence leaps HLS_GAP segments ahead 4 s after its start
# On-demand kinds (EXT-X-ENDLIST):
#   vod      4 TS segments with the EXTINF titles "", "no desc", "12" and "Evening News"
#   disc     2 segments at 44.1 kHz, EXT-X-DISCONTINUITY, 2 at 48 kHz
#   faults   6 segments of which 2.ts answers 404 and 4.ts is cut in half (Content-Length whole)
#   aes      4 AES-128 segments (sequence 7 to 10; IV from the sequence, then given), key.bin
#   single   one file, EXT-X-BYTERANGE (ffmpeg's own playlist)
#   long     3 segments of 10 s, each sent at [pace=1.5] times its bitrate
# [type=Content-Type of the playlist] [segtype=Content-Type the segments are served with]

HLS_WINDOW = 5
HLS_GAP = 8
HLS_LOOP = 15              # segments of each live kind before it starts over (30 s)
PACKED_FRAMES = 86         # AAC frames of a segment written here: 1.997 s at 44.1 kHz
PTS_BASE = 10 * 90000      # where the written segments' timestamps start
HLS_TS_KINDS = ("ts", "low", "mid", "video", "rendition", "gap")
HLS_LIVE_KINDS = HLS_TS_KINDS + ("fmp4", "packed", "id3ts")


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3_tag(pts, title, artist):
    """An ID3v2.4 tag: the transport stream timestamp (PRIV), TIT2 and TPE1."""
    def frame(fid, payload):
        return fid.encode() + syncsafe(len(payload)) + b"\0\0" + payload
    body = frame("PRIV", b"com.apple.streaming.transportStreamTimestamp\0" + struct.pack(">Q", pts % (1 << 33)))
    body += frame("TIT2", b"\x03" + title.encode() + b"\0") + frame("TPE1", b"\x03" + artist.encode() + b"\0")
    return b"ID3\x04\x00\x00" + syncsafe(len(body)) + body


def adts_frames(data):
    frames, pos = [], 0
    while pos + 7 <= len(data) and data[pos] == 0xFF and (data[pos + 1] & 0xF6) == 0xF0:
        length = ((data[pos + 3] & 3) << 11) | (data[pos + 4] << 3) | (data[pos + 5] >> 5)
        frames.append(data[pos:pos + length])
        pos += length
    return frames


def mpeg_crc32(data):
    crc = 0xFFFFFFFF
    for byte in data:
        crc ^= byte << 24
        for _ in range(8):
            crc = ((crc << 1) ^ 0x04C11DB7) & 0xFFFFFFFF if crc & 0x80000000 else (crc << 1) & 0xFFFFFFFF
    return crc


def pes_header(stream_id, payload_length, pts):
    stamp = bytes([0x21 | ((pts >> 29) & 0x0E), (pts >> 22) & 0xFF, ((pts >> 14) & 0xFE) | 1,
                   (pts >> 7) & 0xFF, ((pts << 1) & 0xFE) | 1])
    return b"\0\0\1" + bytes([stream_id]) + struct.pack(">H", payload_length + 8) + b"\x84\x80\x05" + stamp


class TsWriter:
    """Transport stream packets with continuity counters that run on across segments."""
    AUDIO_PID, ID3_PID, PMT_PID = 0x100, 0x101, 0x1000

    def __init__(self):
        self.counters = {}

    def packets(self, pid, payload):
        out = bytearray()
        first = True
        while first or payload:
            chunk, payload = payload[:184], payload[184:]
            cc = self.counters.get(pid, 0)
            self.counters[pid] = (cc + 1) & 0x0F
            head = bytes([0x47, (0x40 if first else 0) | (pid >> 8), pid & 0xFF])
            if len(chunk) == 184:
                out += head + bytes([0x10 | cc]) + chunk
            else:
                fill = 183 - len(chunk)
                field = bytes([fill]) + (b"\x00" + b"\xFF" * (fill - 1) if fill else b"")
                out += head + bytes([0x30 | cc]) + field + chunk
            first = False
        return bytes(out)

    def section(self, pid, table):
        return self.packets(pid, b"\0" + table + struct.pack(">I", mpeg_crc32(table)))

    def tables(self):
        pat = bytes([0x00, 0xB0, 13, 0, 1, 0xC1, 0, 0, 0, 1, 0xE0 | (self.PMT_PID >> 8), self.PMT_PID & 0xFF])
        streams = b""
        for kind, pid in ((0x0F, self.AUDIO_PID), (0x15, self.ID3_PID)):
            streams += bytes([kind, 0xE0 | (pid >> 8), pid & 0xFF, 0xF0, 0])
        pmt = bytes([0x02, 0xB0, 13 + len(streams), 0, 1, 0xC1, 0, 0,
                     0xE0 | (self.AUDIO_PID >> 8), self.AUDIO_PID & 0xFF, 0xF0, 0]) + streams
        return self.section(0, pat) + self.section(self.PMT_PID, pmt)


class HlsMedia:
    """The segments of every kind, read or written once, and the clocks of the live windows."""

    def __init__(self, media):
        self.root = os.path.join(media, "hls")
        self.lock = threading.Lock()
        self.clocks = {}
        self.written = {"packed": {}, "id3ts": {}}
        self.ts_writer = TsWriter()
        self.lists = {name: self.ffmpeg_list(name) for name in ("ts", "ts48", "fmp4", "ts10")}
        self.aac = adts_frames(open(os.path.join(media, "tone_44100_stereo.aac"), "rb").read())

    def ffmpeg_list(self, name):
        """[(duration, file)] of one of ffmpeg's playlists."""
        items, duration = [], None
        for line in open(os.path.join(self.root, name, "index.m3u8")).read().splitlines():
            if line.startswith("#EXTINF:"):
                duration = float(line[8:].split(",")[0])
            elif line and not line.startswith("#"):
                items.append((duration, line))
        return items

    def file(self, name):
        with open(os.path.join(self.root, name), "rb") as f:
            return f.read()

    def durations(self, kind):
        if kind in ("packed", "id3ts"):
            return [PACKED_FRAMES * 1024 / 44100] * HLS_LOOP
        return [d for d, _ in self.lists["fmp4" if kind == "fmp4" else "ts"][:HLS_LOOP]]

    def elapsed(self, key):
        with self.lock:
            start = self.clocks.setdefault(key, time.monotonic())
        return time.monotonic() - start

    def live_first(self, kind, key):
        """The media sequence number that starts the window now."""
        t = self.elapsed(key)
        durations = self.durations(kind)
        loops, rest = divmod(t, sum(durations))
        done = int(loops) * len(durations)
        for d in durations:
            if rest < d:
                break
            rest -= d
            done += 1
        return done + (HLS_GAP if kind == "gap" and t >= 4 else 0)

    def live_playlist(self, kind, key, segtype):
        first = self.live_first(kind, key)
        durations = self.durations(kind)
        ext = {"fmp4": ".m4s", "packed": ".aac"}.get(kind, ".ts")
        lines = ["#EXTM3U", "#EXT-X-VERSION:%d" % (6 if kind == "fmp4" else 3), "#EXT-X-TARGETDURATION:2",
                 "#EXT-X-MEDIA-SEQUENCE:%d" % first, "#EXT-X-DISCONTINUITY-SEQUENCE:%d" % (first // HLS_LOOP)]
        if kind == "fmp4":
            lines.append('#EXT-X-MAP:URI="init.mp4"')
        for seq in range(first, first + HLS_WINDOW):
            if seq % HLS_LOOP == 0 and seq != first:
                lines.append("#EXT-X-DISCONTINUITY")
            lines += ["#EXTINF:%.6f," % durations[seq % HLS_LOOP], "%d%s%s" % (seq, ext, segtype)]
        return lines

    def pts_of(self, seq):
        return PTS_BASE + seq * PACKED_FRAMES * 1024 * 90000 // 44100

    def written_segment(self, kind, seq):
        """A packed-audio or ID3-carrying TS segment; TS ones are written in order, so that their
        continuity counters run on."""
        with self.lock:
            cache = self.written[kind]
            for s in range(max(cache, default=-1) + 1, seq + 1):
                cache[s] = self.write_segment(kind, s)
            return cache.get(seq)

    def write_segment(self, kind, seq):
        start = (seq % HLS_LOOP) * PACKED_FRAMES
        frames = self.aac[start:start + PACKED_FRAMES]
        pts = self.pts_of(seq)
        tag = id3_tag(pts, "Song %d" % seq, "Zarvio Band")
        if kind == "packed":
            return tag + b"".join(frames)
        w = self.ts_writer
        out = w.tables() + w.packets(w.ID3_PID, pes_header(0xBD, len(tag), pts) + tag)
        for i in range(0, len(frames), 8):
            audio = b"".join(frames[i:i + 8])
            out += w.packets(w.AUDIO_PID, pes_header(0xC0, len(audio), pts + i * 1024 * 90000 // 44100) + audio)
        return out

    def live_segment(self, kind, seq):
        if kind in ("packed", "id3ts"):
            return self.written_segment(kind, seq)
        if kind == "fmp4":
            return self.file("fmp4/" + self.lists["fmp4"][seq % HLS_LOOP][1])
        return self.file("ts/" + self.lists["ts"][seq % HLS_LOOP][1])


HLS_MASTER = """#EXTM3U
#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID="aud",NAME="Main",DEFAULT=YES,AUTOSELECT=YES,URI="rendition/index.m3u8"
#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS="mp4a.40.2"
low/index.m3u8
#EXT-X-STREAM-INF:BANDWIDTH=192000,CODECS="mp4a.40.2",AUDIO="aud"
mid/index.m3u8
#EXT-X-STREAM-INF:BANDWIDTH=230000,CODECS="avc1.4d401e,mp4a.40.2",AUDIO="aud"
video/index.m3u8
"""


def on_demand_playlist(hls, kind, segtype, pace):
    """The lines of an on-demand kind's playlist; None for another kind."""
    ts = hls.lists["ts"]
    head = ["#EXTM3U", "#EXT-X-VERSION:3", "#EXT-X-TARGETDURATION:2", "#EXT-X-PLAYLIST-TYPE:VOD"]
    if kind == "vod":
        body = []
        for i, title in enumerate(["", "no desc", "12", "Evening News"]):
            body += ["#EXTINF:%.6f,%s" % (ts[i][0], title), "%d.ts%s" % (i, segtype)]
    elif kind == "disc":
        ts48 = hls.lists["ts48"]
        body = ["#EXTINF:%.6f," % ts[0][0], "a0.ts" + segtype, "#EXTINF:%.6f," % ts[1][0], "a1.ts" + segtype,
                "#EXT-X-DISCONTINUITY",
                "#EXTINF:%.6f," % ts48[0][0], "b0.ts" + segtype, "#EXTINF:%.6f," % ts48[1][0], "b1.ts" + segtype]
    elif kind == "faults":
        body = []
        for i in range(6):
            body += ["#EXTINF:%.6f," % ts[i][0], "%d.ts%s" % (i, segtype)]
    elif kind == "long":
        head[2] = "#EXT-X-TARGETDURATION:10"
        body = []
        for i, (duration, _) in enumerate(hls.lists["ts10"]):
            body += ["#EXTINF:%.6f," % duration, "%d.ts?pace=%s" % (i, pace)]
    elif kind == "aes":
        head.append("#EXT-X-MEDIA-SEQUENCE:7")
        body = ['#EXT-X-KEY:METHOD=AES-128,URI="key.bin"']
        for i in range(4):
            if i == 2:
                body.append('#EXT-X-KEY:METHOD=AES-128,URI="key.bin",IV=0xA0A1A2A3A4A5A6A7A8A9AAABACADAEAF')
            body += ["#EXTINF:%.6f," % ts[i][0], "%d.ts%s" % (7 + i, segtype)]
    else:
        return None
    return head + body + ["#EXT-X-ENDLIST"]


def on_demand_file(hls, kind, name):
    """(bytes, cut to this many bytes or None) of an on-demand kind's file; None when missing."""
    stem = os.path.splitext(name)[0]
    try:
        if kind == "disc" and stem[:1] in ("a", "b"):
            return hls.file("%s/seg%d.ts" % ("ts" if stem[0] == "a" else "ts48", int(stem[1:]))), None
        if kind == "vod":
            return hls.file("ts/seg%d.ts" % int(stem)), None
        if kind == "faults" and stem != "2":
            data = hls.file("ts/seg%d.ts" % int(stem))
            return data, (len(data) // 2 if stem == "4" else None)
        if kind == "aes":
            return (hls.file("aes/key.bin"), None) if name == "key.bin" else (hls.file("aes/seg%d.ts" % (int(stem) - 7)), None)
        if kind == "long":
            return hls.file("ts10/seg%d.ts" % int(stem)), None
        if kind == "single" and name in ("index.m3u8", "all.ts"):
            return hls.file("single/" + name), None
    except (ValueError, OSError):
        pass
    return None


def hls_media(req):
    with HLS_LOCK:
        if req.server.media not in HLS_MEDIA:
            HLS_MEDIA[req.server.media] = HlsMedia(req.server.media)
        return HLS_MEDIA[req.server.media]


HLS_LOCK = threading.Lock()
HLS_MEDIA = {}  # media folder -> HlsMedia, shared by the listeners


@route_prefix("/hls/")
def hls_endpoint(req, query):
    parts = urllib.parse.urlsplit(req.path).path[len("/hls/"):].split("/")
    hls = hls_media(req)
    playlist_type = query.get("type", "application/vnd.apple.mpegurl")
    segtype = "?type=" + urllib.parse.quote(query["segtype"], safe="") if "segtype" in query else ""
    if len(parts) == 2 and parts[1] == "master.m3u8":
        send_body(req, query, HLS_MASTER.encode(), playlist_type)
        return
    if len(parts) != 3:
        req.send_simple(404, b"no such path\n")
        return
    name, kind, file_name = parts[0], parts[1], parts[2]
    if kind in HLS_LIVE_KINDS:
        if file_name == "index.m3u8":
            lines = hls.live_playlist(kind, (name, kind), segtype)
            send_body(req, query, ("\n".join(lines) + "\n").encode(), playlist_type)
            return
        if kind == "fmp4" and file_name == "init.mp4":
            send_body(req, query, hls.file("fmp4/init.mp4"), query.get("type", "video/mp4"))
            return
        stem, ext = os.path.splitext(file_name)
        if stem.isdigit():
            data = hls.live_segment(kind, int(stem))
            send_body(req, query, data, query.get("type", content_type_of(file_name)))
            return
    elif file_name == "index.m3u8" and kind != "single":
        lines = on_demand_playlist(hls, kind, segtype, query.get("pace", "1.5"))
        if lines is not None:
            send_body(req, query, ("\n".join(lines) + "\n").encode(), playlist_type)
            return
    else:
        found = on_demand_file(hls, kind, file_name)
        if found is not None:
            data, cut = found
            if cut is not None:
                query = dict(query, truncate=str(cut))
            if kind == "long":
                duration = hls.lists["ts10"][int(os.path.splitext(file_name)[0])][0]
                query = dict(query, rate=str(int(len(data) / duration * float(query.get("pace", "1.5")))))
            type_ = playlist_type if file_name.endswith(".m3u8") else query.get("type", content_type_of(file_name))
            send_body(req, query, data, type_)
            return
    req.send_simple(404, b"no such segment\n")


# --- station lists ------------------------------------------------------------------------------
#   /lists/dead_first.pls   a 404 first (absolute), the tone stream second (relative: ../stream)
#   /lists/to_hls.m3u       one entry, the live TS window of [id] (absolute path)
#   /lists/self.m3u         its own absolute address
# [type=Content-Type] (they come as text/plain unless told otherwise: servers often do that)

@route_prefix("/lists/")
def list_endpoint(req, query):
    name = urllib.parse.urlsplit(req.path).path[len("/lists/"):]
    base = "http://%s" % req.headers.get("Host", "127.0.0.1")
    if name == "dead_first.pls":
        text = ("[playlist]\r\nNumberOfEntries=2\r\nFile1=%s/status?code=404\r\nTitle1=Gone\r\n"
                "File2=../stream?file=tone_44100_stereo.mp3&metaint=0\r\nTitle2=Tone\r\nVersion=2\r\n" % base)
    elif name == "to_hls.m3u":
        text = "#EXTM3U\n#EXTINF:-1,Live\n/hls/%s/ts/index.m3u8\n" % query.get("id", "list")
    elif name == "self.m3u":
        text = "#EXTM3U\n%s/lists/self.m3u\n" % base
    else:
        req.send_simple(404, b"no such list\n")
        return
    send_body(req, query, text.encode(), query.get("type", "text/plain"))


# --- servers, certificates, daemon ---------------------------------------------------------------

class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, media, log, log_line, tls=None):
        super().__init__((LISTEN_HOST, 0), Handler)
        self.media = media
        self.log = log
        self.log_line = log_line
        self.tls = tls

    def get_request(self):
        sock, addr = super().get_request()
        if self.tls is not None:
            sock = self.tls.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        return sock, addr

    def handle_error(self, request, client_address):
        self.log_line("connection from %s ended: %s" % (client_address[0], sys.exc_info()[1]))


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(state):
    """A test authority, a server certificate it signs, and a self-signed one; returns paths."""
    p = lambda n: os.path.join(state, n)
    names = "subjectAltName=DNS:localhost,IP:127.0.0.1"
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", p("ca.key"), "-out", p("ca.pem"),
            "-days", "30", "-subj", "/CN=Zarvio Test Authority",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("x509", "-in", p("ca.pem"), "-outform", "der", "-out", p("ca.der"))
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", p("server.key"), "-out", p("server.csr"),
            "-subj", "/CN=localhost")
    with open(p("server.ext"), "w") as f:
        f.write(names + "\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", p("server.csr"), "-CA", p("ca.pem"), "-CAkey", p("ca.key"),
            "-CAcreateserial", "-days", "30", "-sha256", "-extfile", p("server.ext"), "-out", p("server.pem"))
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", p("untrusted.key"),
            "-out", p("untrusted.pem"), "-days", "30", "-subj", "/CN=localhost", "-addext", names)
    return p


def tls_context(cert, key):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    return ctx


def serve(media, state, lifetime):
    os.makedirs(state, exist_ok=True)
    log_file = open(os.path.join(state, "server.log"), "a", buffering=1)
    lock = threading.Lock()

    def log_line(text):
        with lock:
            log_file.write("%s %s\n" % (time.strftime("%H:%M:%S"), text))

    lifetime = min(lifetime, MAX_LIFETIME)
    state_file = os.path.join(state, "server.json")

    def end(*_):
        try:
            os.unlink(state_file)
        except OSError:
            pass
        os._exit(0)

    timer = threading.Timer(lifetime, end)
    timer.daemon = True
    timer.start()
    signal.signal(signal.SIGTERM, end)
    signal.signal(signal.SIGINT, end)
    p = make_certificates(state)
    log = RequestLog()
    servers = [Server(media, log, log_line),
               Server(media, log, log_line, tls_context(p("server.pem"), p("server.key"))),
               Server(media, log, log_line, tls_context(p("untrusted.pem"), p("untrusted.key")))]
    for s in servers:
        threading.Thread(target=s.serve_forever, daemon=True).start()
    info = {"http_port": servers[0].server_address[1], "https_port": servers[1].server_address[1],
            "untrusted_https_port": servers[2].server_address[1], "ca_der": os.path.abspath(p("ca.der")),
            "pid": os.getpid()}
    with open(state_file + ".tmp", "w") as f:
        json.dump(info, f)
    os.replace(state_file + ".tmp", state_file)
    log_line("listening: %s; ends after %d s" % (info, lifetime))
    while True:
        time.sleep(3600)


def running_pid(state):
    """The pid in STATE/server.json when that process is still this server."""
    try:
        with open(os.path.join(state, "server.json")) as f:
            pid = int(json.load(f)["pid"])
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return pid if b"server.py" in f.read() else None
    except (OSError, ValueError, KeyError):
        return None


def stop(state):
    pid = running_pid(state)
    if pid is not None:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            if not os.path.exists("/proc/%d" % pid):
                break
            time.sleep(0.05)
    try:
        os.unlink(os.path.join(state, "server.json"))
    except OSError:
        pass
    return 0


def start(media, state, lifetime):
    stop(state)
    os.makedirs(state, exist_ok=True)
    state_file = os.path.join(state, "server.json")
    if os.fork() == 0:
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
        os.closerange(3, 256)
        try:
            serve(media, state, lifetime)
        finally:
            os._exit(1)
    for _ in range(300):  # 30 s for the certificates and the listeners
        if os.path.exists(state_file) and running_pid(state):
            with open(state_file) as f:
                print("stream server: %s" % f.read())
            return 0
        time.sleep(0.1)
    print("stream server did not start; see %s" % os.path.join(state, "server.log"), file=sys.stderr)
    return 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop", "serve"])
    parser.add_argument("--media", default=".")
    parser.add_argument("--state", required=True)
    parser.add_argument("--lifetime", type=float, default=MAX_LIFETIME)
    args = parser.parse_args()
    if args.command == "stop":
        return stop(args.state)
    media = os.path.abspath(args.media)
    state = os.path.abspath(args.state)
    if args.command == "start":
        return start(media, state, args.lifetime)
    serve(media, state, args.lifetime)
    return 0


if __name__ == "__main__":
    sys.exit(main())
