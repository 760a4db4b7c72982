#!/usr/bin/python3
"""The officer's walk: the real hengbi under Xvfb, driven only by X input events.

Opens a template through the 文件 menu and its file dialog, types the start of a phrase into
a list field and leaves it, picks from open lists with the mouse (line 2's pick offers the
person's name to its answer list, which is picked next), pastes a two-line text, presses
the arrow keys in a closed list field, tabs on from line 10 after a round trip between the
screens and from line 3 into the open case notes (the fields under them and lines 11-24
must not take what is typed next), types into line 11 on the second screen, saves through
the 文件 menu opened by F10 and compares the saved template's bytes with what was typed.

Controls are found from the window's place on the screen and the fixed design positions
(src/app/main_window.cpp), never from the widget tree.

Usage: officer_walk.py HENGBI. Exit 77 (skipped) when a program it needs is missing,
except under CI, where that fails.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
MENU_BAR = 23  # MainWindow::kMenuBarHeight: the client area starts below it
NEEDED = ["xvfb-run", "xdotool", "xclip", "xmodmap", "soffice"]

SETTINGS = """[pop]
tanchu=1
[wenti2]
wenti1=问：你叫什么名字？
wenti2=问：你的联系电话？
[daan8]
daan1=答：签了，合同期限  年，合同在单位，我手里没有。
"""

# The template the officer opens: every key, in key order as the program writes them.
OPENED = [("num%d" % k, v) for k, v in enumerate([
    "2026", "9", "15", "9", "5", "10", "40", "澄屿市", "  询问室 ", "王𠮷", "男", "吉林省",
    "临江区", "身份证", "220201", "澄屿建筑公司", "经理", "13800000000", "无", "李四", "无",
    "赵六"], start=1)]
OPENED += [("num%d" % k, "") for k in range(23, 71)]
OPENED += [("beizu", "")]
for key, value in [("num23", "问：你好"), ("num24", "答：你好"), ("num38", "答：")]:
    OPENED[[k for k, _ in OPENED].index(key)] = (key, value)

TYPED_LINE_11 = "问：你在哪里工作？"
TYPED_ANSWER_8 = "签了"
TYPED_QUESTION_5 = "问：my own question"
PASTED = "问：第一行\n第二行"
NOTES = ["第一行", "第二行"]


def ini_bytes(pairs):
    out = b"[set]\r\n"
    for key, value in pairs:
        raw = value.encode("gb18030")
        if value != value.strip(" \t") or (len(value) > 1 and value[0] in "\"'" and
                                         value[-1] == value[0]):
            raw = b'"' + raw + b'"'
        out += key.encode() + b"=" + raw + b"\r\n"
    return out


class Walk:
    def __init__(self, hengbi, home):
        self.hengbi = hengbi
        self.home = home
        self.prog = os.path.join(home, "prog")
        self.env = dict(os.environ)
        self.env.pop("QT_QPA_PLATFORM", None)
        for name, sub in [("HOME", ""), ("XDG_CONFIG_HOME", ".config"),
                          ("XDG_DATA_HOME", ".local/share"), ("XDG_CACHE_HOME", ".cache"),
                          ("XDG_RUNTIME_DIR", "run"), ("HENGBI_HOME", "prog"),
                          ("HENGBI_SYSTEM_DIR", "system"), ("HENGBI_REGISTRY_DIR", "registry")]:
            self.env[name] = os.path.join(home, sub)
            os.makedirs(self.env[name], mode=0o700, exist_ok=True)
        self.app = None
        self.helpers = []

    def x(self, *args):
        return subprocess.run(["xdotool", *args], check=True, capture_output=True,
                              text=True, env=self.env).stdout

    def windows(self):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                                str(self.app.pid)], capture_output=True, text=True).stdout
        return found.split()

    def geometry(self, window):
        out = self.x("getwindowgeometry", "--shell", window)
        g = dict(line.split("=") for line in out.split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def wait_for(self, what, condition, seconds=20):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            result = condition()
            if result:
                time.sleep(0.3)  # let it paint and take focus
                return result
            if self.app.poll() is not None:
                raise AssertionError("hengbi ended (%s) while waiting for %s"
                                     % (self.app.returncode, what))
            time.sleep(0.1)
        raise AssertionError("timed out waiting for " + what)

    def window_count(self, n, what, seconds=20):
        self.wait_for(what, lambda: len(self.windows()) == n, seconds)

    def click(self, x, y):
        self.x("mousemove", str(x), str(y))
        time.sleep(0.1)
        self.x("click", "1")
        time.sleep(0.25)

    def at(self, cx, cy):  # a point of the client area, in design coordinates
        self.click(self.origin[0] + cx, self.origin[1] + cy)

    def type(self, text):
        # xdotool's "type" binds each character outside the keymap to a spare keycode and
        # unbinds it right after the key event; a client that reloads its keymap only after
        # the unbinding reads no character, and it is lost. "key" with the character's keysym
        # uses the keycode that map_keys bound before the program started, with no rebinding.
        i = 0
        while i < len(text):
            ascii_run = text[i] <= "~"
            j = i
            while j < len(text) and (text[j] <= "~") == ascii_run:
                j += 1
            if ascii_run:
                self.x("type", "--delay", "30", text[i:j])
            else:
                self.x("key", "--delay", "30", *("U%04X" % ord(c) for c in text[i:j]))
            i = j
        time.sleep(0.2)

    def keys(self, *names):
        self.x("key", "--delay", "60", *names)
        time.sleep(0.25)

    def menu(self, downs, f10=False):  # the 文件 menu, then its item by the arrow keys
        wx, wy, _, _ = self.main
        if f10:
            self.keys("F10")
        else:
            self.click(wx + 20, wy + MENU_BAR // 2)
        self.keys(*["Down"] * downs, "Return")

    def map_keys(self, texts):
        """Binds the characters to be typed to spare keycodes before the program starts."""
        chars = sorted({c for t in texts for c in t if ord(c) > 0x7E})
        # The media keys at the top of the range are spare; those that act as modifiers
        # (Meta, Super, Hyper, Mode_switch) would swallow the character.
        modifiers = subprocess.run(["xmodmap", "-pm"], capture_output=True, text=True).stdout
        spare = [k for k in range(255, 150, -1) if "(0x%02x)" % k not in modifiers]
        assert len(chars) <= len(spare), "more characters than spare keycodes"
        lines = ["keycode %d = U%04X" % (k, ord(c)) for k, c in zip(spare, chars)]
        subprocess.run(["xmodmap", "-"], input="\n".join(lines), text=True, check=True)

    def run(self):
        subprocess.run([self.hengbi, "seed-home", self.prog], check=True, env=self.env,
                       capture_output=True)
        with open(os.path.join(self.prog, "Set.ini"), "wb") as f:
            f.write(SETTINGS.replace("\n", "\r\n").encode("gbk"))
        opened = os.path.join(self.home, "open.ini")
        with open(opened, "wb") as f:
            f.write(ini_bytes(OPENED))
        self.map_keys([TYPED_LINE_11, TYPED_ANSWER_8, TYPED_QUESTION_5, "".join(NOTES)])

        self.app = subprocess.Popen([self.hengbi], env=self.env, start_new_session=True)
        # The main window, and the rules window over it: "知 道" at (243, 556, 174, 28).
        self.window_count(2, "the main window and the rules window")
        sizes = {w: self.geometry(w) for w in self.windows()}
        rules = next(w for w, g in sizes.items() if g[2:] == (667, 620))
        self.main = next(g for w, g in sizes.items() if w != rules)
        rx, ry, _, _ = sizes[rules]
        self.click(rx + 243 + 87, ry + 556 + 14)
        self.window_count(1, "the rules window to close")
        self.origin = (self.main[0], self.main[1] + MENU_BAR)

        # 文件 > 打开(笔录模板): the path into the dialog's name field.
        self.menu(2)
        self.window_count(2, "the open dialog")
        self.type(opened)
        self.keys("Return")
        self.window_count(1, "the open dialog to close")

        # Line 8's answer (page 2 at 519, 59; the field at 69, 345): the start of a phrase
        # of its list, then Tab. It stays as typed.
        self.at(519 + 69 + 200, 59 + 345 + 10)
        self.keys("End")
        self.type(TYPED_ANSWER_8)
        self.keys("Tab")

        # Line 2's question (page 1 at 1, 59; the field at 72, 362, 400 wide): its arrow,
        # then the list's first item. The pick offers 答：<person> to line 2's answer list,
        # which is then picked from its open list the same way.
        for top in (362, 393):
            self.at(1 + 72 + 400 - 8, 59 + top + 10)
            time.sleep(0.3)
            self.at(1 + 72 + 100, 59 + top + 20 + 9)

        # A two-line text pasted into line 9's question (page 2, field at 69, 377).
        clip = subprocess.Popen(["xclip", "-selection", "clipboard", "-quiet"],
                                stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=self.env)
        self.helpers.append(clip)
        clip.stdin.write(PASTED.encode())
        clip.stdin.close()
        time.sleep(0.3)
        self.at(519 + 69 + 200, 59 + 377 + 10)
        self.keys("ctrl+a", "ctrl+v")

        # Line 5's question (69, 121): typed, then the arrow keys on the closed list.
        self.at(519 + 69 + 200, 59 + 121 + 10)
        self.type(TYPED_QUESTION_5)
        self.keys("Down", "Up", "Next")

        # " 下一步：" (993, 381, 25, 82) and " 上一步：" (993, 299, 25, 82), then Tab from
        # line 10's answer (69, 472): what is typed next must not reach the hidden lines.
        self.at(993 + 12, 381 + 41)
        self.at(993 + 12, 299 + 41)
        self.at(519 + 69 + 200, 59 + 472 + 10)
        self.keys("Tab")
        self.type("X")

        # "案件情由备注" (993, 202, 25, 97) lays the notes over page 2; Tab from line 3's answer
        # (72, 455) goes into the notes box, not into the lines under it.
        self.at(993 + 12, 202 + 48)
        self.at(1 + 72 + 200, 59 + 455 + 10)
        self.keys("End", "Tab")
        self.type(NOTES[0])
        self.keys("Return")
        self.type(NOTES[1])

        # Line 11's question on the second screen (page 3 at 1, 59; 86, 58).
        self.at(993 + 12, 381 + 41)
        self.at(1 + 86 + 200, 59 + 58 + 10)
        self.type(TYPED_LINE_11)

        # 文件 > 保存(笔录及模板); the office composes and saves, then asks about a preview.
        self.menu(3, f10=True)
        self.window_count(2, "the preview question after saving", seconds=240)
        self.keys("Escape")
        self.window_count(1, "the preview question to close")
        self.menu(5)  # 文件 > 退出
        self.wait_for("hengbi to end", lambda: self.app.poll() is not None)
        return self.check()

    def check(self):
        stem = "2026.9.15-澄屿建筑公司-王𠮷"
        saved = os.path.join(self.prog, "BL", stem + ".ini")
        assert os.path.exists(os.path.join(self.prog, "BL", stem + ".doc")), "no document"
        with open(saved, "rb") as f:
            actual = f.read()
        expected = dict(OPENED)
        expected.update({
            "num25": "问：你叫什么名字？", "num26": "答：王𠮷",
            "num38": "答：" + TYPED_ANSWER_8,
            "num31": TYPED_QUESTION_5,
            "num39": PASTED.replace("\n", " "),
            "num43": TYPED_LINE_11,
            "beizu": " ".join(NOTES),
        })
        want = ini_bytes(expected.items())
        if actual != want:
            got = actual.split(b"\r\n")
            for i, line in enumerate(want.split(b"\r\n")):
                if i >= len(got) or got[i] != line:
                    print("line %d: expected %r, saved %r" % (i, line.decode("gb18030"),
                          got[i].decode("gb18030", "replace") if i < len(got) else None))
            return 1
        print("the saved template holds exactly what was typed")
        return 0

    def close(self):
        for p in self.helpers:
            if p.poll() is None:
                p.kill()
                p.wait()
        if self.app:
            # The program's own session: whatever it started (the office) goes with it.
            try:
                os.killpg(self.app.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.app.wait()


def main():
    hengbi = os.path.abspath(sys.argv[1])
    if "--inside" not in sys.argv:
        missing = [p for p in NEEDED if not shutil.which(p)]
        if missing:
            print("officer walk: missing " + ", ".join(missing))
            return 1 if os.environ.get("CI") else SKIP
        # -noreset: an X server resets when its last client leaves (xmodmap, here), and a
        # client that connects during the reset fails.
        return subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1280x800x24 -noreset",
                               sys.executable, __file__, hengbi, "--inside"]).returncode
    home = tempfile.mkdtemp(prefix="hengbi-walk-")
    walk = Walk(hengbi, home)
    try:
        result = walk.run()
    except (AssertionError, subprocess.CalledProcessError) as e:
        print("officer walk:", e)
        result = 1
    if result != 0 and walk.app and walk.app.poll() is None and shutil.which("import"):
        shot = os.path.join(os.getcwd(), "officer_walk.png")
        subprocess.run(["import", "-window", "root", shot])
        print("the screen when it failed:", shot)
    walk.close()
    shutil.rmtree(home, ignore_errors=True)
    return result


if __name__ == "__main__":
    sys.exit(main())
