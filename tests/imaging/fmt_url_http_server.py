#!/usr/bin/env python3
"""fmt_url_http_server.py TEST_EXE OUT_DIR [EMULATOR]

Loading from a web address against Python's http.server: starts it on a free
port serving OUT_DIR, runs TEST_EXE --gtest_filter=FmtUrlHttpServer.* (which
writes its picture into OUT_DIR and loads it, a missing file, a text file and
an address nobody listens on), then stops the server. Everything is bounded by
timeouts; exits 1 when the test fails, is skipped or the server never saw the
picture being asked for."""
import os
import shutil
import socket
import subprocess
import sys
import time

exe, out = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
shutil.rmtree(out, ignore_errors=True)
os.makedirs(out)


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


port, closed = free_port(), free_port()
server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1",
                           "--directory", out], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
ok = False
try:
    deadline = time.time() + 20
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            if time.time() > deadline or server.poll() is not None:
                print("http.server did not start")
                sys.exit(1)
            time.sleep(0.1)
    env = dict(os.environ, FMT_URL_SERVER="http://127.0.0.1:%d" % port,
               FMT_URL_CLOSED="http://127.0.0.1:%d" % closed,
               FMT_URL_DIR=("Z:" + os.path.abspath(out).replace("/", "\\")) if emu else out)
    r = subprocess.run(emu + [exe, "--gtest_filter=FmtUrlHttpServer.*"], env=env, stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, timeout=180)
    log = r.stdout.decode(errors="replace")
    print(log[-4000:])
    ok = r.returncode == 0 and "[  PASSED  ] 1 test" in log and "SKIPPED" not in log
finally:
    server.terminate()
    try:
        _, err = server.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        server.kill()
        _, err = server.communicate()
served = err.decode(errors="replace")
print("requests seen by http.server:")
for line in served.splitlines():
    if "GET " in line:
        print("  " + line.split("] ", 1)[-1])
if '"GET /pic.png' not in served or '"GET /missing.png' not in served:
    print("http.server was not asked for the picture and the missing file")
    ok = False
print("all good" if ok else "FAILED")
sys.exit(0 if ok else 1)
