#!/usr/bin/env bash
# Inside netns_run.sh: starts a proxy that wants the Basic credentials tester/secret on
# 127.0.0.1:8080 (http_server.py --proxy), then runs the command. The proxy ends with the namespace.
here=$(cd "$(dirname "$0")" && pwd)
python3 "$here/http_server.py" --port 8080 --proxy tester:secret --lifetime "${QV_NETNS_TIMEOUT:-600}" &
for _ in $(seq 1 200); do
    (exec 3<>/dev/tcp/127.0.0.1/8080) 2>/dev/null && break
    sleep 0.05
done
exec "$@"
