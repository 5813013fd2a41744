#!/usr/bin/env bash
# Posts what `varnholt-query --watch` sees to a Discord channel: one message
# per event line, through the channel's webhook.
#
#   varnholt-query --watch 60 --favourites --friends | examples/discord-webhook.sh URL
#
# URL is the webhook's address (channel settings, Integrations, Webhooks).
# Messages go one at a time; when the webhook answers 429 (too many), the
# same message is sent again after the seconds its Retry-After header asks
# for (1 when it gives none). The snapshot line and lines that are not
# events are skipped; a message that cannot be posted is reported on stderr
# and the next one follows. Needs bash, curl and jq.
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: varnholt-query --watch SECONDS ... | $0 WEBHOOK_URL" >&2
  exit 2
fi
url=$1
for tool in curl jq; do
  command -v "$tool" >/dev/null || { echo "$0: needs $tool" >&2; exit 2; }
done

# The message of one event line as the webhook's JSON body; nothing for
# other lines. Names come from strangers: Discord is told to ping no one.
body() {
  jq -c 'def server: "**\(.name)** (\(.address):\(.port))";
    def state: "\(.map), \(.players)/\(.max_players) players";
    {
      server_up: "\(server) is up: \(state)",
      server_down: "\(server) went silent",
      players_changed: "\(server): \(.players_before) → \(.players)/\(.max_players) players",
      player_joined: "\(.player) joined \(server)",
      player_left: "\(.player) left \(server)",
      map_changed: "\(server): \(.map_before) → \(.map)"
    }[.event // ""] as $text
    | select($text != null)
    | {content: $text, allowed_mentions: {parse: []}}' 2>/dev/null <<<"$1"
}

headers=$(mktemp)
trap 'rm -f "$headers"' EXIT

# Posts one body; after a 429, waits and posts it again (five tries at most).
post() {
  local try status wait
  for try in 1 2 3 4 5; do
    status=$(curl -sS -o /dev/null -D "$headers" -w '%{http_code}' --max-time 30 \
      -H 'Content-Type: application/json' --data-binary "$1" "$url") || {
      echo "$0: cannot post: curl failed" >&2
      return 1
    }
    if [ "$status" != 429 ]; then
      [[ $status == 2* ]] || echo "$0: the webhook answered $status" >&2
      return 0
    fi
    wait=$(tr -d '\r' <"$headers" | awk -F': *' 'tolower($1) == "retry-after" { print $2 }')
    [[ $wait =~ ^[0-9]+(\.[0-9]+)?$ ]] || wait=1
    sleep "$wait"
  done
  echo "$0: the webhook kept answering 429; message dropped" >&2
}

while IFS= read -r line; do
  message=$(body "$line") || continue
  [ -n "$message" ] && post "$message"
done
