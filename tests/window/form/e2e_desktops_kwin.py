# e2e_desktops.sh's hands and eyes under KWin: takes the same lines as the GNOME one.
# Input through KWin's fake-input protocol, spoken on the Wayland socket
# directly (no client library needed); screenshots by spectacle.
import os, socket, struct, subprocess, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
def send(obj, op, data=b""):
    s.sendall(struct.pack("<II", obj, (8 + len(data)) << 16 | op) + data)
def text(t):
    b = t.encode() + b"\0"
    return struct.pack("<I", len(b)) + b + b"\0" * (-len(b) % 4)
buf, ids = b"", [2]  # new ids go up one by one
def new_id():
    ids[0] += 1
    return ids[0]
def roundtrip(on_event=lambda obj, op, data: None):
    global buf
    send(1, 0, struct.pack("<I", new_id()))  # wl_display.sync
    while True:
        while len(buf) < 8 or len(buf) < struct.unpack("<II", buf[:8])[1] >> 16:
            buf += s.recv(65536)
        obj, size = struct.unpack("<II", buf[:8])
        data, buf = buf[8:size >> 16], buf[size >> 16:]
        if obj == 1 and size & 0xFFFF == 0:
            sys.exit("wayland error: %r" % data)
        if obj == ids[0]:
            return
        on_event(obj, size & 0xFFFF, data)
found = []
def registry(obj, op, data):
    n = struct.unpack("<I", data[4:8])[0]
    if obj == 2 and data[8:8 + n - 1] == b"org_kde_kwin_fake_input":
        found.append((struct.unpack("<I", data[:4])[0], struct.unpack("<I", data[-4:])[0]))
send(1, 1, struct.pack("<I", 2))  # wl_display.get_registry
roundtrip(registry)
name, version = found[0]
fake = new_id()
send(2, 0, struct.pack("<I", name) + text("org_kde_kwin_fake_input") + struct.pack("<II", min(version, 4), fake))
send(fake, 0, text("vellograph-e2e") + text("end-to-end test"))  # authenticate
keys = {"Escape": 1, "Return": 28, "Down": 108, "Up": 103, "Right": 106, "Home": 102,
        "End": 107, "Prior": 104, "Shift": 42}
buttons = {"1": 0x110, "2": 0x112, "3": 0x111}
for line in sys.stdin:
    what, *args = line.split()
    if what == "move":
        send(fake, 9, struct.pack("<ii", int(args[0]) * 256, int(args[1]) * 256))
    elif what in ("press", "release"):
        send(fake, 2, struct.pack("<II", buttons[args[0]], what == "press"))
    elif what == "key":
        send(fake, 10, struct.pack("<II", keys[args[0]], 1))
        send(fake, 10, struct.pack("<II", keys[args[0]], 0))
    elif what == "shot":
        subprocess.run(["spectacle", "-b", "-n", "-o", args[0]], env=dict(os.environ,
                       QT_QPA_PLATFORM="wayland"), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
    roundtrip()
    print("ok", flush=True)
