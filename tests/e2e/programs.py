"""Drives the two real programs inside a SimNet: the device simulator (control lines on its standard input) and
the headless controller (JSON on its standard output)."""

import json
import os
import select
import signal
import subprocess
import tempfile
import threading
import time


class ProgramError(AssertionError):
    """A program broke its contract (died, timed out, printed something unreadable)."""


def _tail(path, limit=None):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return ""
    return (data[-limit:] if limit else data).decode(errors="replace")


class LineReader:
    """Reads whole lines from a pipe with a time limit, without blocking past it."""

    def __init__(self, pipe):
        self._fd = pipe.fileno()
        self._buf = b""
        self.eof = False

    def readline(self, timeout):
        """The next line without its newline, or None when none came within timeout; raises EOFError at the end."""
        deadline = time.monotonic() + timeout
        while b"\n" not in self._buf:
            if self.eof:
                raise EOFError
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            ready, _, _ = select.select([self._fd], [], [], left)
            if not ready:
                return None
            chunk = os.read(self._fd, 65536)
            if not chunk:
                self.eof = True
                if self._buf:
                    line, self._buf = self._buf, b""
                    return line.decode(errors="replace")
                raise EOFError
            self._buf += chunk
        line, self._buf = self._buf.split(b"\n", 1)
        return line.decode(errors="replace")


class Simulator:
    """meridane-sim running in the devices' namespace, one simulated device on each address of the namespace
    (or as described by a config file)."""

    def __init__(self, net, sim_path, config=None, extra_args=(), ready_timeout=15):
        self._log = tempfile.NamedTemporaryFile(prefix="meridane-sim-", suffix=".log", delete=False)
        self.log_path = self._log.name
        argv = [sim_path]
        if config is not None:
            argv += ["--config", config]
        else:
            argv += ["--devices", str(len(net.device_ips)), "--ips", ",".join(net.device_ips)]
        argv += list(extra_args)
        self.proc = net.popen("dev", argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._log)
        self._reader = LineReader(self.proc.stdout)
        self.ready = self._read_json(ready_timeout, "the ready line")
        if self.ready.get("ready") is not True:
            raise ProgramError("meridane-sim's first line is not the ready line: %r" % self.ready)

    def _read_json(self, timeout, what):
        try:
            line = self._reader.readline(timeout)
        except EOFError:
            self.proc.wait(5)
            raise ProgramError(
                "meridane-sim ended (exit %s) while waiting for %s; log:\n%s" % (self.proc.returncode, what, self.log())
            )
        if line is None:
            raise ProgramError("meridane-sim gave no %s within %s s; log:\n%s" % (what, timeout, self.log()))
        try:
            return json.loads(line)
        except ValueError:
            raise ProgramError("meridane-sim printed a line that is not JSON: %r" % line)

    def command(self, obj, timeout=5):
        """Sends one control line and returns its answer; fails the test when the answer is not ok."""
        self.proc.stdin.write((json.dumps(obj) + "\n").encode())
        self.proc.stdin.flush()
        answer = self._read_json(timeout, "answer to %s" % obj.get("cmd"))
        if answer.get("ok") is not True:
            raise ProgramError("meridane-sim refused %s: %r" % (json.dumps(obj), answer))
        return answer

    def state(self, dev_id):
        """Everything one simulated device holds (names, rates, lock masks, "requests" counted per ops, ...)."""
        return self.command({"cmd": "state", "devId": dev_id})

    def dump(self):
        """The simulated devices in the controller's output shape, keyed by devId."""
        devices = self.command({"cmd": "dump"}).get("devices")
        if not isinstance(devices, list):
            raise ProgramError("meridane-sim's dump has no device list")
        return {d["devId"]: d for d in devices}

    def log(self, limit=4000):
        """The end of the simulator's standard error (all of it with limit None)."""
        return _tail(self.log_path, limit)

    def quit(self, timeout=5):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b'{"cmd":"quit"}\n')
                self.proc.stdin.flush()
            except OSError:
                pass
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
                raise ProgramError("meridane-sim did not end on quit within %s s" % timeout)
        self._log.close()
        os.unlink(self.log_path)
        return self.proc.returncode


class CtlResult:
    def __init__(self, argv, returncode, stdout, stderr, seconds):
        self.argv = argv
        self.returncode = returncode
        self.stdout = stdout
        self.stderr = stderr
        self.seconds = seconds

    def json(self):
        """The whole standard output as one JSON document."""
        try:
            return json.loads(self.stdout)
        except ValueError as exc:
            raise ProgramError("%s printed no JSON document (%s):\n%s\nstderr:\n%s"
                               % (" ".join(self.argv[1:]), exc, self.stdout[:2000], self.stderr[-2000:]))


class WatchRun:
    """A running `meridane-ctl watch`: its lines are collected as they arrive, each with its arrival time, so tests
    can tell what came before and after an action."""

    def __init__(self, proc, argv):
        self.proc = proc
        self.argv = argv
        self.lines = []  # (monotonic time, text)
        self._lock = threading.Lock()
        self._stderr = []
        self._out_thread = threading.Thread(target=self._pump, args=(proc.stdout, True), daemon=True)
        self._err_thread = threading.Thread(target=self._pump, args=(proc.stderr, False), daemon=True)
        self._out_thread.start()
        self._err_thread.start()

    def _pump(self, pipe, is_out):
        for raw in iter(pipe.readline, b""):
            text = raw.decode(errors="replace").rstrip("\n")
            with self._lock:
                if is_out:
                    self.lines.append((time.monotonic(), text))
                else:
                    self._stderr.append(text)

    def events(self, since=None):
        """The parsed lines (arrived at or after `since`, when given)."""
        with self._lock:
            lines = list(self.lines)
        out = []
        for stamp, text in lines:
            if since is not None and stamp < since:
                continue
            try:
                out.append(json.loads(text))
            except ValueError:
                raise ProgramError("watch printed a line that is not JSON: %r" % text)
        return out

    def wait_for(self, predicate, timeout):
        """Waits until predicate(events) holds; returns whether it did."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate(self.events()):
                return True
            if self.proc.poll() is not None:
                break
            time.sleep(0.05)
        return predicate(self.events())

    def finish(self, timeout):
        """Waits for the run's own end (--seconds); returns its exit code."""
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise ProgramError("%s did not end within %s s" % (" ".join(self.argv[1:]), timeout))
        self._out_thread.join(5)
        self._err_thread.join(5)
        return self.proc.returncode

    def stderr(self):
        with self._lock:
            return "\n".join(self._stderr)

    def result(self):
        """The finished run as a CtlResult (for background `devices` runs)."""
        with self._lock:
            out = "\n".join(text for _, text in self.lines)
        return CtlResult(self.argv, self.proc.returncode, out, self.stderr(), 0.0)


class Controller:
    """meridane-ctl running in the controller's namespace."""

    def __init__(self, net, ctl_path):
        self.net = net
        self.path = ctl_path

    def argv(self, command, seconds=None, ip=None, life_ms=None, extra=()):
        argv = [self.path, "--ip", ip or self.net.ctl_ip]
        if seconds is not None:
            argv += ["--seconds", str(seconds)]
        if life_ms is not None:
            argv += ["--device-life-ms", str(life_ms)]
        return argv + list(extra) + [command]

    def run(self, command, seconds=None, ip=None, life_ms=None, timeout=None):
        argv = self.argv(command, seconds, ip, life_ms)
        start = time.monotonic()
        res = self.net.run("ctl", argv, timeout=timeout or (seconds or 3) + 20)
        return CtlResult(argv, res.returncode, res.stdout.decode(errors="replace"),
                         res.stderr.decode(errors="replace"), time.monotonic() - start)

    def start(self, command, seconds=None, life_ms=None):
        """Starts a run in the background; `watch` runs are read line by line (WatchRun)."""
        argv = self.argv(command, seconds, None, life_ms)
        proc = self.net.popen("ctl", argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return WatchRun(proc, argv)

    def devices(self, seconds, life_ms=None):
        """A `devices` run that must succeed; returns its devices keyed by devId (duplicates fail)."""
        res = self.run("devices", seconds=seconds, life_ms=life_ms)
        return devices_by_id(res)


def devices_by_id(res):
    if res.returncode != 0:
        raise ProgramError(
            "%s exited with %s; stderr:\n%s" % (" ".join(res.argv[1:]), res.returncode, res.stderr[-2000:]))
    devices = res.json()
    if not isinstance(devices, list):
        raise ProgramError("`devices` printed %s, not an array" % type(devices).__name__)
    by_id = {}
    for dev in devices:
        if dev["devId"] in by_id:
            raise ProgramError("`devices` lists %s twice" % dev["devId"])
        by_id[dev["devId"]] = dev
    return by_id


class ScriptedApp:
    """The application `meridane` offscreen in the controller's namespace with MERIDANE_SCRIPT=1: one JSON command
    per line on its standard input, one answer line {"id", "ok", ...} each on its standard output. Standard output
    is drained all the time by a thread (the application also prints other lines there and must never block on a
    full pipe); lines that are not answers are kept, the last few, for failure messages."""

    def __init__(self, net, path, workdir, ready_timeout=15):
        self.dir = workdir
        self.log_path = os.path.join(workdir, "app.log")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", MERIDANE_SCRIPT="1", XDG_RUNTIME_DIR=workdir,
                   HOME=workdir)
        env.pop("MERIDANE_STATE_FILE", None)
        self._log = open(self.log_path, "wb")
        # Its working directory takes the "./Config.ini" it may write.
        self.proc = net.popen("ctl", [path], env=env, cwd=workdir, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=self._log)
        self._cond = threading.Condition()
        self._answers = {}
        self._other = []
        self._eof = False
        self._next_id = 0
        self._thread = threading.Thread(target=self._pump, daemon=True)
        self._thread.start()
        # The first answer tells that the event loop runs.
        self.ok({"cmd": "notices"}, timeout=ready_timeout)

    def _pump(self):
        for raw in iter(self.proc.stdout.readline, b""):
            text = raw.decode(errors="replace").strip()
            answer = None
            if text.startswith("{"):
                try:
                    answer = json.loads(text)
                except ValueError:
                    answer = None
            with self._cond:
                if isinstance(answer, dict) and "id" in answer:
                    self._answers[answer["id"]] = answer
                    self._cond.notify_all()
                else:
                    self._other = (self._other + [text])[-50:]
        with self._cond:
            self._eof = True
            self._cond.notify_all()

    def command(self, obj, timeout=10):
        """Sends one command and returns its answer, ok or not; raises when none comes."""
        with self._cond:
            self._next_id += 1
            cid = self._next_id
        line = json.dumps(dict(obj, id=cid), ensure_ascii=False) + "\n"
        try:
            self.proc.stdin.write(line.encode())
            self.proc.stdin.flush()
        except OSError as exc:
            raise ProgramError("meridane does not take commands (%s); log:\n%s" % (exc, self.log()))
        deadline = time.monotonic() + timeout
        with self._cond:
            while cid not in self._answers:
                left = deadline - time.monotonic()
                if self._eof or left <= 0:
                    break
                self._cond.wait(left)
            answer = self._answers.pop(cid, None)
        if answer is None:
            what = "ended (exit %s)" % self.proc.poll() if self._eof else "gave no answer within %s s" % timeout
            raise ProgramError("meridane %s to %s; log:\n%s" % (what, obj.get("cmd"), self.log()))
        return answer

    def ok(self, obj, timeout=10):
        """Sends one command whose answer must be ok; returns the answer."""
        answer = self.command(obj, timeout)
        if answer.get("ok") is not True:
            raise ProgramError("meridane refused %s: %s" % (json.dumps(obj, ensure_ascii=False), answer.get("error")))
        return answer

    def find(self, name):
        """The description of the widget a script means by `name` ("exists" false when there is none)."""
        return self.command({"cmd": "find", "object": name})

    def wait_for(self, probe, timeout, interval=0.1):
        """Calls probe() until it returns something true; returns that, or the last value after timeout."""
        deadline = time.monotonic() + timeout
        while True:
            value = probe()
            if value or time.monotonic() >= deadline:
                return value
            if self.proc.poll() is not None:
                raise ProgramError("meridane ended (exit %s); log:\n%s" % (self.proc.returncode, self.log()))
            time.sleep(interval)

    def log(self, limit=4000):
        with self._cond:
            other = "\n".join(self._other[-20:])
        return "standard error:\n%s\nlast other output lines:\n%s" % (_tail(self.log_path, limit), other)

    def stop(self, timeout=5):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b'{"cmd":"quit","id":"quit"}\n')
                self.proc.stdin.flush()
            except OSError:
                pass
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()
        self._thread.join(5)
        self._log.close()
