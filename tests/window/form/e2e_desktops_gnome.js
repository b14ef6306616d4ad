// e2e_desktops.sh's hands and eyes under GNOME Shell: takes "move X Y", "press B",
// "release B", "key NAME" and "shot FILE" lines and answers "ok" to each.
// Input goes through one Mutter remote desktop session for the whole run;
// screenshots through the shell's interface, which answers only the owner of
// an allowed name.
const {Gio, GLib} = imports.gi;
const bus = Gio.DBus.session;
const call = (dest, path, iface, method, args, type) => bus.call_sync(dest, path, iface, method,
    args, type ? new GLib.VariantType(type) : null, Gio.DBusCallFlags.NONE, -1, null);
const dbus = (method, signature, args, type) => call('org.freedesktop.DBus',
    '/org/freedesktop/DBus', 'org.freedesktop.DBus', method, new GLib.Variant(signature, args), type);
dbus('RequestName', '(su)', ['org.gnome.Screenshot', 4], '(u)');
const rd = 'org.gnome.Mutter.RemoteDesktop';
for (let i = 0; i < 1200; i++) { // up to a minute on a loaded machine
    if (dbus('NameHasOwner', '(s)', ['org.gnome.Shell.Screenshot'], '(b)').deepUnpack()[0]) break;
    GLib.usleep(50000);
}
const session = call(rd, '/org/gnome/Mutter/RemoteDesktop', rd, 'CreateSession', null, '(o)')
    .deepUnpack()[0];
const notify = (method, type, args) => call(rd, session, rd + '.Session', method,
    new GLib.Variant(type, args), null);
call(rd, session, rd + '.Session', 'Start', null, null);
// Relative motion only: from the bottom-right corner, where it stops, the
// pointer is where it is sent (the top-left corner is the hot corner).
notify('NotifyPointerMotionRelative', '(dd)', [5000, 5000]);
let x = 1365, y = 767;
const keys = {Escape: 0xff1b, Return: 0xff0d, Down: 0xff54, Up: 0xff52, Right: 0xff53,
    Home: 0xff50, End: 0xff57, Prior: 0xff55, Shift: 0xffe1};
const buttons = {1: 0x110, 2: 0x112, 3: 0x111};
const input = new Gio.DataInputStream({base_stream: new Gio.UnixInputStream({fd: 0})});
for (;;) {
    const [line] = input.read_line_utf8(null);
    if (line === null) break;
    const [what, a, b] = line.split(' ');
    if (what === 'move') {
        notify('NotifyPointerMotionRelative', '(dd)', [a - x, b - y]);
        [x, y] = [Number(a), Number(b)];
    } else if (what === 'press' || what === 'release') {
        notify('NotifyPointerButton', '(ib)', [buttons[a], what === 'press']);
    } else if (what === 'key') {
        notify('NotifyKeyboardKeysym', '(ub)', [keys[a], true]);
        notify('NotifyKeyboardKeysym', '(ub)', [keys[a], false]);
    } else if (what === 'shot') {
        call('org.gnome.Shell.Screenshot', '/org/gnome/Shell/Screenshot',
            'org.gnome.Shell.Screenshot', 'Screenshot', new GLib.Variant('(bbs)', [false, false, a]),
            '(bs)');
    }
    print('ok');
}
