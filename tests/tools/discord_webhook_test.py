#!/usr/bin/env python3
"""examples/discord-webhook.sh against a webhook on 127.0.0.1 written here:
it answers the first post 429 with Retry-After: 1, the rest 204. Checks that
each event became one post, the refused one sent again after the wait, and
the bodies as Discord takes them."""
import http.server, json, subprocess, sys, threading, time

posts = []  # (time, body)


class Webhook(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        posts.append((time.monotonic(), json.loads(body)))
        first = len(posts) == 1
        self.send_response(429 if first else 204)
        if first:
            self.send_header("Retry-After", "1")
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Webhook)
threading.Thread(target=server.serve_forever, daemon=True).start()
common = {"address": "127.0.0.1", "port": 7755, "name": 'Rail "Yard" @everyone',
          "map": "dm05", "players": 3, "max_players": 16}
lines = [{"event": "snapshot", "servers": []},
         dict(common, event="player_joined", player="kasia"),
         "not json",
         dict(common, event="server_down"),
         dict(common, event="map_changed", map_before="dm02")]
stdin = "".join((l if isinstance(l, str) else json.dumps(l)) + "\n" for l in lines)
url = "http://127.0.0.1:%d/api/webhooks/1/x" % server.server_port
run = subprocess.run(["bash", sys.argv[1], url], input=stdin, text=True, timeout=60,
                     capture_output=True)
server.shutdown()

where = '**Rail "Yard" @everyone** (127.0.0.1:7755)'
expected = ["kasia joined " + where, "kasia joined " + where, where + " went silent",
            where + ": dm02 → dm05"]
failures = []
if run.returncode != 0 or run.stderr:
    failures.append("exit %d, stderr %r" % (run.returncode, run.stderr))
if [body.get("content") for _, body in posts] != expected:
    failures.append("posted %r" % [body for _, body in posts])
if any(body.get("allowed_mentions") != {"parse": []} for _, body in posts):
    failures.append("a post may ping")
if len(posts) > 1 and posts[1][0] - posts[0][0] < 1.0:
    failures.append("sent again %.2f s after the 429" % (posts[1][0] - posts[0][0]))
print("\n".join(failures) or "PASS: %d posts" % len(posts))
sys.exit(1 if failures else 0)
