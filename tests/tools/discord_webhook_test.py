#!/usr/bin/env python3
# examples/discord-webhook.sh against a webhook on 127.0.0.1 that answers the
# first post 429 (Retry-After: 1), the rest 204: a post per event, the
# refused one again after the wait, the bodies as Discord takes them.
import http.server, json, subprocess, sys, threading, time

posts = []  # (time, body)


class Webhook(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        posts.append((time.monotonic(), json.loads(self.rfile.read(int(self.headers["Content-Length"])))))
        self.send_response(429 if len(posts) == 1 else 204)
        if len(posts) == 1:
            self.send_header("Retry-After", "1")
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Webhook)
threading.Thread(target=server.serve_forever, daemon=True).start()
s = {"address": "127.0.0.1", "port": 7755, "name": 'Rail "Yard" @everyone', "map": "dm05"}
lines = [{"event": "snapshot"}, dict(s, event="player_joined", player="kasia"), "not json",
         dict(s, event="server_down"), dict(s, event="map_changed", map_before="dm02")]
run = subprocess.run(["bash", sys.argv[1], "http://127.0.0.1:%d/hook" % server.server_port],
                     input="".join(json.dumps(l) + "\n" for l in lines), text=True,
                     timeout=60, capture_output=True)
where = '**Rail "Yard" @everyone** (127.0.0.1:7755)'
expected = [{"content": text, "allowed_mentions": {"parse": []}}
            for text in ["kasia joined " + where] * 2 + [where + " went silent", where + ": dm02 → dm05"]]
failures = [f for f, bad in [
    ("exit %d, stderr %r" % (run.returncode, run.stderr), run.returncode or run.stderr),
    ("posted %r" % [body for _, body in posts], [body for _, body in posts] != expected),
    ("sent again too soon after the 429", len(posts) > 1 and posts[1][0] - posts[0][0] < 1.0)] if bad]
print("\n".join(failures) or "PASS: %d posts" % len(posts))
sys.exit(1 if failures else 0)
